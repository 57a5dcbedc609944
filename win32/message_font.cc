#include "win32/message_font.h"

HFONT CreateMessageFont(UINT dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (!SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
    // Where the system cannot say it for a given DPI, it says it for its own, which is scaled.
    metrics.cbSize = sizeof(metrics);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
      LOGFONTW& font = metrics.lfMessageFont;
      font.lfHeight = MulDiv(font.lfHeight, static_cast<int>(dpi), GetDpiForSystem());
    } else {
      metrics.lfMessageFont = {};
      metrics.lfMessageFont.lfHeight = -MulDiv(9, static_cast<int>(dpi), 72);
      metrics.lfMessageFont.lfCharSet = DEFAULT_CHARSET;
    }
  }
  return CreateFontIndirectW(&metrics.lfMessageFont);
}
