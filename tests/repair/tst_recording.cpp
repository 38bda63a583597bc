#include "repair/recording.h"

#include "repair/settingio.h"
#include "tests/support/scriptedrunner.h"

#include <QCoreApplication>
#include <QJsonObject>
#include <QTest>
#include <QTranslator>

using namespace brevik;

using namespace Qt::StringLiterals;

namespace {

// Stands for any translation: every text comes out different from its source, with its
// status sign still in front and its placeholders still in it.
class MarkingTranslator final : public QTranslator {
public:
    QString translate(const char *, const char *source, const char *, int) const override
    {
        return QString::fromUtf8(source) + u" ‹en›"_s;
    }
    bool isEmpty() const override { return false; }
};

const SettingKey kWebProxy{SettingKind::webProxy, u"Wi-Fi"_s};
const QJsonObject kProxyOn{{"enabled", true}, {"server", "127.0.0.1"}, {"port", "7890"}};

QString proxyAnswer(bool enabled)
{
    return u"Enabled: %1\nServer: 127.0.0.1\nPort: 7890\nAuthenticated Proxy Enabled: 0\n"_s.arg(
        enabled ? u"Yes"_s : u"No"_s);
}

} // namespace

class TestRecording : public QObject {
    Q_OBJECT
private slots:
    void cancelledPromptNamesWhatStayed_data();
    void cancelledPromptNamesWhatStayed();
};

// A password prompt cancelled after the part of a repair that needs none: the log says what
// that part changed, in whichever language the texts are, and a prompt cancelled before
// anything changed keeps saying that nothing did.
void TestRecording::cancelledPromptNamesWhatStayed_data()
{
    QTest::addColumn<bool>("translated");
    QTest::addColumn<bool>("batch");
    QTest::addColumn<bool>("proxyStillOn");
    QTest::addColumn<bool>("toldChanged");

    QTest::newRow("source texts, proxy switched off") << false << false << false << true;
    QTest::newRow("translated, proxy switched off") << true << false << false << true;
    QTest::newRow("translated, batch, proxy switched off") << true << true << false << true;
    QTest::newRow("translated, nothing changed") << true << false << true << false;
}

void TestRecording::cancelledPromptNamesWhatStayed()
{
    QFETCH(bool, translated);
    QFETCH(bool, batch);
    QFETCH(bool, proxyStillOn);
    QFETCH(bool, toldChanged);

    MarkingTranslator translator;
    if (translated)
        QVERIFY(QCoreApplication::installTranslator(&translator));
    auto runner = std::make_shared<ScriptedRunner>();
    runner->on(SettingIO::query(kWebProxy), 0, proxyAnswer(proxyStillOn));
    ScopedRunner scope(runner);

    JournalEntry entry;
    entry.settings << RecordedSetting{kWebProxy, QJsonValue(kProxyOn), QJsonValue()};
    const ShellResult cancelled{1, u"0:56: execution error: User canceled. (-128)"_s};
    FixResult result{false, FixEngine::formatLog(std::nullopt, cancelled), FixEnd::cancelled,
                     true};
    // A batch puts its heading before each failed repair's own log.
    const QString heading = batch ? u"❌ heading\n"_s : QString();
    result.log.prepend(heading);
    Recording::finish(entry, result);

    const QString label = SettingIO::label(kWebProxy);
    QVERIFY2(result.log.startsWith(heading + u"⚠️"_s), qPrintable(result.log));
    QCOMPARE(result.log.endsWith(FixEngine::cancelledLog()), !toldChanged);
    QCOMPARE(result.log.contains(label), toldChanged);
    QCOMPARE(result.ranAny, toldChanged);
    QCOMPARE(entry.changedNothing, !toldChanged);
    QCOMPARE(entry.log, result.log);
    QCOMPARE(label.endsWith(u" ‹en›"_s), translated);
    VERIFY_ALL_SCRIPTED(*runner);
}

QTEST_GUILESS_MAIN(TestRecording)

#include "tst_recording.moc"
