// The title bar's and the taskbar's icons of a window, made from the program's icon for the DPI
// of the monitor that shows the window, so that neither is scaled from another size.

#ifndef PAVREL_WIN32_WINDOW_ICONS_H_
#define PAVREL_WIN32_WINDOW_ICONS_H_

#include <windows.h>

class WindowIcons {
 public:
  WindowIcons() = default;
  WindowIcons(const WindowIcons&) = delete;
  WindowIcons& operator=(const WindowIcons&) = delete;
  ~WindowIcons();

  // Gives `window` the small and the big icon of resource `icon_id` at `dpi`, and frees those
  // it had from here before.
  void Load(HWND window, int icon_id, UINT dpi);

 private:
  HICON small_ = nullptr;
  HICON big_ = nullptr;
};

#endif  // PAVREL_WIN32_WINDOW_ICONS_H_
