// Drives the real window on a private X server with keys, pastes, input-method text and copies.

#include "window/form1.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolTip>
#include <functional>
#include <map>
#include <memory>

#include "gtest/gtest.h"
#include "lookup/test_files.h"

namespace {

// 字 pbf, 中 khk and a record with markup.
const std::string kTable = "\xD7\xD6 pbf\r\n\xD6\xD0 khk\r\n<b>pbf</b>\r\n";

// Runs an X command and returns its output's first line.
QString X(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  process.waitForFinished();
  return QString::fromUtf8(process.readAllStandardOutput()).section('\n', 0, 0);
}

class Form1Test : public testing::Test {
 protected:
  void SetUp() override {
    dir_.Write("data.txt", kTable);
    Open();
    // Menus and boxes are modal: note and dismiss them from inside their event loop. A menu
    // triggers choice_; a box stays open while during_box_ runs, out of this handler so the watch
    // goes on.
    QObject::connect(&modal_watch_, &QTimer::timeout, [this] {
      if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
        for (QAction* action : menu->actions()) {
          menus_ << action->text() + (action->isChecked() ? " (checked)" : "");
          if (action->text() == choice_) action->trigger();
        }
        menu->close();
      }
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr || box->property("noted").toBool()) return;
      box->setProperty("noted", true);
      boxes_ << box->windowTitle() + ": " + box->text();
      QTimer::singleShot(0, box, [box, during = std::exchange(during_box_, {})] {
        if (during) during();
        if (box->isVisible()) QTest::keyClick(box, Qt::Key_Return);
      });
    });
    modal_watch_.start(10);
  }

  void Open() {
    form_ = std::make_unique<Form1>();
    form_->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  }

  QLineEdit* Text1() const { return form_->findChild<QLineEdit*>("Text1"); }
  QLabel* Label3() const { return form_->findChild<QLabel*>("Label3"); }

  // Plays a script into the focused control: \r Enter, \n keypad Enter, \t Tab, \x1b Escape, \1
  // Home, a space Space, \2 a paste and \3 an input method's phrase of 汉字; the rest is typed.
  void Play(const QString& script) {
    const std::map<char32_t, QKeyCombination> keys = {
        {U'\r', Qt::Key_Return}, {U'\n', Qt::KeypadModifier | Qt::Key_Enter},
        {U'\t', Qt::Key_Tab},    {U'\x1b', Qt::Key_Escape},
        {U'\1', Qt::Key_Home},   {U' ', Qt::Key_Space}};
    for (char32_t c : script.toUcs4()) {
      QWidget* focus = QApplication::focusWidget();
      const auto key = keys.find(c);
      if (key != keys.end()) {
        QTest::keyClick(focus, key->second.key(), key->second.keyboardModifiers());
      } else if (c == U'\2') {
        QApplication::clipboard()->setText("汉字");
        QTest::keySequence(focus, QKeySequence::Paste);
      } else if (c == U'\3') {
        QInputMethodEvent commit;
        commit.setCommitString("汉字");
        QApplication::sendEvent(focus, &commit);
      } else {
        QTest::sendKeyEvent(QTest::Click, focus, Qt::Key_unknown, QString::fromUcs4(&c, 1),
                            Qt::NoModifier);
      }
    }
  }

  // Copies `text` in another X client and waits until this program has seen the change.
  void Copy(const QString& text) {
    QSignalSpy changed(QApplication::clipboard(), &QClipboard::dataChanged);
    QProcess xclip;
    xclip.setStandardOutputFile(QProcess::nullDevice());  // xclip stays to serve the text
    xclip.start("xclip", {"-selection", "clipboard"});
    xclip.write(text.toUtf8());
    xclip.closeWriteChannel();
    EXPECT_TRUE(xclip.waitForFinished() && changed.wait(5000)) << text.toStdString();
  }

  // Right-clicks `widget`, chooses `choice` in the menu that opens and returns its items.
  QStringList ContextMenu(QWidget* widget, const QString& choice = {}) {
    menus_.clear();
    choice_ = choice;
    QContextMenuEvent click(QContextMenuEvent::Mouse, {2, 2}, widget->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(widget, &click);
    // The query box's own menu pops up without waiting for the choice.
    EXPECT_TRUE(QTest::qWaitFor(
        [this] { return !menus_.isEmpty() && QApplication::activePopupWidget() == nullptr; }));
    return menus_;
  }

  pavrel::TempDir dir_;
  std::unique_ptr<Form1> form_;
  QTimer modal_watch_;
  QStringList boxes_, menus_;
  QString choice_;
  std::function<void()> during_box_;
};

