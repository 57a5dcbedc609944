// The window's menu choices (跟随剪贴板, 显示全部编码), remembered for the user between runs as
// DWORD values of the registry key HKEY_CURRENT_USER\Software\Pavrel, named by the item, which
// a portable program may write without being installed.

#ifndef PAVREL_WIN32_SAVED_CHOICES_H_
#define PAVREL_WIN32_SAVED_CHOICES_H_

#include "lookup/form_layout.h"

// The registry key, under HKEY_CURRENT_USER.
constexpr wchar_t kChoicesKey[] = L"Software\\Pavrel";

// The item's remembered choice; off when none was made or it cannot be read.
bool SavedChoice(pavrel::MenuItemIndex item);

// Remembers the item's choice at once, so that a program ended without warning keeps it. A
// registry that cannot be written leaves the choice to this run.
void SaveChoice(pavrel::MenuItemIndex item, bool on);

#endif  // PAVREL_WIN32_SAVED_CHOICES_H_
