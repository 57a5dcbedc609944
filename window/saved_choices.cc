#include "window/saved_choices.h"

#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <system_error>
#include <utility>

namespace {

QString Key(pavrel::MenuItemIndex item) {
  return QStringLiteral("Choices/") + pavrel::kMenuItems[item].name;
}

// The organisation and the program are both Pavrel: the file is Pavrel/Pavrel.conf.
constexpr char kName[] = "Pavrel";
QSettings Settings() { return QSettings(kName, kName); }

// Far more than the few lines of choices.
constexpr std::uintmax_t kMostSettingsBytes = 1 << 20;

// Whether QSettings may open the file: absent, or a regular file of sane size. A FIFO or a device
// would hold up the window, a huge file delay it; then the choices stay off and nothing is
// written, which the user is told once.
bool SettingsFileUsable() {
  const QString path = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                       QStringLiteral("/%1/%1.conf").arg(kName);
  const std::filesystem::path file = QFile::encodeName(path).toStdString();
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(file, error);
  if (status.type() == std::filesystem::file_type::not_found) return true;
  if (status.type() == std::filesystem::file_type::regular &&
      std::filesystem::file_size(file, error) <= kMostSettingsBytes && !error) {
    return true;
  }
  static bool told = false;
  if (!std::exchange(told, true)) {
    std::cerr << "pavrel: " << path.toStdString()
              << " is not a regular file of at most 1 MiB: the menu's choices are neither read "
                 "nor saved\n";
  }
  return false;
}

}  // namespace

bool SavedChoice(pavrel::MenuItemIndex item) {
  return SettingsFileUsable() && Settings().value(Key(item), false).toBool();
}

void SaveChoice(pavrel::MenuItemIndex item, bool on) {
  if (!SettingsFileUsable()) return;
  QSettings settings = Settings();
  settings.setValue(Key(item), on);
  settings.sync();
}
