#include "win32/form1.h"

#include <commctrl.h>
#include <windowsx.h>

#include <iterator>
#include <new>
#include <utility>

#include "lookup/lookup_command.h"
#include "win32/form_geometry.h"
#include "win32/live_region.h"
#include "win32/query_box_filter.h"
#include "win32/saved_choices.h"
#include "win32/text_conversion.h"
#include "win32/text_sources.h"

namespace {

constexpr int kIconId = 1;  // in pavrel.rc

// A control of the description as a native control: its class, styles and extended styles.
struct NativeControl {
  const wchar_t* class_name;
  DWORD style;
  DWORD ex_style;
};

NativeControl NativeControlFor(pavrel::ControlIndex index) {
  constexpr DWORD kVisible = WS_CHILD | WS_VISIBLE;
  switch (pavrel::kControls[index].kind) {
    case pavrel::ControlKind::kQueryBox:
      return {WC_EDITW, kVisible | WS_TABSTOP | ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case pavrel::ControlKind::kButton:
      return {WC_BUTTONW, kVisible | WS_TABSTOP | BS_DEFPUSHBUTTON, 0};
    case pavrel::ControlKind::kLabel:
      break;
  }
  // SS_NOTIFY lets the result label take the mouse, so that its tooltip can show.
  const DWORD notify = index == pavrel::kResultLabel ? SS_NOTIFY : 0;
  return {WC_STATICW, kVisible | SS_LEFT | SS_NOPREFIX | notify, 0};
}

}  // namespace

Form1::~Form1() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  for (const HFONT font : fonts_) DeleteObject(font);
}

HWND Form1::Create(HINSTANCE instance, int show) {
  const INITCOMMONCONTROLSEX common_controls{sizeof(common_controls), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&common_controls);
  const std::wstring class_name = FromUtf8(pavrel::kFormName);
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconId));
  // Shared, as the large icon is: the system frees it, also when the class exists already.
  window_class.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kIconId),
                                                       IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                       GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = class_name.c_str();
  RegisterClassExW(&window_class);  // fails harmlessly when a second window registers it again
  if (CreateWindowExW(0, class_name.c_str(), FromUtf8(pavrel::kFormCaption).c_str(), kFormStyle,
                      CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance,
                      this) == nullptr) {
    return nullptr;
  }
  // Start-up: float above ordinary windows and appear as the program was started (a shortcut
  // or `start /min` may ask for a minimized window; a maximized one, of fixed size, opens
  // normally), then take typing in the query box.
  SetWindowPos(hwnd_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ShowWindow(hwnd_, show == SW_SHOWMAXIMIZED ? SW_SHOWNORMAL : show);
  FocusQueryBox();
  return hwnd_;
}