const struct {
  const char* script;
  int lookups;  // activations of the button
  QString query, result, selected;
} kFlowCases[] = {
    {"字\r中\n", 2, "中", "中 khk", "中"},     // typed over the selection; keypad Enter
    {"字\t\t中\t ", 1, "中", "中 khk", "中"},  // Tab to the button, back, to it again; Space
    // The query box holds one character, however the text comes.
    {"\3\1a\r", 1, "汉", "无法查询", "汉"},  // an input method's phrase, then typing in front of it
    {"𠀀bc\r", 1, "𠀀", "无法查询", "𠀀"},  // typed after a surrogate pair, which is selected whole
    {"<\r\2\x1b", 1, "汉", "<b>pbf</b>", ""},  // markup as it is; a paste; Escape closes nothing
};

// Each script is played into a new window, whose query box has the focus from the start.
TEST_F(Form1Test, StartsOnTopAndLooksUpFromTheKeyboard) {
  EXPECT_TRUE(X("xprop", {"-id", QString::number(form_->winId()), "_NET_WM_STATE"})
                  .contains("_NET_WM_STATE_ABOVE"));
  for (const auto& c : kFlowCases) {
    Open();
    QSignalSpy clicks(form_->findChild<QPushButton*>("Command1"), &QPushButton::clicked);
    Play(c.script);
    EXPECT_EQ(clicks.count(), c.lookups) << c.script;
    EXPECT_EQ(Text1()->text(), c.query) << c.script;
    EXPECT_EQ(Label3()->text(), c.result) << c.script;
    EXPECT_EQ(Text1()->selectedText(), c.selected) << c.script;
    EXPECT_TRUE(form_->isVisible() && QApplication::focusWidget() == Text1()) << c.script;
  }

  // The tooltip open on the result follows, as plain text, a record no key or click brought.
  QHelpEvent hover(QEvent::ToolTip, QPoint(5, 5), Label3()->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(Label3(), &hover);
  form_->SetResultText(U"<i>khk</i>");
  EXPECT_EQ(QTextDocumentFragment::fromHtml(QToolTip::text()).toPlainText(), "<i>khk</i>");
}

// The codes are drawn in the face the window names, one that tells l, 1 and I apart, not in a
// stand-in such as AR PL UMing, whose l and 1 are one bitmap at 12 pixels. The query box and the
// result label draw CJK Extensions A to G (㐀 䶮 𠀀, then C to G) with a glyph, not a box.
TEST_F(Form1Test, DrawsCodesLegiblyAndEveryExtensionCharacter) {
  EXPECT_EQ(QFontInfo(Label3()->font()).family().toStdString(),
            Label3()->font().family().toStdString());
  for (QWidget* control : std::initializer_list<QWidget*>{Text1(), Label3()}) {
    for (char32_t character : std::u32string_view(U"㐀䶮𠀀𪜀𫝀𫠠𬺰𰀀")) {
      EXPECT_TRUE(QFontMetrics(control->font()).inFontUcs4(character))
          << std::hex << int(character);
    }
  }
}

TEST_F(Form1Test, FollowsTheClipboardWithoutTakingTheFocus) {
  form_->SetFollowClipboard(true);
  // Another program takes the keyboard while the button has it.
  Play("\t");
  QProcess other;
  other.start("xmessage", {"-title", "other", "other program"});
  const QString other_id = X("xdotool", {"search", "--sync", "--name", "^other$"});
  X("xdotool", {"windowactivate", "--sync", other_id});
  EXPECT_TRUE(QTest::qWaitFor([] { return QApplication::activeWindow() == nullptr; }));
  Copy(" \u3000𠀀中");  // the first character that is not a space
  Copy("a字");          // ignored: ASCII comes first
  EXPECT_EQ(Text1()->selectedText(), "𠀀");
  EXPECT_EQ(X("xdotool", {"getwindowfocus"}), other_id);
  // Activated again, the window gives the keyboard to the query box, where the lookup put it.
  X("xdotool", {"windowactivate", "--sync", QString::number(form_->winId())});
  EXPECT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  EXPECT_EQ(QApplication::focusWidget(), Text1());
  other.close();

  // Without the table, copies while the message is open add no box, and one that finds the
  // table again closes it. Once it is closed, the next failure shows it again.
  std::filesystem::remove("data.txt");
  during_box_ = [this] {
    Copy("国");
    dir_.Write("data.txt", kTable);
    Copy("中");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  };
  Copy("字");
  EXPECT_EQ(Label3()->text(), "中 khk");
  std::filesystem::remove("data.txt");
  Copy("国");
  EXPECT_EQ(boxes_, QStringList(2, "Pavrel: 当前目录下缺少 data.txt 文件！"));

  // The window's menu outside the query box switches it off; the query box keeps its own menu.
  EXPECT_FALSE(ContextMenu(Text1()).contains("跟随剪贴板"));
  EXPECT_EQ(ContextMenu(form_->findChild<QWidget*>("Label4"), "跟随剪贴板"),
            QStringList{"跟随剪贴板 (checked)"});
  Copy("中");
  EXPECT_EQ(Text1()->text(), "国");
}

}  // namespace

int main(int argc, char* argv[]) {
  testing::InitGoogleTest(&argc, argv);
  // Listing the tests needs no display; running them does.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
