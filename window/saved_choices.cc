#include "window/saved_choices.h"

#include <QFile>
#include <QLockFile>
#include <QSettings>
#include <QStandardPaths>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <system_error>
#include <utility>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

QString Key(pavrel::MenuItemIndex item) {
  return QStringLiteral("Choices/") + pavrel::kMenuItems[item].name;
}

// The organisation and the program are both Pavrel: the file is Pavrel/Pavrel.conf.
constexpr char kName[] = "Pavrel";
QSettings Settings() { return QSettings(kName, kName); }

QString SettingsPath() {
  return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
         QStringLiteral("/%1/%1.conf").arg(kName);
}

// Far more than the few lines of choices, or of a lock.
constexpr std::uintmax_t kMostSettingsBytes = 1 << 20;

// How long a lock that another process holds is waited for: far longer than a save takes.
constexpr auto kLockWait = 500ms;

// Whether `path` holds nothing, or a regular file of sane size; a symbolic link to one counts only
// when `follow`. A FIFO or a device would hold up the window as it is opened, a huge file delay it.
bool Sane(const QString& path, bool follow) {
  const fs::path file = QFile::encodeName(path).toStdString();
  std::error_code error;
  const fs::file_status status = follow ? fs::status(file, error) : fs::symlink_status(file, error);
  if (status.type() == fs::file_type::not_found) return true;
  return status.type() == fs::file_type::regular &&
         fs::file_size(file, error) <= kMostSettingsBytes && !error;
}

// Tells the user once why the choices are not remembered.
bool Refuse(const QString& path, const char* why) {
  static bool told = false;
  if (!std::exchange(told, true)) std::cerr << "pavrel: " << path.toStdString() << why;
  return false;
}

// Whether QSettings may open the file, which may be a link to one kept elsewhere. Otherwise the
// choices stay off and nothing is written.
bool SettingsFileUsable() {
  const QString path = SettingsPath();
  return Sane(path, true) ||
         Refuse(path,
                " is not a regular file of at most 1 MiB: the menu's choices are neither read nor "
                "saved\n");
}

// Whether QSettings may write. It first takes the lock file beside the settings file, and waits
// until it can: forever when a folder is there, which it cannot remove as stale, or a FIFO, whose
// opening waits for a writer, and up to half a minute while another process holds the lock. So
// the lock must be absent or a regular file (QLockFile makes no links), and free within a moment;
// otherwise the choice is simply not saved.
bool LockUsable() {
  const QString path = SettingsPath() + QStringLiteral(".lock");
  if (Sane(path, false)) {
    // Released at once, for QSettings to take. A lock that cannot be made at all, as before the
    // folder is, holds nothing up: QSettings makes the folder, or gives up at once.
    QLockFile lock(path);
    if (lock.tryLock(kLockWait) || lock.error() != QLockFile::LockFailedError) return true;
  }
  return Refuse(path, " is in the way or held: the menu's choices are not saved\n");
}

}  // namespace

bool SavedChoice(pavrel::MenuItemIndex item) {
  return SettingsFileUsable() && Settings().value(Key(item), false).toBool();
}

void SaveChoice(pavrel::MenuItemIndex item, bool on) {
  if (!SettingsFileUsable() || !LockUsable()) return;
  QSettings settings = Settings();
  settings.setValue(Key(item), on);
  settings.sync();
}
