// Watches the clipboard of a Wayland session through the compositor's data-control protocol, on a
// connection and thread of its own. XWayland may hear of a copy made in a Wayland program only
// once an X11 window next gets the keyboard; the watch hears of it at once, without focus.

#ifndef PAVREL_WINDOW_WAYLAND_CLIPBOARD_H_
#define PAVREL_WINDOW_WAYLAND_CLIPBOARD_H_

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class WaylandClipboard {
 public:
  // Told, on the watch's thread, the first `bytes` bytes of each new copy's text in UTF-8:
  // text/plain;charset=utf-8, else UTF8_STRING, else text/plain. Nothing when the copy offers no
  // such text, is marked secret (secret_mark.h), is cleared, or its owner has sent nothing within
  // the timeout; a newer copy ends the wait for an older one, which is then never told.
  using CopyRead = std::function<void(std::optional<std::string> text)>;

  // Starts watching where WAYLAND_DISPLAY names a compositor that offers ext_data_control_v1 or
  // zwlr_data_control_manager_v1; nullptr elsewhere. The copy that the clipboard holds when the
  // watch starts is not read: only copies made later are.
  static std::unique_ptr<WaylandClipboard> Watch(std::size_t bytes,
                                                 std::chrono::milliseconds timeout,
                                                 CopyRead copy_read);

  // Stops watching: `copy_read` is not called once this returns.
  ~WaylandClipboard();

  class Connection;

 private:
  explicit WaylandClipboard(std::unique_ptr<Connection> connection);

  std::unique_ptr<Connection> connection_;
};

#endif  // PAVREL_WINDOW_WAYLAND_CLIPBOARD_H_
