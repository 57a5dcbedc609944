#include "window/form1.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <functional>
#include <memory>

#include "gtest/gtest.h"
#include "lookup/test_files.h"

namespace {

// 字 pbf, 中 khk, 汉 icy, and a record longer than the result label can show.
const std::string kTable =
    "\xD7\xD6 pbf\r\n\xD6\xD0 khk\r\n\xBA\xBA icy\r\n\xB3\xA4 " + std::string(5000, 'x') + "\r\n";

// Types each character of `text` as one key press; unlike QTest::keyClicks, beyond Latin-1 too.
void Type(QWidget* widget, const QString& text) {
  for (char32_t c : text.toUcs4()) {
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString::fromUcs4(&c, 1),
                        Qt::NoModifier);
  }
}

class Form1Test : public testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("data.txt", kTable);
    form_ = std::make_unique<Form1>();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  }

  template <typename T>
  T* Control(const char* name) const {
    return form_->findChild<T*>(name);
  }
  QLineEdit* Text1() const { return Control<QLineEdit>("Text1"); }
  QLabel* Label3() const { return Control<QLabel>("Label3"); }
  QPushButton* Command1() const { return Control<QPushButton>("Command1"); }

  // Types `text` into the window and presses Enter, as a user would.
  void LookUp(const QString& text) {
    Type(QApplication::focusWidget(), text);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  }

  pavrel::TempDir dir_;
  std::unique_ptr<Form1> form_;
};

TEST_F(Form1Test, StartsOnTopWithTheFocusInTheEmptyQueryBox) {
  EXPECT_EQ(QApplication::focusWidget(), Text1());
  EXPECT_TRUE(Text1()->text().isEmpty());
  EXPECT_TRUE(Label3()->text().isEmpty());
  EXPECT_EQ(form_->windowTitle(), "Quorlan");
  EXPECT_FALSE(form_->windowIcon().isNull());

  // The window manager is told to keep the window above others.
  QProcess xprop;
  xprop.start("xprop", {"-id", QString::number(form_->winId()), "_NET_WM_STATE"});
  ASSERT_TRUE(xprop.waitForFinished());
  EXPECT_TRUE(xprop.readAllStandardOutput().contains("_NET_WM_STATE_ABOVE"));
}

