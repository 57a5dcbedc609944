#include "win32/window_icons.h"

#include <utility>

namespace {

HICON LoadIconAt(HWND window, int icon_id, int width_metric, int height_metric, UINT dpi) {
  const auto module = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
  return static_cast<HICON>(LoadImageW(module, MAKEINTRESOURCEW(icon_id), IMAGE_ICON,
                                       GetSystemMetricsForDpi(width_metric, dpi),
                                       GetSystemMetricsForDpi(height_metric, dpi), 0));
}

}  // namespace

WindowIcons::~WindowIcons() {
  if (small_ != nullptr) DestroyIcon(small_);
  if (big_ != nullptr) DestroyIcon(big_);
}

void WindowIcons::Load(HWND window, int icon_id, UINT dpi) {
  const HICON old_small =
      std::exchange(small_, LoadIconAt(window, icon_id, SM_CXSMICON, SM_CYSMICON, dpi));
  const HICON old_big = std::exchange(big_, LoadIconAt(window, icon_id, SM_CXICON, SM_CYICON, dpi));
  SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small_));
  SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(big_));
  // The window no longer shows them.
  if (old_small != nullptr) DestroyIcon(old_small);
  if (old_big != nullptr) DestroyIcon(old_big);
}
