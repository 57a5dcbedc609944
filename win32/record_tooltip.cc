#include "win32/record_tooltip.h"

#include <commctrl.h>

// The tooltip is made at the first result, after start-up: Wine does not make a window topmost
// while it owns a popup.
void RecordTooltip::Show(HWND label, const std::wstring& record, HFONT font, UINT dpi) {
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(label);
  tool.uId = reinterpret_cast<UINT_PTR>(label);
  tool.lpszText = const_cast<wchar_t*>(record.c_str());  // copied, not kept
  if (tooltip_ == nullptr) {
    tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0, 0, 0, 0, tool.hwnd,
                               nullptr, nullptr, nullptr);
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    Fit(font, dpi);
  }
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
  // A tip that is open over the label is drawn again, with the new record.
  SendMessageW(tooltip_, TTM_UPDATE, 0, 0);
}

void RecordTooltip::Fit(HFONT font, UINT dpi) {
  if (tooltip_ == nullptr) return;
  SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, MulDiv(400, static_cast<int>(dpi), 96));
}
