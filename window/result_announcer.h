// Has a screen reader speak a lookup's result, while the focus stays in the query box and nothing
// changes on screen. A screen reader speaks what happens at the focus, so a label that changes
// beside it is not heard.

#ifndef PAVREL_WINDOW_RESULT_ANNOUNCER_H_
#define PAVREL_WINDOW_RESULT_ANNOUNCER_H_

#include <QWidget>

// An empty child widget of no size that screen readers see as a notification. Qt 6.4 has no call
// that asks a screen reader to speak a text; Orca speaks a notification when one is shown, as it
// does a desktop's pop-up messages. Being a widget, it is in the window's accessibility tree
// without a hand-made interface, and having no size it draws nothing and takes no input.
class ResultAnnouncer : public QWidget {
 public:
  explicit ResultAnnouncer(QWidget* parent);

  // Speaks `text` once, also when it is the same as the last.
  void Announce(const QString& text);
};

#endif  // PAVREL_WINDOW_RESULT_ANNOUNCER_H_
