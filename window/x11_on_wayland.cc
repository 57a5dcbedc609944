#include "window/x11_on_wayland.h"

#include <QByteArray>
#include <QString>

void PreferX11OnWayland() {
  if (qEnvironmentVariable("XDG_SESSION_TYPE") == "wayland" &&
      !qEnvironmentVariableIsEmpty("DISPLAY") && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "xcb");
  }
}
