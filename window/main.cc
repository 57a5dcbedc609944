#include <QApplication>

#include "window/form1.h"
#include "window/x11_on_wayland.h"

int main(int argc, char* argv[]) {
  PreferX11OnWayland();
  QApplication app(argc, argv);
  Form1 form;
  return app.exec();
}
