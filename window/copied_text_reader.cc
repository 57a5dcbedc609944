#include "window/copied_text_reader.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <string_view>

#include "lookup/copied_text.h"
#include "window/x11_clipboard.h"

namespace {

using namespace std::chrono_literals;

// How long an owner may take to answer all of a read.
constexpr auto kOwnerTimeout = 2s;

QString AsQString(std::optional<char32_t> character) {
  return character ? QString::fromUcs4(&*character, 1) : QString();
}

// Other platforms than X11 read through Qt's clipboard, in the window's thread.
QString CharacterFromQtClipboard() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (data == nullptr || data->data("x-kde-passwordManagerHint") == "secret") return {};
  return CharacterToLookUp(data->text());
}

}  // namespace

QString CharacterToLookUp(const QString& copied) {
  const QStringView text = QStringView(copied).left(pavrel::kCopiedTextBytes / 2);
  return AsQString(pavrel::CopiedCharacter(std::u16string_view(text.utf16(), text.size())));
}

CopiedTextReader::CopiedTextReader(QObject* parent) : QObject(parent) {}

CopiedTextReader::~CopiedTextReader() {
  WatchWaylandClipboard(false);
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_one();
  if (worker_.joinable()) worker_.join();
}

void CopiedTextReader::Read() {
  if (QGuiApplication::platformName() != "xcb") {
    emit characterRead(CharacterFromQtClipboard());
    return;
  }
  {
    const std::lock_guard lock(mutex_);
    newest_from_wayland_ = false;
    ++newest_copy_;
  }
  if (!worker_.joinable()) worker_ = std::thread(&CopiedTextReader::ReadCopies, this);
  changed_.notify_one();
}

void CopiedTextReader::WatchWaylandClipboard(bool on) {
  if (!on) {
    wayland_clipboard_.reset();  // not under the lock: the watch's thread may be waiting for it
    return;
  }
  if (wayland_clipboard_ != nullptr || QGuiApplication::platformName() != "xcb") return;
  wayland_clipboard_ = WaylandClipboard::Watch(
      pavrel::kCopiedTextBytes, kOwnerTimeout,
      [this](std::optional<std::string> text) { WaylandCopyRead(std::move(text)); });
  if (wayland_clipboard_ != nullptr && !worker_.joinable()) {
    worker_ = std::thread(&CopiedTextReader::ReadCopies, this);
  }
}

void CopiedTextReader::WaylandCopyRead(std::optional<std::string> text) {
  {
    const std::lock_guard lock(mutex_);
    newest_from_wayland_ = true;
    wayland_text_ = std::move(text);
    ++newest_copy_;
  }
  changed_.notify_one();
}

void CopiedTextReader::ReadCopies() {
  unsigned read_copy = 0;
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [&] { return stopping_ || newest_copy_ != read_copy; });
    if (stopping_) return;
    const unsigned copy = read_copy = newest_copy_;
    const bool wayland = newest_from_wayland_;
    std::optional<std::string> wayland_text = wayland_text_;
    lock.unlock();
    const std::optional<std::string> text =
        wayland ? std::move(wayland_text)
                : ReadClipboardBeginning(pavrel::kCopiedTextBytes, kOwnerTimeout,
                                         [&] { return stopping_ || newest_copy_ != copy; });
    const QString character = AsQString(text ? pavrel::CopiedCharacter(*text) : std::nullopt);
    // Told in the window's thread, unless a newer copy has come meanwhile.
    QMetaObject::invokeMethod(
        this,
        [this, copy, character] {
          if (copy == newest_copy_) emit characterRead(character);
        },
        Qt::QueuedConnection);
    lock.lock();
  }
}
