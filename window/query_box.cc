#include "window/query_box.h"

#include <QContextMenuEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QValidator>
#include <string>

#include "lookup/query_box.h"
#include "window/copied_text_reader.h"

namespace {

// Holds the box to one character. Qt hands a validator only the edited text and the cursor, in
// UTF-16 units; this one converts them to characters and back, and remembers the text it last
// accepted as the text before the edit. Set on the empty box, it sees every change of its text,
// typed or set by the program, which is how it knows that text.
class OneCharacter : public QValidator {
 public:
  using QValidator::QValidator;

  State validate(QString& input, int& pos) const override {
    const std::u32string after = input.toStdU32String();
    const std::size_t caret = QStringView(input).left(pos).toUcs4().size();
    pavrel::QueryBoxText kept = pavrel::KeepOneCharacter(accepted_, after, caret);
    input = QString::fromStdU32String(kept.text);
    pos = static_cast<int>(QString::fromUcs4(kept.text.data(), kept.caret).size());
    accepted_ = std::move(kept.text);
    return Acceptable;
  }

 private:
  mutable std::u32string accepted_;  // the text after the last edit
};

}  // namespace

QueryBox::QueryBox(QWidget* parent) : QLineEdit(parent) { setValidator(new OneCharacter(this)); }

// Ctrl+V and Shift+Insert paste the clipboard; on X11 Ctrl+Shift+Insert pastes the selection.
void QueryBox::keyPressEvent(QKeyEvent* event) {
  if (!event->matches(QKeySequence::Paste)) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  const bool selection = event->key() == Qt::Key_Insert &&
                         event->modifiers() == (Qt::ControlModifier | Qt::ShiftModifier);
  pasteCopied(selection ? QClipboard::Selection : QClipboard::Clipboard);
}

// The line edit's own menu, whose Paste goes by the rule. Qt 6.4 names none of its actions: the
// one that pastes is the one connected to paste(), by signature there, by pointer in later Qt.
void QueryBox::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu();
  for (QAction* action : menu->actions()) {
    if (disconnect(action, SIGNAL(triggered()), this, SLOT(paste())) ||
        disconnect(action, &QAction::triggered, this, &QLineEdit::paste)) {
      connect(action, &QAction::triggered, this, [this] { pasteCopied(QClipboard::Clipboard); });
    }
  }
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

// The middle button pastes X11's selection where the press put the cursor.
void QueryBox::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::MiddleButton || !QGuiApplication::clipboard()->supportsSelection()) {
    QLineEdit::mouseReleaseEvent(event);
    return;
  }
  deselect();
  pasteCopied(QClipboard::Selection);
}

// A drop replaces the box's character, wherever it lands: a line edit would insert it at the
// drop's place, in front of or after the character, where the one-character rule refuses it.
void QueryBox::dropEvent(QDropEvent* event) {
  const QString character = CharacterToLookUp(event->mimeData()->text());
  if (character.isEmpty()) {
    event->ignore();
    return;
  }
  selectAll();
  insert(character);
  event->acceptProposedAction();
}

void QueryBox::pasteCopied(QClipboard::Mode mode) {
  const QString character = CharacterToLookUp(QGuiApplication::clipboard()->text(mode));
  if (!character.isEmpty()) insert(character);
}
