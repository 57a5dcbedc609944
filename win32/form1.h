// The lookup window on Windows: a prompt, a query box for one character, the result label, the
// query button and a credit line, in a small window that stays above all ordinary windows. It
// carries out the lookup command's window operations on native controls, and behaves like a
// dialog at the keyboard when its messages go through DispatchFormMessage. While it follows the
// clipboard, it looks up each character copied elsewhere without taking the keyboard; while it
// shows every code, the result label holds the whole record and the window grows to fit it. Both
// modes are items of its right-click menu and its system menu, whose choices are remembered for
// the user. Its destruction ends the thread's message loop.

#ifndef PAVREL_WIN32_FORM1_H_
#define PAVREL_WIN32_FORM1_H_

#include <windows.h>

#include <iterator>
#include <string>

#include "lookup/form_layout.h"
#include "lookup/window_operations.h"
#include "win32/clipboard_follower.h"
#include "win32/closable_message_box.h"
#include "win32/mode_menus.h"
#include "win32/record_tooltip.h"
#include "win32/window_icons.h"

// Control identifiers: a control's index in pavrel::kControls, plus 101. Command1 is the
// window's default button.
constexpr int ControlId(int index) { return 101 + index; }
constexpr int kText1Id = ControlId(pavrel::kQueryBox);
constexpr int kLabel3Id = ControlId(pavrel::kResultLabel);
constexpr int kCommand1Id = ControlId(pavrel::kQueryButton);

class Form1 : public pavrel::WindowOperations {
 public:
  Form1() = default;
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;
  ~Form1() override;

  // Creates the window and its controls with the menu's choices as remembered, makes the window
  // topmost and shows it as `show` says (WinMain's nCmdShow), and puts the focus in the query
  // box. Returns the window, or nullptr if it could not be made.
  HWND Create(HINSTANCE instance, int show = SW_SHOWNORMAL);

  std::u32string GetQueryText() override;
  void SetResultText(const std::u32string& text) override;
  void FocusQueryBox() override;
  void SetQuerySelection(int start, int length) override;
  void ShowMessage(const std::u32string& text) override;

  // Switch following the clipboard and showing every code on or off for this run, as the menus'
  // 跟随剪贴板 and 显示全部编码 do, without remembering the choice.
  void SetFollowClipboard(bool on);
  void SetAllCodes(bool on);

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  BOOL OnCreate(HWND hwnd, LPCREATESTRUCT create);
  void OnCommand(HWND hwnd, int id, HWND control, UINT code);
  void OnActivate(HWND hwnd, UINT state, HWND other, BOOL minimized);
  void OnNcDestroy(HWND hwnd);
  void OnDpiChanged(HWND hwnd, UINT dpi, const RECT& suggested);
  void OnSettingChange(UINT setting);
  void OnSysCommand(HWND hwnd, UINT command, int x, int y);
  void OnContextMenu(HWND hwnd, HWND control, int x, int y);
  void ChooseMenuItem(pavrel::MenuItemIndex item);
  bool IsOn(pavrel::MenuItemIndex item) const;
  void LookUpCopied(const pavrel::CopiedText& copy);

  void Lookup(const pavrel::CopiedText* copy = nullptr);  // a copy's, or the query box's
  void SetFonts();
  HFONT WindowFont() const { return fonts_[static_cast<int>(pavrel::FontRole::kWindow)]; }
  HFONT CodesFont() const { return fonts_[static_cast<int>(pavrel::FontRole::kCodes)]; }
  int ResultHeightFor(UINT dpi) const;
  void FitResult();

  HWND hwnd_ = nullptr;
  HWND text1_ = nullptr;
  HWND label3_ = nullptr;
  HWND last_focus_ = nullptr;  // the control to give the focus back to on reactivation
  UINT dpi_ = 96;              // the scale of the layout
  HFONT fonts_[std::size(pavrel::kFonts)] = {};  // by pavrel::FontRole
  RecordTooltip tooltip_;                        // shows Label3's whole record
  WindowIcons icons_;                            // the title bar's and the taskbar's, for dpi_
  std::wstring result_;                          // Label3's caption, also the tooltip's text
  bool result_set_ = false;         // set by SetResultText: the lookup changed the caption
  bool all_codes_ = false;          // Label3 grows to show the whole record
  bool message_shown_ = false;      // set by ShowMessage: the lookup failed
  ClosableMessageBox message_box_;  // what ShowMessage opened
  ClipboardFollower clipboard_{[this](const pavrel::CopiedText& copy) { LookUpCopied(copy); }};
};

// Dispatches one message of the thread's queue as the program's message loop does: keys that a
// dialog handles (Tab, Enter, Space on the button, Escape) go to `form` first.
void DispatchFormMessage(HWND form, MSG& message);

#endif  // PAVREL_WIN32_FORM1_H_
