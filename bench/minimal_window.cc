// The smallest Qt 6 window, for the start-up benchmark to compare Pavrel with: one shown widget
// holding one label. The label is Chinese, as Pavrel's are: showing any Chinese text maps a CJK
// font, which alone adds 2.5 to 4 MiB of resident memory (DroidSansFallbackFull or AR PL UMing).

#include <QApplication>
#include <QLabel>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication app(argc, argv);
  QWidget window;
  QLabel label("查询", &window);
  window.show();
  return app.exec();
}
