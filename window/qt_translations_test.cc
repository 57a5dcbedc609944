#include "window/qt_translations.h"

#include <QCoreApplication>
#include <QLocale>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>

#include "gtest/gtest.h"

namespace {

// Under a Chinese locale Qt's own texts are Chinese, from the translations Debian packages.
TEST(QtTranslationsTest, GiveTheMessageBoxsButtonInChinese) {
  QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
  InstallQtTranslations(*QCoreApplication::instance());
  QMessageBox box(QMessageBox::NoIcon, "", "", QMessageBox::Ok);
  EXPECT_EQ(box.button(QMessageBox::Ok)->text(), "确定");
  for (QTranslator* translator : qApp->findChildren<QTranslator*>()) {
    QCoreApplication::removeTranslator(translator);
  }
  QLocale::setDefault(QLocale::system());
}

}  // namespace
