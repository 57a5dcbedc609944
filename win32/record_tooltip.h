// The result label's tooltip: the label cuts a long record off at its edge, and its tooltip shows
// the whole of it, in the window's font, wrapped.

#ifndef PAVREL_WIN32_RECORD_TOOLTIP_H_
#define PAVREL_WIN32_RECORD_TOOLTIP_H_

#include <windows.h>

#include <string>

class RecordTooltip {
 public:
  // Makes `record` the tip of `label`, also when the tip is open. The tooltip is made at the
  // first call, in `font` for `dpi`.
  void Show(HWND label, const std::wstring& record, HFONT font, UINT dpi);

  // Gives the tooltip, once made, `font` and the width to wrap at for `dpi`.
  void Fit(HFONT font, UINT dpi);

 private:
  HWND tooltip_ = nullptr;  // owned by the label's window, which destroys it
};

#endif  // PAVREL_WIN32_RECORD_TOOLTIP_H_
