// The lookup window: a prompt, a query box for one character, the result label, the query button
// and a credit line, in a small window that stays above all ordinary windows. It carries out the
// lookup command's window operations on its controls. While it follows the clipboard, it looks
// up each character, phrase or word copied elsewhere without taking the keyboard. While it shows
// every code, the result label holds the whole record and the window grows to fit it. Both modes
// are items of the window's context menu, whose choices are remembered for the user.

#ifndef PAVREL_WINDOW_FORM1_H_
#define PAVREL_WINDOW_FORM1_H_

#include <QPointer>
#include <QWidget>
#include <array>

#include "lookup/copied_text.h"
#include "lookup/form_layout.h"
#include "lookup/window_operations.h"

class CopiedTextReader;
class QAction;
class QLabel;
class QLineEdit;
class QMessageBox;
class QPushButton;
class ResultAnnouncer;

class Form1 : public QWidget, public pavrel::WindowOperations {
  Q_OBJECT

 public:
  // Builds the window from its portable description (lookup/form_layout.h), topmost, with the
  // focus in the query box once it is shown, and the menu's choices as remembered.
  explicit Form1(QWidget* parent = nullptr);

  std::u32string GetQueryText() override;
  void SetResultText(const std::u32string& text) override;
  void FocusQueryBox() override;
  void SetQuerySelection(int start, int length) override;
  void ShowMessage(const std::u32string& text) override;

  // Switch following the clipboard and showing every code on or off for this run, as the context
  // menu's 跟随剪贴板 and 显示全部编码 do, without remembering the choice.
  void SetFollowClipboard(bool on);
  void SetAllCodes(bool on);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private slots:
  void lookUpCharacter();
  void lookUpCopy(const pavrel::CopiedText& copy);
  void fitResult();

 private:
  void runLookup(const pavrel::CopiedText* copy = nullptr);  // a copy's, or the query box's

  std::array<QWidget*, std::size(pavrel::kControls)> controls_;  // by pavrel::ControlIndex
  QLineEdit* query_box_;
  QLabel* result_label_;
  QPushButton* query_button_;
  QString record_;              // the result label's record, which it shows whole or cut with …
  ResultAnnouncer* announcer_;  // speaks each result to screen readers

  // 跟随剪贴板 and 显示全部编码, each checked while its mode is on.
  std::array<QAction*, std::size(pavrel::kMenuItems)> menu_items_;
  CopiedTextReader* copied_text_reader_;  // reads each copy while the window follows
  QPointer<QMessageBox> message_box_;     // the message box while it is open
  bool message_shown_ = false;            // set by ShowMessage: the lookup failed
  bool looking_up_copy_ = false;          // set while a copied character is looked up
};

#endif  // PAVREL_WINDOW_FORM1_H_
