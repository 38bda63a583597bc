#include "i18n/language.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

#include <optional>

namespace brevik {

namespace {

std::optional<Language> spoken(const QString &tag)
{
    // "zh-Hans-CN", "zh_TW", "en-GB", "en": the language is what counts, not script or region.
    switch (QLocale(tag).language()) {
    case QLocale::Chinese:
        return Language::chinese;
    case QLocale::English:
        return Language::english;
    default:
        return std::nullopt;
    }
}

// Where Qt's catalogues may lie: where the Qt in use keeps them (Debian's
// qt6-translations-l10n, Homebrew's qt), then a bundle's own Resources, for a Mac app that
// carries its Qt along.
QStringList qtCatalogueFolders()
{
    const QDir programs(QCoreApplication::applicationDirPath());
    return {QLibraryInfo::path(QLibraryInfo::TranslationsPath),
            programs.filePath(QStringLiteral("../Resources/translations")),
            programs.filePath(QStringLiteral("translations"))};
}

bool installQtTexts(QCoreApplication &app, Language language)
{
    auto *translator = new QTranslator(&app);
    for (const QString &folder : qtCatalogueFolders()) {
        // "qtbase_zh_CN.qm": the widgets' and dialogs' texts.
        if (translator->load(Languages::locale(language), QStringLiteral("qtbase"),
                             QStringLiteral("_"), folder) &&
            QCoreApplication::installTranslator(translator))
            return true;
    }
    delete translator;
    // Qt's own texts are English: without the catalogue they only lack its plural forms.
    return language == Language::english;
}

} // namespace

namespace Languages {

Language choose(const QString &requested, const QStringList &preferred)
{
    if (const std::optional<Language> asked = spoken(requested))
        return *asked;
    for (const QString &tag : preferred) {
        if (const std::optional<Language> language = spoken(tag))
            return *language;
    }
    return Language::chinese;
}

Language chosen()
{
    return choose(qEnvironmentVariable("BREVIK_LANG"), QLocale::system().uiLanguages());
}

QLocale locale(Language language)
{
    if (language == Language::english)
        return QLocale(QLocale::English, QLocale::UnitedStates);
    return QLocale(QLocale::Chinese, QLocale::SimplifiedChineseScript, QLocale::China);
}

QString catalogue(Language language)
{
    return language == Language::english ? QStringLiteral(":/i18n/brevik_en.qm") : QString();
}

bool install(QCoreApplication &app, Language language, bool qtTexts)
{
    bool found = !qtTexts || installQtTexts(app, language);
    const QString ours = catalogue(language);
    if (ours.isEmpty())
        return found;
    auto *translator = new QTranslator(&app);
    if (translator->load(ours) && QCoreApplication::installTranslator(translator))
        return found;
    delete translator;
    return false;
}

} // namespace Languages

} // namespace brevik
