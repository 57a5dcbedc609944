#include "window/result_announcer.h"

#include <QAccessible>
#include <QAccessibleWidget>

namespace {

// Gives every ResultAnnouncer the notification role; other objects get Qt's own interfaces.
QAccessibleInterface* NotificationFor(const QString&, QObject* object) {
  auto* announcer = dynamic_cast<ResultAnnouncer*>(object);
  return announcer != nullptr ? new QAccessibleWidget(announcer, QAccessible::Notification)
                              : nullptr;
}

}  // namespace

ResultAnnouncer::ResultAnnouncer(QWidget* parent) : QWidget(parent) {
  static const bool installed = (QAccessible::installFactory(NotificationFor), true);
  (void)installed;
  setObjectName("ResultAnnouncer");
  setGeometry(0, 0, 0, 0);
  setFocusPolicy(Qt::NoFocus);
  hide();
}

// The text is the notification's accessible name; showing it makes Qt tell the screen reader
// that a notification appeared, and hiding it first lets the same text be shown again.
void ResultAnnouncer::Announce(const QString& text) {
  hide();
  setAccessibleName(text);
  show();
}
