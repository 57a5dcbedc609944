#include <windows.h>

#include "win32/form1.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  Form1 form;
  const HWND window = form.Create(instance);
  if (window == nullptr) return 1;
  // Closing the window destroys it, and that ends the program.
  MSG message;
  while (IsWindow(window) && GetMessageW(&message, nullptr, 0, 0) > 0) {
    DispatchFormMessage(window, message);
  }
  return 0;
}
