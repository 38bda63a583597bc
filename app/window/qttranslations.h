#pragma once

#include <QLocale>

class QCoreApplication;

namespace brevik {

// Qt's own texts in the window's language: the buttons of its dialogs (the export dialog's
// "保存"), the context menus of its text fields, the shortcuts named in menus. Without them
// every dialog Qt draws speaks English beside a Chinese window.
namespace QtTranslations {

// The language the window speaks. One place, so that choosing it later changes only this.
QLocale windowLanguage();

// Installs Qt's own catalogue for `language` into `app`, looked up where Qt keeps its
// translations, and inside a Mac app bundle. False when none was found: the texts stay
// Qt's English.
bool install(QCoreApplication &app, const QLocale &language);

} // namespace QtTranslations

} // namespace brevik
