#include "win32/saved_choices.h"

#include <windows.h>

#include "win32/text_conversion.h"

bool SavedChoice(pavrel::MenuItemIndex item) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  return RegGetValueW(HKEY_CURRENT_USER, kChoicesKey,
                      FromUtf8(pavrel::kMenuItems[item].name).c_str(), RRF_RT_REG_DWORD, nullptr,
                      &value, &size) == ERROR_SUCCESS &&
         value != 0;
}

void SaveChoice(pavrel::MenuItemIndex item, bool on) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kChoicesKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return;
  }
  const DWORD value = on ? 1 : 0;
  RegSetValueExW(key, FromUtf8(pavrel::kMenuItems[item].name).c_str(), 0, REG_DWORD,
                 reinterpret_cast<const BYTE*>(&value), sizeof(value));
  RegCloseKey(key);
}
