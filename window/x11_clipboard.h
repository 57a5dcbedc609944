// Reads the beginning of X11's CLIPBOARD selection on a connection of its own, so that it can
// run outside the window's thread and give up on an owner that does not answer.

#ifndef PAVREL_WINDOW_X11_CLIPBOARD_H_
#define PAVREL_WINDOW_X11_CLIPBOARD_H_

#include <chrono>
#include <functional>
#include <optional>
#include <string>

// The first `bytes` bytes of the selection's text in UTF-8: UTF8_STRING, else
// text/plain;charset=utf-8, else text/plain. Nothing when no X server answers, the owner offers no
// such text, marks the copy secret (the target x-kde-passwordManagerHint with the value "secret",
// as password managers set it, or a value that cannot be read), lists its targets so that they
// cannot be read whole, has not answered within `timeout`, or once `stop` returns true. A large
// answer sent in increments (INCR), the text or the mark, is read no further than needed.
std::optional<std::string> ReadClipboardBeginning(std::size_t bytes,
                                                  std::chrono::milliseconds timeout,
                                                  const std::function<bool()>& stop);

#endif  // PAVREL_WINDOW_X11_CLIPBOARD_H_
