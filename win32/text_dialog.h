// A modal box that shows a text in the lines it was written in: a message box wraps long lines
// again at a width of its own, which leaves an already wrapped text ragged.

#ifndef PAVREL_WIN32_TEXT_DIALOG_H_
#define PAVREL_WIN32_TEXT_DIALOG_H_

#include <string>

// The control that holds the text, as a message box's does.
constexpr int kTextDialogTextId = 0xFFFF;

// Shows `text` (LF line ends) with `title` in a read-only edit box as wide and tall as its
// lines, scrolled where the screen is smaller, above an OK button; returns once it is closed.
void ShowTextDialog(const std::wstring& title, const std::wstring& text);

#endif  // PAVREL_WIN32_TEXT_DIALOG_H_
