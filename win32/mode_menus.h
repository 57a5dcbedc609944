// The window's modes (pavrel::kMenuItems) as items of two menus: its system menu, where each
// item's check mark shows whether the mode is on, and its right-click menu, made afresh each time
// it opens.

#ifndef PAVREL_WIN32_MODE_MENUS_H_
#define PAVREL_WIN32_MODE_MENUS_H_

#include <windows.h>

#include <functional>
#include <optional>

#include "lookup/form_layout.h"

// The command of a mode's item, the same in both menus (in the system menu, an SC_ code's low
// four bits are the system's).
constexpr UINT MenuCommand(int item) { return 0x0010 * (item + 1); }
constexpr UINT kFollowClipboardCommand = MenuCommand(pavrel::kFollowClipboardItem);
constexpr UINT kAllCodesCommand = MenuCommand(pavrel::kAllCodesItem);

// Appends the modes to the system menu of `window`, below a separator, unchecked.
void AddModesToSystemMenu(HWND window);

// Shows in the system menu of `window` whether `item`'s mode is on.
void CheckModeItem(HWND window, pavrel::MenuItemIndex item, bool on);

// The mode whose item WM_SYSCOMMAND's `command` is, if any.
std::optional<pavrel::MenuItemIndex> ModeOfCommand(UINT command);

// Opens the right-click menu of `window` at `at` (screen coordinates), each item checked as
// `is_on` says, and returns the mode chosen, if any.
std::optional<pavrel::MenuItemIndex> ChooseMode(
    HWND window, POINT at, const std::function<bool(pavrel::MenuItemIndex)>& is_on);

#endif  // PAVREL_WIN32_MODE_MENUS_H_