LRESULT CALLBACK Form1::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* form = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    form->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    // Under the first per-monitor DPI awareness (Windows 10 1607), the caption and the borders
    // scale only when asked; later versions scale them anyway.
    EnableNonClientDpiScaling(hwnd);
  }
  auto* form = reinterpret_cast<Form1*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return form != nullptr ? form->HandleMessage(hwnd, message, wParam, lParam)
                         : DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT Form1::HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    HANDLE_MSG(hwnd, WM_CREATE, OnCreate);
    HANDLE_MSG(hwnd, WM_COMMAND, OnCommand);
    HANDLE_MSG(hwnd, WM_ACTIVATE, OnActivate);
    HANDLE_MSG(hwnd, WM_NCDESTROY, OnNcDestroy);
    HANDLE_MSG(hwnd, WM_SYSCOMMAND, OnSysCommand);
    // Not through its cracker, which reads the coordinates unsigned: the keyboard's -1, -1 and a
    // monitor left of or above the main one give negative ones.
    case WM_CONTEXTMENU:
      OnContextMenu(hwnd, reinterpret_cast<HWND>(wParam), GET_X_LPARAM(lParam),
                    GET_Y_LPARAM(lParam));
      return 0;
    case WM_CLIPBOARDUPDATE:
    case WM_TIMER:
      if (clipboard_.HandleMessage(hwnd, message, wParam)) return 0;
      break;
    case WM_DPICHANGED:
      OnDpiChanged(hwnd, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    // Asked before WM_DPICHANGED, so that the rectangle that it suggests has the window's size
    // at the new DPI: the layout's client area, with the frame at that DPI.
    case WM_GETDPISCALEDSIZE: {
      const auto dpi = static_cast<UINT>(wParam);
      *reinterpret_cast<SIZE*>(lParam) = WindowSizeFor(dpi, ResultHeightFor(dpi));
      return TRUE;
    }
    case WM_SETTINGCHANGE:
      OnSettingChange(static_cast<UINT>(wParam));
      break;
    // Asked by IsDialogMessage on Enter: Command1 is the default button.
    case DM_GETDEFID:
      return MAKELRESULT(kCommand1Id, DC_HASDEFID);
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

// Makes the controls in tab order and lays them out for the window's DPI.
BOOL Form1::OnCreate(HWND hwnd, LPCREATESTRUCT create) {
  for (int index = 0; index < static_cast<int>(std::size(pavrel::kControls)); ++index) {
    const NativeControl native = NativeControlFor(static_cast<pavrel::ControlIndex>(index));
    if (CreateWindowExW(native.ex_style, native.class_name,
                        FromUtf8(pavrel::kControls[index].text).c_str(), native.style, 0, 0, 0, 0,
                        hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(ControlId(index))),
                        create->hInstance, nullptr) == nullptr) {
      return FALSE;
    }
  }
  text1_ = GetDlgItem(hwnd, kText1Id);
  label3_ = GetDlgItem(hwnd, kLabel3Id);
  // Screen readers name an edit box after the static control just before it in z-order, which
  // is creation order: the prompt moves there, past the result caption.
  SetWindowPos(GetDlgItem(hwnd, ControlId(pavrel::kPromptLabel)), GetWindow(text1_, GW_HWNDPREV), 0,
               0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  KeepToOneCharacter(text1_);
  MakePoliteLiveRegion(label3_);  // screen readers speak each result
  dpi_ = GetDpiForWindow(hwnd);
  icons_.Load(hwnd, kIconId, dpi_);
  AddModesToSystemMenu(hwnd);
  all_codes_ = SavedChoice(pavrel::kAllCodesItem);
  CheckModeItem(hwnd, pavrel::kAllCodesItem, all_codes_);
  SetFonts();
  SetFollowClipboard(SavedChoice(pavrel::kFollowClipboardItem));
  return TRUE;
}

void Form1::OnCommand(HWND, int id, HWND, UINT code) {
  if (id == kCommand1Id && code == BN_CLICKED) Lookup();
  // IDCANCEL, which IsDialogMessage sends for Escape, is ignored: Escape does not close.
}

// A plain window does not remember its focused control, as a dialog does: keep it across a
// switch to another application, so that typing goes on where it left off.
void Form1::OnActivate(HWND, UINT state, HWND, BOOL minimized) {
  if (state == WA_INACTIVE) {
    if (IsChild(hwnd_, GetFocus())) last_focus_ = GetFocus();
  } else if (!minimized) {
    SetFocus(last_focus_ != nullptr ? last_focus_ : text1_);
  }
}

// The window is gone, however it was closed (also by another program's WM_CLOSE): so is the
// program.
void Form1::OnNcDestroy(HWND hwnd) {
  SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  hwnd_ = nullptr;
  PostQuitMessage(0);
}

void Form1::OnSysCommand(HWND hwnd, UINT command, int x, int y) {
  if (const auto item = ModeOfCommand(command)) return ChooseMenuItem(*item);
  FORWARD_WM_SYSCOMMAND(hwnd, command, x, y, DefWindowProcW);
}

// A right-click on the window outside the query box (which has its own edit menu), or the menu
// key or Shift+F10 there, opens the menu of the window's modes. At the keyboard, the menu opens
// at the window's top left corner.
void Form1::OnContextMenu(HWND hwnd, HWND control, int x, int y) {
  POINT at{x, y};
  RECT client{};
  GetClientRect(hwnd, &client);
  MapWindowPoints(hwnd, nullptr, reinterpret_cast<POINT*>(&client), 2);
  if (x == -1 && y == -1) {
    at = {client.left, client.top};
  } else if (!PtInRect(&client, at)) {
    // On the title bar: the system menu.
    FORWARD_WM_CONTEXTMENU(hwnd, control, x, y, DefWindowProcW);
    return;
  }
  if (const auto item = ChooseMode(hwnd, at, [this](auto item) { return IsOn(item); })) {
    ChooseMenuItem(*item);
  }
}

// A mode switched from a menu is remembered at once.
void Form1::ChooseMenuItem(pavrel::MenuItemIndex item) {
  const bool on = !IsOn(item);
  item == pavrel::kAllCodesItem ? SetAllCodes(on) : SetFollowClipboard(on);
  SaveChoice(item, IsOn(item));
}

bool Form1::IsOn(pavrel::MenuItemIndex item) const {
  return item == pavrel::kAllCodesItem ? all_codes_ : clipboard_.following();
}

void Form1::SetAllCodes(bool on) {
  all_codes_ = on;
  CheckModeItem(hwnd_, pavrel::kAllCodesItem, on);
  FitResult();
}

void Form1::SetFollowClipboard(bool on) {
  clipboard_.Follow(hwnd_, on);
  CheckModeItem(hwnd_, pavrel::kFollowClipboardItem, clipboard_.following());
}

// Looks the copy up as Enter would its first character, which the query box gets, but shows the
// phrase it begins with or the word it is, leaving the keyboard where the user copied.
void Form1::LookUpCopied(const pavrel::CopiedText& copy) {
  try {
    SetWindowTextW(text1_, ToUtf16(std::u32string_view(copy.text).substr(0, 1)).c_str());
    message_shown_ = false;
    Lookup(&copy);
    // The table is there again: the open box that says it is missing is out of date.
    if (!message_shown_) message_box_.Close();
  } catch (const std::bad_alloc&) {
    // Out of memory, before the query box changed or in its rule: the window goes on as before.
  }
}

// Moved to a monitor with another DPI: the same layout at the new scale, in the rectangle that
// Windows suggests, in one move.
void Form1::OnDpiChanged(HWND hwnd, UINT dpi, const RECT& suggested) {
  dpi_ = dpi;
  icons_.Load(hwnd, kIconId, dpi);
  PlaceWindow(hwnd, suggested, true);
  // The suggested size is the one WM_GETDPISCALEDSIZE answered, measured with the fonts for the
  // new DPI: fitting changes it no more, unless the new monitor's work area caps it otherwise.
  SetFonts();
}

// The user chose another message font (or its size): the window's font follows.
void Form1::OnSettingChange(UINT setting) {
  if (setting == SPI_SETNONCLIENTMETRICS) SetFonts();
}

// Makes the fonts for dpi_, and lays the window out at that scale.
void Form1::SetFonts() {
  // The old fonts go once no control uses them any more.
  HFONT old_fonts[std::size(fonts_)];
  for (std::size_t role = 0; role < std::size(fonts_); ++role) {
    old_fonts[role] = std::exchange(fonts_[role], MakeFont(pavrel::kFonts[role], dpi_));
  }
  for (int index = 0; index < static_cast<int>(std::size(pavrel::kControls)); ++index) {
    const HFONT font = fonts_[static_cast<int>(pavrel::kControls[index].font)];
    SendMessageW(GetDlgItem(hwnd_, ControlId(index)), WM_SETFONT, reinterpret_cast<WPARAM>(font),
                 TRUE);
  }
  FitResult();
  tooltip_.Fit(WindowFont(), dpi_);
  for (const HFONT font : old_fonts) DeleteObject(font);
}

// Label3's height at 96 dpi for the window at `dpi`: 0 (as described), or, while every code is
// shown, as tall as the record needs in the window font for `dpi`.
int Form1::ResultHeightFor(UINT dpi) const {
  if (!all_codes_) return 0;
  if (dpi == dpi_) return WholeRecordHeight(label3_, result_, CodesFont(), dpi);
  const HFONT font = MakeFont(pavrel::FontOf(pavrel::FontRole::kCodes), dpi);
  const int height = WholeRecordHeight(label3_, result_, font, dpi);
  DeleteObject(font);
  return height;
}

// Sizes the window and places the controls for dpi_.
void Form1::FitResult() {
  const auto scale = [this](int pixels) { return Scale(pixels, dpi_); };
  const int result_height = ResultHeightFor(dpi_);
  // A record longer than the label ends in an ellipsis on its one line; while every code is
  // shown, it wraps whole. The caption stays the whole record, which screen readers read.
  const LONG_PTR style = GetWindowLongPtrW(label3_, GWL_STYLE);
  SetWindowLongPtrW(label3_, GWL_STYLE,
                    all_codes_ ? style & ~SS_ENDELLIPSIS : style | SS_ENDELLIPSIS);
  const SIZE size = WindowSizeFor(dpi_, result_height);
  PlaceWindow(hwnd_, RECT{0, 0, size.cx, size.cy}, false);
  for (int index = 0; index < static_cast<int>(std::size(pavrel::kControls)); ++index) {
    const pavrel::Box box = pavrel::GrownBox(index, result_height);
    MoveWindow(GetDlgItem(hwnd_, ControlId(index)), scale(box.left), scale(box.top),
               scale(box.width), scale(box.height), TRUE);
  }
  // Under Wine, what a control moved into the window's new part did not reach the screen.
  RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Runs one lookup, and tells screen readers once of the caption it leaves, however often it set
// it on the way (to 无法查询 for each record that did not match). A lookup that runs while this
// one waits in its message box has its own announcement.
void Form1::Lookup(const pavrel::CopiedText* copy) {
  const bool outer_result_set = std::exchange(result_set_, false);
  if (copy != nullptr) {
    pavrel::RunCopyLookup(*this, *copy);
  } else {
    pavrel::RunLookup(*this);
  }
  if (result_set_) MarkLiveRegionChanged(label3_);
  result_set_ = outer_result_set;
}

std::u32string Form1::GetQueryText() { return FromUtf16(WindowText(text1_)); }

void Form1::SetResultText(const std::u32string& text) {
  result_ = ToUtf16(text);
  SetWindowTextW(label3_, result_.c_str());
  if (all_codes_) FitResult();
  tooltip_.Show(label3_, result_, WindowFont(), dpi_);
  result_set_ = true;
}

// SetFocus would activate an inactive window, taking the keyboard from the program where the user
// copied: there the query box only gets the focus back when the window is next activated.
void Form1::FocusQueryBox() {
  if (GetActiveWindow() == hwnd_) {
    SetFocus(text1_);
  } else {
    last_focus_ = text1_;
  }
}

// Characters to UTF-16 units: a character outside the Basic Multilingual Plane takes two.
void Form1::SetQuerySelection(int start, int length) {
  const std::u32string text = GetQueryText();
  const auto offset = [&text](int characters) {
    return ToUtf16(std::u32string_view(text).substr(0, characters)).size();
  };
  SendMessageW(text1_, EM_SETSEL, offset(start), offset(start + length));
}

void Form1::ShowMessage(const std::u32string& text) {
  message_shown_ = true;
  // One box at a time: lookups of copied characters while it is open only bring it up to date.
  if (message_box_.open()) return message_box_.SetText(ToUtf16(text));
  message_box_.Show(hwnd_, ToUtf16(text), FromUtf8(pavrel::kApplicationTitle));
}

void DispatchFormMessage(HWND form, MSG& message) {
  if (IsDialogMessageW(form, &message)) return;
  TranslateMessage(&message);
  DispatchMessageW(&message);
}
