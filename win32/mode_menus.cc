#include "win32/mode_menus.h"

#include <iterator>

#include "win32/text_conversion.h"

namespace {

constexpr int kModes = static_cast<int>(std::size(pavrel::kMenuItems));

void AppendMode(HMENU menu, int item, UINT checked) {
  AppendMenuW(menu, MF_STRING | checked, MenuCommand(item),
              FromUtf8(pavrel::kMenuItems[item].text).c_str());
}

}  // namespace

void AddModesToSystemMenu(HWND window) {
  const HMENU system_menu = GetSystemMenu(window, FALSE);
  AppendMenuW(system_menu, MF_SEPARATOR, 0, nullptr);
  for (int item = 0; item < kModes; ++item) AppendMode(system_menu, item, MF_UNCHECKED);
}

void CheckModeItem(HWND window, pavrel::MenuItemIndex item, bool on) {
  CheckMenuItem(GetSystemMenu(window, FALSE), MenuCommand(item),
                MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

std::optional<pavrel::MenuItemIndex> ModeOfCommand(UINT command) {
  for (int item = 0; item < kModes; ++item) {
    if ((command & 0xFFF0) == MenuCommand(item)) return static_cast<pavrel::MenuItemIndex>(item);
  }
  return std::nullopt;
}

std::optional<pavrel::MenuItemIndex> ChooseMode(
    HWND window, POINT at, const std::function<bool(pavrel::MenuItemIndex)>& is_on) {
  const HMENU menu = CreatePopupMenu();
  for (int item = 0; item < kModes; ++item) {
    AppendMode(menu, item, is_on(static_cast<pavrel::MenuItemIndex>(item)) ? MF_CHECKED : 0);
  }
  const UINT command =
      TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, window, nullptr);
  DestroyMenu(menu);
  return command != 0 ? ModeOfCommand(command) : std::nullopt;
}