TEST_F(Form1Test, LaysOutTheControlsAsDesigned) {
  struct Expected {
    const char* name;
    QRect geometry;
    QString text;
  };
  const Expected controls[] = {
      {"Label1", {8, 16, 129, 17}, "输入你要查询的汉字："},
      {"Label2", {8, 40, 113, 17}, "五笔码查询结果："},
      {"Text1", {136, 8, 73, 25}, ""},
      {"Label3", {136, 40, 73, 17}, ""},
      {"Command1", {16, 64, 41, 33}, "查询"},
      {"Label4", {80, 72, 145, 26}, "Selvanor"},
  };
  EXPECT_EQ(form_->size(), QSize(219, 98));
  for (const Expected& c : controls) {
    QWidget* control = Control<QWidget>(c.name);
    ASSERT_NE(control, nullptr) << c.name;
    EXPECT_EQ(control->geometry(), c.geometry) << c.name;
    EXPECT_EQ(control->property("text").toString(), c.text) << c.name;
  }
  // Tab goes between the query box and the button only.
  QTest::keyClick(Text1(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Command1());
  QTest::keyClick(Command1(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), Text1());
}

TEST_F(Form1Test, EnterShowsTheEntryAndSelectsTheCharacterForTheNext) {
  LookUp("字");
  EXPECT_EQ(Label3()->text(), "字 pbf");
  EXPECT_EQ(QApplication::focusWidget(), Text1());
  EXPECT_EQ(Text1()->selectedText(), "字");

  LookUp("中");  // typed over the selected character
  EXPECT_EQ(Text1()->text(), "中");
  EXPECT_EQ(Label3()->text(), "中 khk");

  LookUp("国");
  EXPECT_EQ(Label3()->text(), "无法查询");

  // A record far longer than the label is shown without holding up the window.
  LookUp("长");
  EXPECT_TRUE(Label3()->text().startsWith("长 xxx"));
  EXPECT_EQ(QTextDocumentFragment::fromHtml(Label3()->toolTip()).toPlainText(), Label3()->text());

  Type(Text1(), "汉");
  QTest::mouseClick(Command1(), Qt::LeftButton);
  EXPECT_EQ(Label3()->text(), "汉 icy");
  EXPECT_EQ(Text1()->selectedText(), "汉");
}

TEST_F(Form1Test, ResultIsShownAsPlainTextAndReadByScreenReaders) {
  dir_.Write("data.txt", "\xD7\xD6 <b>pbf</b>\r\n");
  LookUp("字");
  EXPECT_EQ(Label3()->textFormat(), Qt::PlainText);
  QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(Label3());
  ASSERT_NE(accessible, nullptr);
  EXPECT_EQ(accessible->text(QAccessible::Name), "字 <b>pbf</b>");
}

TEST_F(Form1Test, QueryBoxHoldsOneCharacter) {
  enum Edit { kType, kPaste, kInputMethod };
  struct Case {
    const char* what;
    QString before;
    bool selected;
    Edit edit;
    QString text;
    QString after;
  };
  const Case cases[] = {
      {"typing two characters keeps the first", "", false, kType, "ab", "a"},
      {"typing after the character does nothing", "字", false, kType, "a", "字"},
      {"typing over the selected character replaces it", "字", true, kType, "a", "a"},
      {"paste keeps its first character", "", false, kPaste, "汉字", "汉"},
      {"paste over the selection keeps its first", "字", true, kPaste, "汉字", "汉"},
      {"paste beside the character does nothing", "字", false, kPaste, "汉字", "字"},
      {"a surrogate pair is one character", "", false, kPaste, "𠀀b", "𠀀"},
      {"a surrogate pair is not split", "字", false, kPaste, "𠀀", "字"},
      {"input method phrase keeps its first", "", false, kInputMethod, "汉字", "汉"},
      {"input method phrase over the selection", "字", true, kInputMethod, "汉字", "汉"},
  };
  for (const Case& c : cases) {
    Text1()->setText(c.before);
    if (c.selected) Text1()->selectAll();
    switch (c.edit) {
      case kType:
        Type(Text1(), c.text);
        break;
      case kPaste:
        QApplication::clipboard()->setText(c.text);
        QTest::keySequence(Text1(), QKeySequence::Paste);
        break;
      case kInputMethod: {
        QInputMethodEvent commit;
        commit.setCommitString(c.text);
        QApplication::sendEvent(Text1(), &commit);
        break;
      }
    }
    EXPECT_EQ(Text1()->text(), c.after) << c.what;
  }
}

TEST_F(Form1Test, SelectionCoversACharacterOutsideThePlaneWhole) {
  Text1()->setText("𠀀");
  QTest::keyClick(Text1(), Qt::Key_Return);
  EXPECT_EQ(Label3()->text(), "无法查询");
  EXPECT_EQ(Text1()->selectedText(), "𠀀");
}

TEST_F(Form1Test, EnterSpaceAndClickActivateTheButtonOnce) {
  QSignalSpy clicks(Command1(), &QPushButton::clicked);
  const std::function<void()> activations[] = {
      [&] { QTest::keyClick(Text1(), Qt::Key_Return); },
      [&] { QTest::keyClick(Text1(), Qt::Key_Enter, Qt::KeypadModifier); },
      [&] {
        Command1()->setFocus();
        QTest::keyClick(Command1(), Qt::Key_Return);
      },
      [&] {
        Command1()->setFocus();
        QTest::keyClick(Command1(), Qt::Key_Space);
      },
      [&] { QTest::mouseClick(Command1(), Qt::LeftButton); },
  };
  int activation = 0;
  for (const auto& activate : activations) {
    clicks.clear();
    activate();
    EXPECT_EQ(clicks.count(), 1) << "activation " << activation++;
  }
}

TEST_F(Form1Test, EscapeLeavesTheWindowOpen) {
  QTest::keyClick(Text1(), Qt::Key_Escape);
  EXPECT_TRUE(form_->isVisible());
}

TEST_F(Form1Test, MissingTableShowsTheMessageAndLeavesTheResult) {
  LookUp("字");
  std::filesystem::remove("data.txt");
  Text1()->setText("中");

  QString title, text;
  QMessageBox::Icon icon = QMessageBox::Warning;
  QList<QAbstractButton*> buttons;
  bool checked = false;
  // The message box is modal: inspect and dismiss it from inside its event loop.
  std::function<void()> inspect = [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) {
      QTimer::singleShot(10, inspect);
      return;
    }
    title = box->windowTitle();
    text = box->text();
    icon = box->icon();
    buttons = box->buttons();
    checked = buttons.size() == 1 && box->standardButton(buttons[0]) == QMessageBox::Ok;
    QTest::keyClick(box, Qt::Key_Return);
  };
  QTimer::singleShot(0, inspect);
  QTest::keyClick(Text1(), Qt::Key_Return);

  EXPECT_EQ(title, "Pavrel");
  EXPECT_EQ(text, "当前目录下缺少 data.txt 文件！");
  EXPECT_EQ(icon, QMessageBox::NoIcon);
  EXPECT_TRUE(checked) << "one OK button";
  EXPECT_EQ(Label3()->text(), "字 pbf");
  EXPECT_TRUE(form_->isVisible());
}

}  // namespace
