#include "window/form1.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <QToolTip>
#include <algorithm>

#include "lookup/form_layout.h"
#include "lookup/lookup_command.h"
#include "window/copied_text_reader.h"
#include "window/fonts.h"
#include "window/query_box.h"
#include "window/result_announcer.h"
#include "window/saved_choices.h"

namespace {

using pavrel::ControlKind;
using pavrel::ControlLayout;

// One control of the description. A label's text is never read as markup, wraps, and is cut off
// at the label's edge.
QWidget* MakeControl(const ControlLayout& layout, QWidget* parent) {
  QWidget* control = nullptr;
  const QString text = QString::fromUtf8(layout.text);
  switch (layout.kind) {
    case ControlKind::kLabel: {
      auto* label = new QLabel(text, parent);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(true);
      control = label;
      break;
    }
    case ControlKind::kQueryBox: {
      auto* box = new QueryBox(parent);
      box->setText(text);
      control = box;
      break;
    }
    case ControlKind::kButton:
      control = new QPushButton(text, parent);
      break;
  }
  control->setObjectName(layout.name);
  control->setFont(FontFor(pavrel::FontOf(layout.font), parent->font()));
  return control;
}

}  // namespace

Form1::Form1(QWidget* parent) : QWidget(parent) {
  setObjectName(pavrel::kFormName);
  setWindowTitle(pavrel::kFormCaption);
  setWindowIcon(QIcon(":/pavrel.png"));
  setFont(FontFor(pavrel::FontOf(pavrel::FontRole::kWindow), font()));
  // The tooltip shows the whole record: its codes, too, are drawn in the window's face.
  QToolTip::setFont(font());
  // The tooltip is there for the cut record also while the user works in another program, as
  // when the window follows the clipboard.
  setAttribute(Qt::WA_AlwaysShowToolTips);

  // Created in tab order, which Qt follows.
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    controls_[i] = MakeControl(pavrel::kControls[i], this);
  }
  query_box_ = static_cast<QLineEdit*>(controls_[pavrel::kQueryBox]);
  result_label_ = static_cast<QLabel*>(controls_[pavrel::kResultLabel]);
  query_button_ = static_cast<QPushButton*>(controls_[pavrel::kQueryButton]);
  // The prompt gives the query box its accessible name.
  static_cast<QLabel*>(controls_[pavrel::kPromptLabel])->setBuddy(query_box_);
  query_button_->setDefault(true);
  // A click on the button runs a lookup, which gives the query box the keyboard anyway; a
  // right-click, which opens the window's menu, leaves the keyboard in the query box.
  query_button_->setFocusPolicy(Qt::TabFocus);
  connect(query_button_, &QPushButton::clicked, this, &Form1::lookUpCharacter);

  announcer_ = new ResultAnnouncer(this);

  // Right-click anywhere outside the query box, which keeps its own edit menu, offers the modes.
  // A choice made there is remembered at once; the options of a run are not.
  for (std::size_t i = 0; i < menu_items_.size(); ++i) {
    const auto item = static_cast<pavrel::MenuItemIndex>(i);
    QAction* action = new QAction(QString::fromUtf8(pavrel::kMenuItems[item].text), this);
    action->setObjectName(pavrel::kMenuItems[item].name);
    action->setCheckable(true);
    action->setChecked(SavedChoice(item));
    connect(action, &QAction::triggered, this, [item](bool on) { SaveChoice(item, on); });
    addAction(action);
    menu_items_[item] = action;
  }
  setContextMenuPolicy(Qt::ActionsContextMenu);
  copied_text_reader_ = new CopiedTextReader(this);
  connect(QApplication::clipboard(), &QClipboard::dataChanged, this, [this] {
    if (menu_items_[pavrel::kFollowClipboardItem]->isChecked()) copied_text_reader_->Read();
  });
  connect(copied_text_reader_, &CopiedTextReader::copyRead, this, &Form1::lookUpCopy);
  QAction* follow = menu_items_[pavrel::kFollowClipboardItem];
  connect(follow, &QAction::toggled, copied_text_reader_, &CopiedTextReader::WatchWaylandClipboard);
  copied_text_reader_->WatchWaylandClipboard(follow->isChecked());
  connect(menu_items_[pavrel::kAllCodesItem], &QAction::toggled, this, &Form1::fitResult);
  fitResult();

  // Float above ordinary windows, and take typing in the query box as soon as the window is
  // shown. The window has a fixed size, so it offers no maximize button.
  setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                 Qt::WindowStaysOnTopHint);
  query_box_->setFocus();
}

// Enter anywhere in the window activates the default button, as in a dialog. The button handles
// Enter itself while it has the focus; the query box passes it on to here.
void Form1::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    query_button_->click();
    return;
  }
  QWidget::keyPressEvent(event);
}

void Form1::lookUpCharacter() { runLookup(); }

