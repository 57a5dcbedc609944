// The window's menu choices (跟随剪贴板, 显示全部编码), remembered for the user between runs in
// QSettings: ~/.config/Pavrel/Pavrel.conf on Linux ($XDG_CONFIG_HOME when set), under
// [Choices]. A file there that is not a regular file of sane size is neither read nor written.

#ifndef PAVREL_WINDOW_SAVED_CHOICES_H_
#define PAVREL_WINDOW_SAVED_CHOICES_H_

#include "lookup/form_layout.h"

// The item's remembered choice; off when none was made.
bool SavedChoice(pavrel::MenuItemIndex item);

// Remembers the item's choice at once, so that a program ended without warning keeps it.
void SaveChoice(pavrel::MenuItemIndex item, bool on);

#endif  // PAVREL_WINDOW_SAVED_CHOICES_H_
