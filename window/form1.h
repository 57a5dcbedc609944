// The lookup window: a prompt, a query box for one character, the result label, the query button
// and a credit line, in a small window that stays above all ordinary windows. It carries out the
// lookup command's window operations on its controls.

#ifndef PAVREL_WINDOW_FORM1_H_
#define PAVREL_WINDOW_FORM1_H_

#include <QWidget>

#include "lookup/window_operations.h"

class QLabel;
class QLineEdit;
class QPushButton;
class ResultAnnouncer;

class Form1 : public QWidget, public pavrel::WindowOperations {
  Q_OBJECT

 public:
  // Builds the window, makes it topmost, shows it and puts the focus in the query box.
  explicit Form1(QWidget* parent = nullptr);

  std::u32string GetQueryText() override;
  void SetResultText(const std::u32string& text) override;
  void FocusQueryBox() override;
  void SetQuerySelection(int start, int length) override;
  void ShowMessage(const std::u32string& text) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private slots:
  void lookUpCharacter();

 private:
  QLabel* Label1;
  QLabel* Label2;
  QLineEdit* Text1;
  QLabel* Label3;
  QPushButton* Command1;
  QLabel* Label4;
  ResultAnnouncer* announcer_;  // speaks each result to screen readers
};

#endif  // PAVREL_WINDOW_FORM1_H_
