// The query box: a line edit that holds one character by the shared rule (lookup/query_box.h).
// Text pasted or dropped into it comes from a copy, so it brings the character that the
// copied-text rule picks (lookup/copied_text.h), as the copy would while the window follows the
// clipboard: “字” brings 字, 《红楼梦》 红, a line copied with the line break before it its first
// character, and text without such a character brings nothing. Typing and an input method's text
// go by the one-character rule alone.

#ifndef PAVREL_WINDOW_QUERY_BOX_H_
#define PAVREL_WINDOW_QUERY_BOX_H_

#include <QClipboard>
#include <QLineEdit>

class QueryBox : public QLineEdit {
  Q_OBJECT

 public:
  explicit QueryBox(QWidget* parent = nullptr);

 protected:
  // Each way a line edit pastes or takes a drop: the paste keys, the edit menu's Paste, the
  // middle button (X11's selection), a drop.
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // Puts the character that the text of `mode` asks to look up in place of the selection.
  void pasteCopied(QClipboard::Mode mode);
};

#endif  // PAVREL_WINDOW_QUERY_BOX_H_
