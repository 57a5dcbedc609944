// The window's layout (lookup/form_layout.h) at a DPI: pixels and fonts scaled from 96 dpi, the
// window's size around its client area, the result label's height for a whole record, and a move
// that also holds for a minimized window.

#ifndef PAVREL_WIN32_FORM_GEOMETRY_H_
#define PAVREL_WIN32_FORM_GEOMETRY_H_

#include <windows.h>

#include <string>

#include "lookup/form_layout.h"

// A caption, a system menu and a minimize box; no maximize box and no sizing border, since the
// layout is fixed.
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

inline int Scale(int pixels, UINT dpi) { return MulDiv(pixels, static_cast<int>(dpi), 96); }

// The font of `style` at `dpi`. The caller owns it.
HFONT MakeFont(const pavrel::FontStyle& style, UINT dpi);

// The window's size around the layout's client area at `dpi`, its result label `result_height`
// pixels high at 96 dpi (0: as described).
SIZE WindowSizeFor(UINT dpi, int result_height);

// The height at 96 dpi that `label`, the result label, needs to show `record` whole in `font` at
// `dpi`, up to what the work area of its window's monitor can hold.
int WholeRecordHeight(HWND label, const std::wstring& record, HFONT font, UINT dpi);

// Gives the window the size of `screen`, and its place too when `move`, as SetWindowPos does; a
// minimized window gets them for when it is restored.
void PlaceWindow(HWND hwnd, const RECT& screen, bool move);

#endif  // PAVREL_WIN32_FORM_GEOMETRY_H_
