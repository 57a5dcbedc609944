#include "win32/live_region.h"

#include <commctrl.h>
#include <oleacc.h>

namespace {

// The LiveSetting property and its Polite value, which the mingw-w64 headers do not declare.
// {C12BCD8E-2A8E-4950-8AE7-3625111D58EB}
constexpr GUID kLiveSettingProperty = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr LONG kPolite = 1;

constexpr UINT_PTR kSubclassId = 1;

// Takes the mark off the control when it is destroyed, as the annotation service asks, and
// lets go of the service and of COM.
LRESULT CALLBACK ClearOnDestroy(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                DWORD_PTR data) {
  if (message == WM_NCDESTROY) {
    auto* services = reinterpret_cast<IAccPropServices*>(data);
    const MSAAPROPID props[] = {kLiveSettingProperty};
    services->ClearHwndProps(hwnd, OBJID_CLIENT, CHILDID_SELF, props, 1);
    services->Release();
    CoUninitialize();
    RemoveWindowSubclass(hwnd, ClearOnDestroy, kSubclassId);
  }
  return DefSubclassProc(hwnd, message, wParam, lParam);
}

}  // namespace

void MakePoliteLiveRegion(HWND control) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return;
  IAccPropServices* services = nullptr;
  VARIANT polite{};
  polite.vt = VT_I4;
  polite.lVal = kPolite;
  if (SUCCEEDED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                 IID_IAccPropServices, reinterpret_cast<void**>(&services))) &&
      SUCCEEDED(services->SetHwndProp(control, OBJID_CLIENT, CHILDID_SELF, kLiveSettingProperty,
                                      polite)) &&
      SetWindowSubclass(control, ClearOnDestroy, kSubclassId,
                        reinterpret_cast<DWORD_PTR>(services))) {
    return;
  }
  if (services != nullptr) services->Release();
  CoUninitialize();
}

void MarkLiveRegionChanged(HWND control) {
  NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, control, OBJID_CLIENT, CHILDID_SELF);
}
