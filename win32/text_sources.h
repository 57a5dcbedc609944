// Where the window's text comes from: a control's text and the clipboard's.

#ifndef PAVREL_WIN32_TEXT_SOURCES_H_
#define PAVREL_WIN32_TEXT_SOURCES_H_

#include <windows.h>

#include <string>

// The text of a window of this thread.
std::wstring WindowText(HWND hwnd);

// The clipboard's text up to its first `limit` units, read in place; empty when it holds none or
// another program has it open.
std::wstring ClipboardText(HWND owner, std::size_t limit);

#endif  // PAVREL_WIN32_TEXT_SOURCES_H_
