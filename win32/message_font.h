// The window's own font: the system's message font, the face and size that Windows gives message
// boxes and dialogs (Microsoft YaHei UI 9 pt on a Simplified Chinese Windows 10 or 11).

#ifndef PAVREL_WIN32_MESSAGE_FONT_H_
#define PAVREL_WIN32_MESSAGE_FONT_H_

#include <windows.h>

// Creates the message font at `dpi`, as the user has set it. The caller owns the font.
HFONT CreateMessageFont(UINT dpi);

#endif  // PAVREL_WIN32_MESSAGE_FONT_H_
