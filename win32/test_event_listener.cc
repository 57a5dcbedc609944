// Listens as a screen reader does: hooks the WinEvents of another process out of context and
// writes each live-region change to a file as "event window object child", after a first line "ready".
// Usage: test_event_listener PROCESS-ID FILE. Ends with that process, or after a minute.

#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

FILE* out = nullptr;

void CALLBACK OnEvent(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD,
                      DWORD) {
  std::fprintf(out, "%lx %p %ld %ld\n", event, static_cast<void*>(hwnd), object, child);
  std::fflush(out);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  const DWORD id = std::wcstoul(argv[1], nullptr, 10);
  const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, id);
  out = _wfopen(argv[2], L"w");
  if (process == nullptr || out == nullptr ||
      SetWinEventHook(EVENT_OBJECT_LIVEREGIONCHANGED, EVENT_OBJECT_LIVEREGIONCHANGED, nullptr,
                      OnEvent, id, 0, WINEVENT_OUTOFCONTEXT) == nullptr) {
    return 1;
  }
  std::fputs("ready\n", out);
  std::fflush(out);
  // Out-of-context events arrive through this thread's message queue.
  while (MsgWaitForMultipleObjects(1, &process, FALSE, 60000, QS_ALLINPUT) == WAIT_OBJECT_0 + 1) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  return 0;
}
