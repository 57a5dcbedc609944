#include "window/saved_choices.h"

#include <QSettings>

namespace {

QString Key(pavrel::MenuItemIndex item) {
  return QStringLiteral("Choices/") + pavrel::kMenuItems[item].name;
}

// The organisation and the program are both Pavrel: the file is Pavrel/Pavrel.conf.
constexpr char kName[] = "Pavrel";
QSettings Settings() { return QSettings(kName, kName); }

}  // namespace

bool SavedChoice(pavrel::MenuItemIndex item) { return Settings().value(Key(item), false).toBool(); }

void SaveChoice(pavrel::MenuItemIndex item, bool on) {
  QSettings settings = Settings();
  settings.setValue(Key(item), on);
  settings.sync();
}
