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

// What the beginning of `copied` asks to look up, as a copy is read.
std::optional<pavrel::CopiedText> ReadCopiedText(const QString& copied) {
  const QStringView text = QStringView(copied).left(pavrel::kCopiedTextBytes / 2);
  return pavrel::ReadCopiedText(std::u16string_view(text.utf16(), text.size()));
}

// Other platforms than X11 read through Qt's clipboard, in the window's thread.
std::optional<pavrel::CopiedText> ReadQtClipboard() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData();
  if (data == nullptr || data->data("x-kde-passwordManagerHint") == "secret") return {};
  return ReadCopiedText(data->text());
}

}  // namespace

QString CharacterToLookUp(const QString& copied) {
  const std::optional<pavrel::CopiedText> copy = ReadCopiedText(copied);
  return copy ? QString::fromStdU32String(copy->text.substr(0, 1)) : QString();
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
    emit copyRead(ReadQtClipboard().value_or(pavrel::CopiedText{}));
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
    std::optional<pavrel::CopiedText> read;
    if (text) read = pavrel::ReadCopiedText(*text);
    // Told in the window's thread, unless a newer copy has come meanwhile.
    QMetaObject::invokeMethod(
        this,
        [this, copy, read] {
          if (copy == newest_copy_) emit copyRead(read.value_or(pavrel::CopiedText{}));
        },
        Qt::QueuedConnection);
    lock.lock();
  }
}