// A lookup that finds the table, by Enter or by a copy, closes an open box that says it is
// missing: that box is out of date.
void Form1::runLookup(const pavrel::CopiedText* copy) {
  message_shown_ = false;
  if (copy != nullptr) {
    pavrel::RunCopyLookup(*this, *copy);
  } else {
    pavrel::RunLookup(*this);
  }
  if (!message_shown_ && message_box_ != nullptr) message_box_->accept();
}

void Form1::SetFollowClipboard(bool on) {
  menu_items_[pavrel::kFollowClipboardItem]->setChecked(on);
}

void Form1::SetAllCodes(bool on) { menu_items_[pavrel::kAllCodesItem]->setChecked(on); }

// Places the controls and sizes the window: as described, the result label ending in … where it
// cuts the record, or, while every code is shown, with the result label holding the whole record
// and as tall as it needs, up to what the screen can hold.
void Form1::fitResult() {
  int result_height = 0;
  const bool whole = menu_items_[pavrel::kAllCodesItem]->isChecked();
  result_label_->setText(
      whole ? record_
            : result_label_->fontMetrics().elidedText(
                  record_, Qt::ElideRight, pavrel::kControls[pavrel::kResultLabel].box.width));
  if (whole) {
    const int frame = frameGeometry().height() - height();
    const int room = screen()->availableGeometry().height() - frame - pavrel::kClientHeight;
    result_height = std::min(result_label_->heightForWidth(result_label_->width()),
                             pavrel::kControls[pavrel::kResultLabel].box.height + room);
  }
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    const pavrel::Box box = pavrel::GrownBox(static_cast<int>(i), result_height);
    controls_[i]->setGeometry(box.left, box.top, box.width, box.height);
  }
  setFixedSize(pavrel::kClientWidth, pavrel::GrownClientHeight(result_height));
}

// Looks the copy up as Enter would its first character, which the query box gets, but shows the
// phrase it begins with or the word it is. The focus stays where the user copied: the lookup's
// setFocus only marks the query box for when this window is next activated.
void Form1::lookUpCopy(const pavrel::CopiedText& copy) {
  if (!menu_items_[pavrel::kFollowClipboardItem]->isChecked() || copy.text.empty()) return;
  query_box_->setText(QString::fromStdU32String(copy.text.substr(0, 1)));
  looking_up_copy_ = true;
  runLookup(&copy);
  looking_up_copy_ = false;
}

std::u32string Form1::GetQueryText() { return query_box_->text().toStdU32String(); }

void Form1::SetResultText(const std::u32string& text) {
  const QString record = QString::fromStdU32String(text);
  record_ = record;
  fitResult();
  // Screen readers read the whole record, also where the label cuts it.
  result_label_->setAccessibleName(record);
  // The tooltip shows all of it too. It is converted so that the tooltip, too, shows the record
  // as plain text.
  const QString tip = Qt::convertFromPlainText(record, Qt::WhiteSpaceNormal);
  // A tooltip that is open on the label shows the new record at once, not the one it opened with.
  if (QToolTip::isVisible() && QToolTip::text() == result_label_->toolTip()) {
    QToolTip::showText(QCursor::pos(), tip, result_label_);
  }
  result_label_->setToolTip(tip);
  announcer_->Announce(record);
}

void Form1::FocusQueryBox() { query_box_->setFocus(); }

void Form1::SetQuerySelection(int start, int length) {
  // Characters to UTF-16 units: a character outside the Basic Multilingual Plane takes two.
  const QString text = query_box_->text();
  const auto offset = [&text](int characters) {
    qsizetype unit = 0;
    for (; characters > 0 && unit < text.size(); --characters) {
      unit += text[unit].isHighSurrogate() && unit + 1 < text.size() ? 2 : 1;
    }
    return static_cast<int>(unit);
  };
  const int from = offset(start);
  query_box_->setSelection(from, offset(start + length) - from);
}

void Form1::ShowMessage(const std::u32string& text) {
  message_shown_ = true;
  // One box at a time: lookups of copied characters while it is open only bring it up to date.
  if (message_box_ != nullptr) {
    message_box_->setText(QString::fromStdU32String(text));
    return;
  }
  auto* box = new QMessageBox(QMessageBox::NoIcon, pavrel::kApplicationTitle,
                              QString::fromStdU32String(text), QMessageBox::Ok, this);
  box->setAttribute(Qt::WA_DeleteOnClose);
  message_box_ = box;
  if (!looking_up_copy_) {
    box->exec();
    return;
  }
  // A copy's box tells without taking the keyboard from the program where the user copied: it
  // is not activated when it appears, nor takes the focus when clicked, so neither showing nor
  // closing it moves the keyboard.
  box->setAttribute(Qt::WA_ShowWithoutActivating);
  box->setWindowFlag(Qt::WindowDoesNotAcceptFocus);
  box->show();
}
