#include "app/window/qttranslations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace brevik {

namespace {

// Where Qt's catalogues may lie: where the Qt in use keeps them (Debian's
// qt6-translations-l10n, Homebrew's qt), then a bundle's own Resources, for a Mac app that
// carries its Qt along.
QStringList catalogueFolders()
{
    return {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
            QDir(QCoreApplication::applicationDirPath())
                .filePath(QStringLiteral("../Resources/translations")),
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("translations"))};
}

} // namespace

namespace QtTranslations {

QLocale windowLanguage()
{
    return QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
}

bool install(QCoreApplication &app, const QLocale &language)
{
    auto *translator = new QTranslator(&app);
    for (const QString &folder : catalogueFolders()) {
        // "qtbase_zh_CN.qm": the widgets' and dialogs' texts.
        if (translator->load(language, QStringLiteral("qtbase"), QStringLiteral("_"), folder) &&
            QCoreApplication::installTranslator(translator))
            return true;
    }
    delete translator;
    return false;
}

} // namespace QtTranslations

} // namespace brevik
