// Drives the real window on a private X server with keys, pastes, input-method text and copies.

#include "window/form1.h"

#include <sys/stat.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLockFile>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolTip>
#include <cstdlib>
#include <functional>
#include <map>
#include <memory>

#include "gtest/gtest.h"
#include "testing/test_files.h"
#include "window/copied_text_reader.h"

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
          // The line edit's own menu adds each action's keys after a tab.
          if (action->text().section('\t', 0, 0) == choice_) action->trigger();
        }
        menu->close();
      }
      QMessageBox* box = OpenBox();
      if (box == nullptr || box->property("noted").toBool()) return;
      box->setProperty("noted", true);
      boxes_ << box->windowTitle() + ": " + box->text();
      QTimer::singleShot(0, box, [box, during = std::exchange(during_box_, {})] {
        if (during) during();
        if (!box->isVisible() || !QTest::qWaitForWindowExposed(box)) return;
        // Clicked as the user does, through the window manager.
        const QWidget* ok = box->button(QMessageBox::Ok);
        const QPoint at = ok->mapToGlobal(ok->rect().center());
        X("xdotool",
          {"mousemove", "--sync", QString::number(at.x()), QString::number(at.y()), "click", "1"});
      });
    });
    modal_watch_.start(10);
  }

  void Open() {
    form_ = std::make_unique<Form1>();
    form_->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  }

  // The message box, modal or not.
  static QMessageBox* OpenBox() {
    for (QWidget* window : QApplication::topLevelWidgets()) {
      if (auto* box = qobject_cast<QMessageBox*>(window); box != nullptr && box->isVisible()) {
        return box;
      }
    }
    return nullptr;
  }

  QLineEdit* Text1() const { return form_->findChild<QLineEdit*>("Text1"); }
  QLabel* Label3() const { return form_->findChild<QLabel*>("Label3"); }

  // Plays a script into the focused control: \r Enter, \n keypad Enter, \t Tab, \x1b Escape, \1
  // Home, a space Space and \3 an input method's phrase of 汉字; the rest is typed.
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

  // Copies `bytes` as `target` in another X client, or the mime data in this one, and waits
  // until the window has read the copy, or only seen it when it does not follow.
  void Copy(const QByteArray& bytes, const QString& target = "UTF8_STRING",
            bool read_by_window = true, QMimeData* data = nullptr) {
    QSignalSpy read(read_by_window ? static_cast<QObject*>(form_->findChild<CopiedTextReader*>())
                                   : QApplication::clipboard(),
                    read_by_window ? SIGNAL(copyRead(pavrel::CopiedText)) : SIGNAL(dataChanged()));
    QProcess xclip;
    if (data != nullptr) {
      QApplication::clipboard()->setMimeData(data);
    } else {
      xclip.setStandardOutputFile(QProcess::nullDevice());  // xclip stays to serve the text
      xclip.start("xclip", {"-selection", "clipboard", "-t", target});
      xclip.write(bytes);
      xclip.closeWriteChannel();
      EXPECT_TRUE(xclip.waitForFinished());
    }
    EXPECT_TRUE(read.wait(5000)) << bytes.left(20).toStdString();
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
    {"<\r\x1b", 1, "<", "<b>pbf</b>", "<"},  // markup as it is; Escape closes nothing
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

// A paste, however it is made, and a drop bring the character that a copy of the same text looks
// up, in place of the one in the box; text without one brings nothing.
TEST_F(Form1Test, PastesAndDropsTheCharacterThatACopyLooksUp) {
  QApplication::clipboard()->setText("\r\n“字”");
  QApplication::clipboard()->setText("《红楼梦》", QClipboard::Selection);
  QMimeData dragged;
  dragged.setText("（犇）");
  QDragEnterEvent enter({2, 2}, Qt::CopyAction, &dragged, Qt::LeftButton, {});
  QDropEvent drop({2, 2}, Qt::CopyAction, &dragged, Qt::LeftButton, {});
  const std::pair<std::function<void()>, QString> kPastes[] = {
      {[&] { QTest::keySequence(Text1(), QKeySequence::Paste); }, "字"},
      {[&] { ContextMenu(Text1(), QLineEdit::tr("&Paste")); }, "字"},
      {[&] { QApplication::sendEvent(Text1(), &enter) && QApplication::sendEvent(Text1(), &drop); },
       "犇"},
      // X11's selection, pasted where the middle button is pressed: into the empty box.
      {[&] { Text1()->clear(), QTest::mouseClick(Text1(), Qt::MiddleButton); }, "红"},
  };
  for (const auto& [paste, character] : kPastes) {
    Text1()->setText("中");
    Text1()->selectAll();
    paste();
    EXPECT_EQ(Text1()->text(), character) << character.toStdString();
  }
  QApplication::clipboard()->setText("Hello, world!");
  Text1()->selectAll();
  QTest::keySequence(Text1(), QKeySequence::Paste);
  EXPECT_EQ(Text1()->text(), "红");
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
  // An owner that never answers holds up neither the window nor the next copy.
  xcb_connection_t* silent = xcb_connect(nullptr, nullptr);
  const xcb_window_t owner = xcb_generate_id(silent);
  xcb_create_window(silent, 0, owner, xcb_setup_roots_iterator(xcb_get_setup(silent)).data->root, 0,
                    0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, 0, 0, nullptr);
  xcb_intern_atom_reply_t* clipboard =
      xcb_intern_atom_reply(silent, xcb_intern_atom(silent, 0, 9, "CLIPBOARD"), nullptr);
  xcb_set_selection_owner(silent, owner, clipboard->atom, XCB_CURRENT_TIME);
  xcb_flush(silent);
  free(clipboard);
  // Asked in vain before xclip takes over: xclip exits answering a request that was given up.
  EXPECT_TRUE(QTest::qWaitFor([silent] {
    const std::unique_ptr<xcb_generic_event_t, decltype(&free)> event(xcb_poll_for_event(silent),
                                                                      &free);
    return event != nullptr && (event->response_type & 0x7F) == XCB_SELECTION_REQUEST;
  }));
  Copy(" \u3000\u00a0“𠀀中");  // the first character that is not a space or punctuation
  const QByteArray one_request(xcb_get_maximum_request_length(silent) * 4, '\0');
  xcb_disconnect(silent);
  // No text, a secret (after many other targets, its mark ending in more NULs than one X request
  // holds, so that it comes in increments), and a huge copy whose character comes after what is
  // read: ignored.
  auto* secret = new QMimeData;
  secret->setText("字");
  for (int i = 0; i < 1100; ++i) secret->setData(QString("x-pavrel-%1").arg(i), {});
  secret->setData("x-kde-passwordManagerHint", "secret" + one_request);
  Copy({}, {}, true, secret);
  QTest::qWait(5500);  // the owner, this test's Qt, frees the mark's unread rest after 5 s
  Copy("\xff\xfe\x00\x01\xe5\xad\x97");
  Copy(QByteArray(8 << 20, ' ') + "字");
  EXPECT_EQ(Text1()->selectedText(), "𠀀")
      << Text1()->text().toStdString() << Label3()->text().toStdString();
  Copy("“中”", "text/plain");  // offered only as text/plain, read as UTF-8, or with a charset
  EXPECT_EQ(Text1()->text(), "中");
  Copy("\n字", "text/plain;charset=utf-8");
  EXPECT_EQ(Text1()->text(), "字");
  // A phrase of the table that a copy begins with, and a copy that is one word, show its code.
  dir_.Write(
      "data.txt",
      "中 khk\r\n国 lgyi\r\n很 tvey\r\n好 vbg\r\n的 rqyy\r\n中国 khlg\r\n中华人民共和国 kwwl");
  for (const auto& [copy, shown] : {std::pair{"中国", "中国 khlg"},
                                    {"《中华人民共和国》很大", "中华人民共和国 kwwl"},
                                    {"很好的", "很好的（按规则） tvrq"},
                                    {"中文", "中 khk"}}) {  // no 文
    Copy(copy);
    EXPECT_EQ(Label3()->accessibleName(), shown);  // whole, where the label cuts it
  }
  dir_.Write("data.txt", kTable);
  EXPECT_EQ(X("xdotool", {"getwindowfocus"}), other_id);

  // Without the table, copies while the message is open add no box, and one that finds the
  // table again closes it. Once it is closed, the next failure shows it again. The other program
  // keeps the keyboard throughout.
  std::filesystem::remove("data.txt");
  during_box_ = [this] {
    Copy("国");
    dir_.Write("data.txt", kTable);
    Copy("中");
    EXPECT_EQ(OpenBox(), nullptr);
  };
  Copy("字");
  EXPECT_TRUE(QTest::qWaitFor([] { return OpenBox() == nullptr; }));
  EXPECT_EQ(Label3()->text(), "中 khk");
  std::filesystem::remove("data.txt");
  during_box_ = [this] {  // a lookup by Enter that finds the table closes it too
    dir_.Write("data.txt", kTable);
    QTest::keyClick(form_.get(), Qt::Key_Return);
    EXPECT_EQ(OpenBox(), nullptr);
  };
  Copy("国");
  EXPECT_TRUE(QTest::qWaitFor([] { return OpenBox() == nullptr; }));
  EXPECT_EQ(boxes_, QStringList(2, "Pavrel: 当前目录下缺少 data.txt 文件！"));
  EXPECT_EQ(X("xdotool", {"getwindowfocus"}), other_id);
  // Activated again, the window gives the keyboard to the query box, where the lookup put it.
  X("xdotool", {"windowactivate", "--sync", QString::number(form_->winId())});
  EXPECT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  EXPECT_EQ(QApplication::focusWidget(), Text1());
  other.close();

  // The window's menu outside the query box switches it off; the query box keeps its own menu.
  EXPECT_FALSE(ContextMenu(Text1()).contains("跟随剪贴板(&F)"));
  EXPECT_EQ(ContextMenu(form_->findChild<QWidget*>("Label4"), "跟随剪贴板(&F)"),
            QStringList({"跟随剪贴板(&F) (checked)", "显示全部编码(&A)"}));
  Copy("中", "UTF8_STRING", false);
  EXPECT_EQ(Text1()->text(), "国");
}

// 显示全部编码, chosen in the menu, shows a long record whole in a window grown to hold it, is
// written at once and holds in the next window, and switched off gives the described window back.
TEST_F(Form1Test, ShowsEveryCodeOnRequestAndRemembersTheChoice) {
  dir_.Write("data.txt", "\xB5\xC4 rqyy rqy r dddd eeee ffff\r\n");  // 的
  const auto button = [this] { return form_->findChild<QWidget*>("Command1"); };
  const auto check = [&](int result_height, int window_height) {
    EXPECT_EQ(Label3()->geometry(), QRect(136, 40, 73, result_height));
    EXPECT_EQ(button()->y(), 64 + result_height - 17);
    EXPECT_EQ(form_->size(), QSize(219, window_height));
  };
  Play("的\r");
  check(17, 98);
  ContextMenu(form_->findChild<QWidget*>("Label2"), "显示全部编码(&A)");
  const int whole = Label3()->heightForWidth(73);
  EXPECT_GE(whole, 3 * Label3()->fontMetrics().height());
  check(whole, 98 + whole - 17);
  QFile file(QString::fromStdString(std::getenv("XDG_CONFIG_HOME")) + "/Pavrel/Pavrel.conf");
  EXPECT_TRUE(file.open(QIODevice::ReadOnly) && file.readAll().contains("AllCodes=true"));

  Open();
  Play("的\r");
  check(whole, 98 + whole - 17);
  EXPECT_EQ(ContextMenu(button(), "显示全部编码(&A)"),
            QStringList({"跟随剪贴板(&F)", "显示全部编码(&A) (checked)"}));
  check(17, 98);
  Open();
  EXPECT_FALSE(form_->findChild<QAction*>("AllCodes")->isChecked());
  // A FIFO in the file's place, which would hold up the window, is neither read nor replaced.
  file.remove();
  ASSERT_EQ(mkfifo(QFile::encodeName(file.fileName()), 0600), 0);
  Open();
  ContextMenu(button(), "显示全部编码(&A)");
  EXPECT_TRUE(std::filesystem::is_fifo(file.fileName().toStdString()));
  // Nor is a choice saved, or the window held up, while a FIFO, a folder or another process
  // holds the place of the lock that QSettings writes under.
  file.remove();
  const QByteArray lock = QFile::encodeName(file.fileName() + ".lock");
  QLockFile held(lock);
  const std::function<bool()> kLocks[] = {[&] { return mkfifo(lock, 0600) == 0; },
                                          [&] { return mkdir(lock, 0700) == 0; },
                                          [&] { return held.lock(); }};
  for (const auto& lock_taken : kLocks) {
    ASSERT_TRUE(lock_taken());
    ContextMenu(button(), "显示全部编码(&A)");
    EXPECT_FALSE(file.exists());
    std::filesystem::remove(lock.toStdString());
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  testing::InitGoogleTest(&argc, argv);
  // Listing the tests needs no display; running them does.
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
  // The menu's choices are saved in a folder of the test's own.
  const QTemporaryDir config;
  qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
