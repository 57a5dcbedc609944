#include "win32/form_geometry.h"

#include <algorithm>
#include <cwchar>

#include "win32/message_font.h"

// The window's own font is the system's message font; the Song face is SimSun (宋体), scaled
// from 96 dpi to `dpi`. Codes are in Courier New, whose l, 1 and I differ, in the message font's
// size; Chinese comes from the face that the system links to it (SimSun on a Chinese Windows).
HFONT MakeFont(const pavrel::FontStyle& style, UINT dpi) {
  if (style.codes) {
    const HFONT message = CreateMessageFont(dpi);
    LOGFONTW font{};
    GetObjectW(message, sizeof(font), &font);
    DeleteObject(message);
    wcscpy_s(font.lfFaceName, L"Courier New");
    font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
    font.lfCharSet = DEFAULT_CHARSET;
    return CreateFontIndirectW(&font);
  }
  if (!style.song) return CreateMessageFont(dpi);
  return CreateFontW(-Scale(style.pixels, dpi), 0, 0, 0, FW_NORMAL, style.italic, FALSE, FALSE,
                     GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, L"SimSun");
}

SIZE WindowSizeFor(UINT dpi, int result_height) {
  RECT frame{0, 0, Scale(pavrel::kClientWidth, dpi),
             Scale(pavrel::GrownClientHeight(result_height), dpi)};
  AdjustWindowRectExForDpi(&frame, kFormStyle, FALSE, 0, dpi);
  return {frame.right - frame.left, frame.bottom - frame.top};
}

int WholeRecordHeight(HWND label, const std::wstring& record, HFONT font, UINT dpi) {
  const pavrel::Box& described = pavrel::kControls[pavrel::kResultLabel].box;
  // Measured as the static control wraps its text.
  RECT text{0, 0, Scale(described.width, dpi), 0};
  const HDC dc = GetDC(label);
  const HGDIOBJ old_font = SelectObject(dc, font);
  DrawTextW(dc, record.c_str(), -1, &text,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  SelectObject(dc, old_font);
  ReleaseDC(label, dc);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(GetParent(label), MONITOR_DEFAULTTONEAREST), &monitor);
  RECT frame{};
  AdjustWindowRectExForDpi(&frame, kFormStyle, FALSE, 0, dpi);
  // Rounded down, so that the client area scaled back to `dpi` is no taller than the room.
  const int room = (monitor.rcWork.bottom - monitor.rcWork.top - (frame.bottom - frame.top)) * 96 /
                       static_cast<int>(dpi) -
                   pavrel::kClientHeight;
  const int height = (text.bottom * 96 + static_cast<int>(dpi) - 1) / static_cast<int>(dpi);
  return std::min(height, described.height + room);
}

// SetWindowPos leaves a minimized window's rectangle for when it is restored as it was; that one
// is in work area coordinates.
void PlaceWindow(HWND hwnd, const RECT& screen, bool move) {
  if (!IsIconic(hwnd)) {
    SetWindowPos(hwnd, nullptr, screen.left, screen.top, screen.right - screen.left,
                 screen.bottom - screen.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | (move ? 0 : SWP_NOMOVE));
    return;
  }
  WINDOWPLACEMENT placement{};
  placement.length = sizeof(placement);
  GetWindowPlacement(hwnd, &placement);
  RECT& normal = placement.rcNormalPosition;
  if (move) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromRect(&screen, MONITOR_DEFAULTTONEAREST), &monitor);
    normal = screen;
    OffsetRect(&normal, monitor.rcMonitor.left - monitor.rcWork.left,
               monitor.rcMonitor.top - monitor.rcWork.top);
  } else {
    normal.right = normal.left + screen.right - screen.left;
    normal.bottom = normal.top + screen.bottom - screen.top;
  }
  placement.showCmd = SW_SHOWMINNOACTIVE;
  SetWindowPlacement(hwnd, &placement);
}
