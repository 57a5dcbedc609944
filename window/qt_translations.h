// Qt's own texts (a message box's buttons, a text box's edit menu) in the user's language.

#ifndef PAVREL_WINDOW_QT_TRANSLATIONS_H_
#define PAVREL_WINDOW_QT_TRANSLATIONS_H_

class QCoreApplication;

// Loads Qt's translations for the system locale (qtbase_zh_CN under a Chinese locale) from Qt's
// translations folder, where Debian's qt6-translations-l10n puts them, and installs them in
// `application`. Without them, or for English, Qt's texts stay English.
void InstallQtTranslations(QCoreApplication& application);

#endif  // PAVREL_WINDOW_QT_TRANSLATIONS_H_
