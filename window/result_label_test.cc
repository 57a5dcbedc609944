// The result label and what goes with it on the real window: a record cut with …, its tooltip,
// and the menu that a right-click on the button opens.

#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocumentFragment>
#include <QTimer>
#include <QToolTip>

#include "gtest/gtest.h"
#include "window/form1.h"

namespace {

// Records the label shows whole, and ones longer than its width, which it cuts with …, unless
// every code is shown. Each step sets a record (or keeps the last) and the mode.
const struct {
  const char32_t* record;  // nullptr: the one before
  bool all_codes;
  bool cut;
} kSteps[] = {
    {U"中 khk", false, false},
    {U"为 ylyi yly yl o", false, true},
    {nullptr, true, false},  // shown whole, then cut again
    {nullptr, false, true},
    {U"<b>x</b> 𠀀𠀀𠀀𠀀𠀀𠀀𠀀", false, true},  // plain text, a surrogate pair not split
    {U"〇 llll", false, false},
};

TEST(ResultLabelTest, EndsInAnEllipsisWhereItCutsTheRecordWhichReadersAndTheTooltipGetWhole) {
  Form1 form;
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  auto* label = form.findChild<QLabel*>("Label3");
  std::u32string record;
  for (const auto& step : kSteps) {
    if (step.record != nullptr) record = step.record;
    form.SetAllCodes(step.all_codes);
    form.SetResultText(record);
    const QString whole = QString::fromStdU32String(record);
    const QString shown = label->text();
    SCOPED_TRACE(shown.toStdString());
    if (step.cut) {
      EXPECT_TRUE(shown.endsWith(u'…') && whole.startsWith(shown.chopped(1)));
      EXPECT_FALSE(shown.size() > 1 && shown[shown.size() - 2].isHighSurrogate());
      EXPECT_LE(label->fontMetrics().horizontalAdvance(shown), label->contentsRect().width());
    } else {
      EXPECT_EQ(shown, whole);
    }
    EXPECT_EQ(QAccessible::queryAccessibleInterface(label)->text(QAccessible::Name), whole);
    EXPECT_EQ(QTextDocumentFragment::fromHtml(label->toolTip()).toPlainText(), whole);
  }

  // The tooltip shows while another window has the keyboard, as when the user copies there.
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  QTest::mouseMove(label, {5, 5});
  EXPECT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }));
  EXPECT_EQ(QToolTip::text(), label->toolTip());
}

// A right-click on 查询 opens the window's menu and leaves the keyboard in the query box, so that
// typing goes on there and Space runs no lookup.
TEST(Form1MenuTest, RightClickOnTheButtonLeavesTheKeyboardInTheQueryBox) {
  Form1 form;
  form.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  auto* query = form.findChild<QLineEdit*>("Text1");
  auto* button = form.findChild<QPushButton*>("Command1");
  bool menu_opened = false;
  QTimer close_menu;
  QObject::connect(&close_menu, &QTimer::timeout, [&menu_opened] {
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
      menu_opened = true;
      menu->close();
    }
  });
  close_menu.start(10);
  // Clicked as the user does, through the X server: Qt makes the menu's event from the press.
  const QPoint at = button->mapToGlobal(button->rect().center());
  QProcess::execute("xdotool", {"mousemove", "--sync", QString::number(at.x()),
                                QString::number(at.y()), "click", "3"});
  EXPECT_TRUE(QTest::qWaitFor([&] { return menu_opened; }));
  EXPECT_EQ(QApplication::focusWidget(), query);
  QSignalSpy clicks(button, &QPushButton::clicked);
  QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key_unknown, "字",
                      Qt::NoModifier);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  EXPECT_EQ(query->text(), "字");
  EXPECT_EQ(clicks.count(), 0);
}

}  // namespace
