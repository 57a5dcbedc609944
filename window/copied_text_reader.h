// Reads each copy that the window follows outside the window's thread, so that an owner that is
// slow, never answers or offers a huge copy costs the window nothing: the window stays
// responsive, and a newer copy replaces a read still waiting for an older one.

#ifndef PAVREL_WINDOW_COPIED_TEXT_READER_H_
#define PAVREL_WINDOW_COPIED_TEXT_READER_H_

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "lookup/copied_text.h"
#include "window/wayland_clipboard.h"

// The character that copied text asks to put in the query box (lookup/copied_text.h), from its
// first 4 KiB as a copy is read; an empty string for none.
QString CharacterToLookUp(const QString& copied);

class CopiedTextReader : public QObject {
  Q_OBJECT

 public:
  explicit CopiedTextReader(QObject* parent = nullptr);
  ~CopiedTextReader() override;

  // Reads the clipboard, which has just changed: on X11 in a thread of its own, elsewhere
  // through Qt's clipboard.
  void Read();

  // Watches the clipboard of the Wayland session that the window's X server (XWayland) belongs
  // to, while `on`, where the compositor offers data control (wayland_clipboard.h): its copies
  // are then read as they are made, even while a Wayland window has the keyboard and XWayland
  // has not heard of them. The X server's clipboard is still read as it changes: a compositor
  // may pass on an X11 program's copy to Wayland only while that program has the keyboard.
  void WatchWaylandClipboard(bool on);

 signals:
  // What the newest copy asks to look up (lookup/copied_text.h); an empty text when it asks for
  // nothing.
  void copyRead(const pavrel::CopiedText& copy);

 private:
  void ReadCopies();                                      // the worker thread
  void WaylandCopyRead(std::optional<std::string> text);  // on the watch's thread

  std::mutex mutex_;
  std::condition_variable changed_;
  std::atomic<unsigned> newest_copy_ = 0;  // counts the clipboard's changes
  std::atomic<bool> stopping_ = false;
  std::thread worker_;
  std::unique_ptr<WaylandClipboard> wayland_clipboard_;
  // Whether the newest copy is one that the Wayland watch read, and its text.
  bool newest_from_wayland_ = false;
  std::optional<std::string> wayland_text_;
};

Q_DECLARE_METATYPE(pavrel::CopiedText)

#endif  // PAVREL_WINDOW_COPIED_TEXT_READER_H_
