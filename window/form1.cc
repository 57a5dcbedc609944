#include "window/form1.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTextDocument>
#include <QToolTip>

#include "lookup/command_line.h"
#include "lookup/lookup_command.h"
#include "window/one_character_validator.h"
#include "window/result_announcer.h"

namespace {

// The client area in logical pixels.
constexpr QSize kClientSize(219, 98);

// SimSun where it is installed. Elsewhere a serif face for Latin letters and a Song/Ming-style
// face that Debian ships for Chinese; font matching finds any CJK font for what they both lack.
QFont SongFont(int pixel_size, bool italic = false) {
  QFont font;
  font.setFamilies({"SimSun", "宋体", "DejaVu Serif", "AR PL UMing CN", "Noto Serif CJK SC"});
  font.setPixelSize(pixel_size);
  font.setItalic(italic);
  return font;
}

// A plain label: its text is never read as markup, wraps, and is cut off at the label's edge.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(true);
  label->setGeometry(geometry);
  return label;
}

}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent) {
  setObjectName("Form1");
  setWindowTitle("Quorlan");
  setWindowIcon(QIcon(":/pavrel.png"));
  setFixedSize(kClientSize);
  // The desktop's font family at the size the fixed layout was drawn for (9 pt at 96 dpi), so
  // that a larger desktop font does not wrap and cut off the prompts.
  QFont window_font = font();
  window_font.setPixelSize(12);
  setFont(window_font);

  Label1 = MakeLabel(this, "Label1", "输入你要查询的汉字：", QRect(8, 16, 129, 17));
  Label2 = MakeLabel(this, "Label2", "五笔码查询结果：", QRect(8, 40, 113, 17));

  Text1 = new QLineEdit(this);
  Text1->setObjectName("Text1");
  Text1->setGeometry(136, 8, 73, 25);
  Text1->setFont(SongFont(16));
  Text1->setMaxLength(2);  // one character, which may be a surrogate pair
  Text1->setValidator(new OneCharacterValidator(Text1));
  Label1->setBuddy(Text1);  // gives the query box its accessible name

  Label3 = MakeLabel(this, "Label3", QString(), QRect(136, 40, 73, 17));

  Command1 = new QPushButton("查询", this);
  Command1->setObjectName("Command1");
  Command1->setGeometry(16, 64, 41, 33);
  Command1->setDefault(true);
  connect(Command1, &QPushButton::clicked, this, &Form1::lookUpCharacter);

  // Tall enough for the ascent of a 19 px serif face, which 17 pixels would cut off.
  Label4 = MakeLabel(this, "Label4", "Selvanor", QRect(80, 72, 145, 26));
  Label4->setFont(SongFont(19, /*italic=*/true));

  announcer_ = new ResultAnnouncer(this);

  setTabOrder(Text1, Command1);

  // Right-click anywhere outside the query box, which keeps its own edit menu, offers the mode.
  follow_clipboard_ = new QAction("跟随剪贴板", this);
  follow_clipboard_->setCheckable(true);
  addAction(follow_clipboard_);
  setContextMenuPolicy(Qt::ActionsContextMenu);
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &Form1::lookUpCopiedCharacter);

  // Start-up: float above ordinary windows, appear, and take typing in the query box at once.
  // The window has a fixed size, so it offers no maximize button.
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                 Qt::WindowStaysOnTopHint);
  show();
  Text1->setFocus();
}

// Enter anywhere in the window activates the default button, as in a dialog. The button handles
// Enter itself while it has the focus; the query box passes it on to here.
void Form1::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    Command1->click();
    return;
  }
  QWidget::keyPressEvent(event);
}

void Form1::lookUpCharacter() { pavrel::RunLookup(*this); }

void Form1::SetFollowClipboard(bool on) { follow_clipboard_->setChecked(on); }

// Looks the copied character up as Enter would. The focus stays where the user copied: the
// lookup's setFocus only marks the query box for when this window is next activated.
void Form1::lookUpCopiedCharacter() {
  if (!follow_clipboard_->isChecked()) return;
  const std::optional<char32_t> character =
      pavrel::CopiedCharacter(QApplication::clipboard()->text().toStdU32String());
  if (!character) return;
  Text1->setText(QString::fromUcs4(&*character, 1));
  message_shown_ = false;
  pavrel::RunLookup(*this);
  // The table is there again: the open box that says it is missing is out of date.
  if (!message_shown_ && message_box_ != nullptr) message_box_->accept();
}

std::u32string Form1::GetQueryText() { return Text1->text().toStdU32String(); }

void Form1::SetResultText(const std::u32string& text) {
  const QString record = QString::fromStdU32String(text);
  Label3->setText(record);
  // The label cuts a long record at its edge; the tooltip shows all of it. It is converted so
  // that the tooltip, too, shows the record as plain text.
  const QString tip = Qt::convertFromPlainText(record, Qt::WhiteSpaceNormal);
  // A tooltip that is open on the label shows the new record at once, not the one it opened with.
  if (QToolTip::isVisible() && QToolTip::text() == Label3->toolTip()) {
    QToolTip::showText(QCursor::pos(), tip, Label3);
  }
  Label3->setToolTip(tip);
  announcer_->Announce(record);
}

void Form1::FocusQueryBox() { Text1->setFocus(); }

void Form1::SetQuerySelection(int start, int length) {
  // Characters to UTF-16 units: a character outside the Basic Multilingual Plane takes two.
  const QString text = Text1->text();
  const auto offset = [&text](int characters) {
    qsizetype unit = 0;
    for (; characters > 0 && unit < text.size(); --characters) {
      unit += text[unit].isHighSurrogate() && unit + 1 < text.size() ? 2 : 1;
    }
    return static_cast<int>(unit);
  };
  const int from = offset(start);
  Text1->setSelection(from, offset(start + length) - from);
}

void Form1::ShowMessage(const std::u32string& text) {
  message_shown_ = true;
  // One box at a time: lookups of copied characters while it is open add nothing to it.
  if (message_box_ != nullptr) return;
  QMessageBox box(QMessageBox::NoIcon, pavrel::kApplicationTitle, QString::fromStdU32String(text),
                  QMessageBox::Ok, this);
  message_box_ = &box;
  box.exec();
  message_box_ = nullptr;
}
