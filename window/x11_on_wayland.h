// Choice of Qt's platform for a window that must stay on top.

#ifndef PAVREL_WINDOW_X11_ON_WAYLAND_H_
#define PAVREL_WINDOW_X11_ON_WAYLAND_H_

// Wayland compositors ignore a client's wish to stay above other windows, while XWayland honours
// it. In a Wayland session with an X server at hand, and no platform chosen by the user, this
// makes Qt use X11 (xcb). Call it before the application object is created.
void PreferX11OnWayland();

#endif  // PAVREL_WINDOW_X11_ON_WAYLAND_H_
