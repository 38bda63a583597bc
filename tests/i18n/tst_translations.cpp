#include "i18n/language.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTest>
#include <QXmlStreamReader>

using namespace brevik;

namespace {

// One entry of a Linguist file: its source and every translation (numerus forms apart).
struct Entry {
    QString context;
    QString source;
    QStringList translations;
};

QList<Entry> entries(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QXmlStreamReader xml(&file);
    QList<Entry> read;
    QString context;
    bool numerus = false;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        const auto name = xml.name();
        if (name == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (name == QLatin1String("message")) {
            read << Entry{context, {}, {}};
            numerus = xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
        } else if (read.isEmpty()) {
            continue;
        } else if (name == QLatin1String("source")) {
            read.last().source = xml.readElementText();
        } else if (name == QLatin1String("numerusform") ||
                   (name == QLatin1String("translation") && !numerus)) {
            read.last().translations << xml.readElementText();
        }
    }
    return read;
}

// What a translation must carry over: every %1…%99 and %n, and the status sign in front.
QStringList kept(const QString &text)
{
    static const QRegularExpression placeholder(QStringLiteral("%(\\d{1,2}|n)"));
    QSet<QString> found;
    for (const QRegularExpressionMatch &match : placeholder.globalMatch(text))
        found << match.captured();
    QStringList list(found.cbegin(), found.cend());
    list.sort();
    for (const QString &sign : {"✅", "❌", "⚠️", "⏳", "⏸"}) {
        if (text.startsWith(sign))
            list.prepend(sign);
    }
    return list;
}

} // namespace

class TestTranslations : public QObject {
    Q_OBJECT

private slots:
    void choice_data();
    void choice();
    void translationsKeepPlaceholdersAndSigns_data();
    void translationsKeepPlaceholdersAndSigns();
};

void TestTranslations::choice_data()
{
    QTest::addColumn<QString>("requested"); // BREVIK_LANG
    QTest::addColumn<QStringList>("preferred");
    QTest::addColumn<Language>("spoken");

    const auto zh = Language::chinese;
    const auto en = Language::english;
    QTest::newRow("a Chinese Mac") << "" << QStringList{"zh-Hans-CN", "en-CN"} << zh;
    QTest::newRow("Traditional Chinese") << "" << QStringList{"zh-Hant-TW", "en-US"} << zh;
    QTest::newRow("an English Mac") << "" << QStringList{"en-US", "zh-Hans-US"} << en;
    QTest::newRow("British English") << "" << QStringList{"en-GB"} << en;
    QTest::newRow("German first, then English") << "" << QStringList{"de-DE", "en-US"} << en;
    QTest::newRow("German first, then Chinese") << "" << QStringList{"de-DE", "zh-Hans"} << zh;
    QTest::newRow("neither Chinese nor English") << "" << QStringList{"fr-FR", "ja-JP"} << zh;
    QTest::newRow("the C locale") << "" << QStringList{"C"} << zh;
    QTest::newRow("no list at all") << "" << QStringList{} << zh;
    QTest::newRow("BREVIK_LANG=en on a Chinese Mac") << "en" << QStringList{"zh-Hans-CN"} << en;
    QTest::newRow("BREVIK_LANG=zh on an English Mac") << "zh" << QStringList{"en-US"} << zh;
    QTest::newRow("BREVIK_LANG of no language of ours") << "fr" << QStringList{"en-US"} << en;
    QTest::newRow("BREVIK_LANG that is no language") << "english" << QStringList{"en-US"} << en;
}

void TestTranslations::choice()
{
    QFETCH(QString, requested);
    QFETCH(QStringList, preferred);
    QTEST(Languages::choose(requested, preferred), "spoken");
}

void TestTranslations::translationsKeepPlaceholdersAndSigns_data()
{
    QTest::addColumn<QString>("path");
    const QDir folder(QStringLiteral(QT_TESTCASE_SOURCEDIR "/../i18n"));
    const QStringList files = folder.entryList({QStringLiteral("brevik_en_*.ts")}, QDir::Files);
    QVERIFY(!files.isEmpty());
    for (const QString &name : files)
        QTest::newRow(qPrintable(name)) << folder.filePath(name);
}

// A translation that drops a %1 loses the value it stood for; one that drops the sign in
// front loses what the window and the guardian read from it.
void TestTranslations::translationsKeepPlaceholdersAndSigns()
{
    QFETCH(QString, path);
    const QList<Entry> read = entries(path);
    QVERIFY(!read.isEmpty());
    QStringList wrong;
    for (const Entry &entry : read) {
        for (const QString &translation : entry.translations) {
            if (kept(translation) != kept(entry.source))
                wrong << entry.context + QStringLiteral(": ") + entry.source +
                             QStringLiteral(" → ") + translation;
        }
    }
    QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
}

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
