#include "brevikprocess.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

using namespace brevik;

namespace {

// What the runs of one row printed and left behind, by where a user meets it.
struct Seen {
    QString out;
    QString err;
    QString log;           // the guardian's log
    QString notifications; // what the Mac's notifications said
};

// The shape of a `--scan --json` document with every text taken out: its keys, and the values
// that identify or act (ids, commands, severities, switches). Counts and times vary between
// runs; texts vary between languages.
QJsonValue skeleton(const QJsonValue &value, const QString &key = {})
{
    static const QStringList kept{
        "id",      "commands", "severity", "needsAdmin", "fallbackAdmin", "directOK",
        "proxyOK", "ok",       "url",      "code",       "unusableProxy"};
    if (value.isObject()) {
        QJsonObject out;
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            out.insert(it.key(), skeleton(it.value(), it.key()));
        return out;
    }
    if (value.isArray() && key != QLatin1String("commands")) {
        QJsonArray out;
        for (const QJsonValue &item : value.toArray())
            out.append(skeleton(item));
        return out;
    }
    if (kept.contains(key))
        return value;
    return value.isNull() ? value : QJsonValue(QStringLiteral("…"));
}

} // namespace

// What Brevik says in Chinese and in English, end to end on simulated Macs: the real
// executable, as the terminal and the launch agent start it.
class TestLanguages : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void keyTexts_data();
    void keyTexts();
    void jsonKeepsIdsKeysAndCommands();

private:
    // Runs `runs` one after another on a fresh simulated Mac of `scenario`.
    Seen run(const QString &scenario, const QList<QStringList> &runs,
             const QProcessEnvironment &language);
    QProcessEnvironment language(const QString &brevikLang, const QString &systemLang) const;

    QTemporaryDir m_root;
};

void TestLanguages::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("BREVIK_SIM_ROOT", m_root.path().toUtf8());
    qputenv("BREVIK_SIM_TIME_SCALE", "0");
}

QProcessEnvironment TestLanguages::language(const QString &brevikLang,
                                            const QString &systemLang) const
{
    QProcessEnvironment env = simulation(m_root.path(), {}, false);
    env.remove(QStringLiteral("BREVIK_LANG"));
    if (!brevikLang.isEmpty())
        env.insert(QStringLiteral("BREVIK_LANG"), brevikLang);
    // Off a Mac the system's preferred languages are the locale's: LC_ALL, then LANG.
    env.remove(QStringLiteral("LANGUAGE"));
    env.remove(QStringLiteral("LC_MESSAGES"));
    env.insert(QStringLiteral("LC_ALL"), systemLang);
    return env;
}

Seen TestLanguages::run(const QString &scenario, const QList<QStringList> &runs,
                        const QProcessEnvironment &language)
{
    const auto mac = SimulatedMac::open(scenario, true);
    if (!mac)
        return {};
    Seen seen;
    QProcessEnvironment env = language;
    env.insert(QStringLiteral("BREVIK_SIMULATE"), scenario);
    for (const QStringList &args : runs) {
        const Run done = runBrevik(env, args);
        seen.out += done.out;
        seen.err += done.err;
    }
    seen.log = QString::fromUtf8(readAll(mac->home() + "/Library/Logs/Brevik/guard.log"));
    for (const SimCall &call : mac->calls()) {
        if (call.tool == QLatin1String("osascript"))
            seen.notifications += call.args.value(1) + QLatin1Char('\n');
    }
    return seen;
}

void TestLanguages::keyTexts_data()
{
    QTest::addColumn<QString>("brevikLang"); // BREVIK_LANG; empty: not set
    QTest::addColumn<QString>("systemLang"); // the locale standing for the Mac's languages
    QTest::addColumn<QString>("scenario");
    QTest::addColumn<QList<QStringList>>("runs");
    QTest::addColumn<QStringList>("out"); // each must be in what the runs print
    QTest::addColumn<QStringList>("err");
    QTest::addColumn<QStringList>("log");
    QTest::addColumn<QStringList>("notification");

    const QString c = QStringLiteral("C.UTF-8");
    const QList<QStringList> scan{{"--scan"}};
    QTest::newRow("scan, Chinese")
        << "zh" << c << "residual-proxy" << scan
        << QStringList{"[故障] ", "    修复：", " · brevik --fix fix-proxy-off-all\n", "上网实测："}
        << QStringList{} << QStringList{} << QStringList{};
    QTest::newRow("scan, English")
        << "en" << c << "residual-proxy" << scan
        << QStringList{"[Error] ", "    Repair: ", " · brevik --fix fix-proxy-off-all\n",
                       "Internet test: "}
        << QStringList{} << QStringList{} << QStringList{};

    // A repair from the terminal: its log and the check run again after it.
    const QList<QStringList> repair{{"--fix", "fix-proxy-off-all"}};
    QTest::newRow("repair, Chinese")
        << "zh" << c << "residual-proxy" << repair
        << QStringList{"✅ 修复成功：已关闭所有服务的系统代理，网络已恢复直连",
                       "\n复查：已不再发现这个问题（"}
        << QStringList{} << QStringList{} << QStringList{};
    QTest::newRow("repair, English")
        << "en" << c << "residual-proxy" << repair
        << QStringList{"✅ Repaired: System proxy turned off on every service; the Mac connects "
                       "directly again",
                       "\nRecheck: the problem is gone ("}
        << QStringList{} << QStringList{} << QStringList{};
    QTest::newRow("a finding, English")
        << "en" << c << "residual-proxy" << scan
        << QStringList{"Critical: the system proxy points to proxy software that has quit (the "
                       "whole Mac is offline)"}
        << QStringList{} << QStringList{} << QStringList{};

    // The launch agent's runs: one confirms, the next repairs and tells the user; the journal
    // then lists the repair by the title it was given.
    const QList<QStringList> agent{{"--guard"}, {"--guard"}, {"--history"}};
    QTest::newRow("guardian repairs, Chinese")
        << "zh" << c << "residual-proxy" << agent
        << QStringList{"⚠️ 发现残留代理 "
                       "127.0.0.1:7890（无人监听）——确认中…\n",
                       "✅ 已自动修复：系统代理残留（127.0.0.1:7890）已关闭，网络恢复直连\n",
                       "✅ 自动关闭残留系统代理 127.0.0.1:7890"}
        << QStringList{}
        << QStringList{"  [守护] ⚠️ 发现残留代理 "
                       "127.0.0.1:7890（无人监听）——确认中…\n",
                       "  [自动修复] 关闭残留系统代理 127.0.0.1:7890（服务：Wi-Fi、"}
        << QStringList{"已关闭所有网络服务上残留的系统代理 127.0.0.1:7890，网络恢复直连。"};
    QTest::newRow("guardian repairs, English")
        << "en" << c << "residual-proxy" << agent
        << QStringList{"⚠️ Leftover proxy 127.0.0.1:7890 found (nothing listening): "
                       "confirming…\n",
                       "✅ Repaired automatically: the leftover system proxy (127.0.0.1:7890) "
                       "is off, the Mac connects directly again\n",
                       "✅ Switch off the leftover system proxy 127.0.0.1:7890 automatically"}
        << QStringList{}
        << QStringList{"  [Guardian] ⚠️ Leftover proxy 127.0.0.1:7890 found (nothing "
                       "listening): confirming…\n",
                       "  [Auto-repair] Switched off the leftover system proxy 127.0.0.1:7890 "
                       "(services: Wi-Fi, "}
        << QStringList{"Switched off the leftover system proxy 127.0.0.1:7890 on every network "
                       "service"};

    // Without BREVIK_LANG the system's languages decide; a language of neither kind is
    // Chinese.
    const QList<QStringList> status{{"--guard-status"}, {"--fix"}, {"--history"}};
    const QStringList chinese{"代理链路正常（127.0.0.1:7890 正在监听）\n", "还没有修复记录。\n"};
    const QStringList chineseUsage{"用法：brevik --fix FIX-ID（例如 fix-proxy-off-all）\n"};
    const QStringList english{"Proxy path works (127.0.0.1:7890 is listening)\n",
                              "No repairs yet.\n"};
    const QStringList englishUsage{"Usage: brevik --fix FIX-ID (for example fix-proxy-off-all)\n"};
    QTest::newRow("an English system")
        << ""
        << "en_US.UTF-8"
        << "healthy" << status << english << englishUsage << QStringList{} << QStringList{};
    QTest::newRow("a Chinese system")
        << ""
        << "zh_CN.UTF-8"
        << "healthy" << status << chinese << chineseUsage << QStringList{} << QStringList{};
    QTest::newRow("a German system")
        << ""
        << "de_DE.UTF-8"
        << "healthy" << status << chinese << chineseUsage << QStringList{} << QStringList{};
    QTest::newRow("BREVIK_LANG=zh on an English system")
        << "zh"
        << "en_US.UTF-8"
        << "healthy" << status << chinese << chineseUsage << QStringList{} << QStringList{};
}

void TestLanguages::keyTexts()
{
    QFETCH(QString, brevikLang);
    QFETCH(QString, systemLang);
    QFETCH(QString, scenario);
    QFETCH(QList<QStringList>, runs);
    QFETCH(QStringList, out);
    QFETCH(QStringList, err);
    QFETCH(QStringList, log);
    QFETCH(QStringList, notification);

    const Seen seen = run(scenario, runs, language(brevikLang, systemLang));
    const QList<std::tuple<QString, QString, QStringList>> places{
        {"out", seen.out, out},
        {"err", seen.err, err},
        {"log", seen.log, log},
        {"notification", seen.notifications, notification}};
    for (const auto &[place, text, expected] : places) {
        for (const QString &part : expected)
            QVERIFY2(text.contains(part),
                     qPrintable(QStringLiteral("%1 lacks \"%2\":\n%3").arg(place, part, text)));
    }
}

// Scripts read the JSON document by its ids, keys and commands: none of them changes with the
// language. Its texts do.
void TestLanguages::jsonKeepsIdsKeysAndCommands()
{
    QJsonObject documents[2];
    const QString languages[2]{QStringLiteral("zh"), QStringLiteral("en")};
    for (int i = 0; i < 2; ++i) {
        QProcessEnvironment env = language(languages[i], QStringLiteral("C.UTF-8"));
        env.insert(QStringLiteral("BREVIK_SIMULATE"), QStringLiteral("residual-proxy"));
        env.insert(QStringLiteral("BREVIK_SIM_FRESH"), QStringLiteral("1"));
        const Run scan = runBrevik(env, {QStringLiteral("--scan"), QStringLiteral("--json")});
        QCOMPARE(scan.code, 0);
        documents[i] = QJsonDocument::fromJson(scan.out.toUtf8()).object();
        QVERIFY(!documents[i].value(QStringLiteral("findings")).toArray().isEmpty());
    }
    QCOMPARE(QJsonDocument(skeleton(documents[1]).toObject()).toJson(),
             QJsonDocument(skeleton(documents[0]).toObject()).toJson());

    const auto category = [](const QJsonObject &document) {
        const QJsonArray findings = document.value(QStringLiteral("findings")).toArray();
        return findings.first().toObject().value(QStringLiteral("category")).toString();
    };
    QVERIFY2(category(documents[1]) != category(documents[0]), qPrintable(category(documents[1])));
}

QTEST_GUILESS_MAIN(TestLanguages)
#include "tst_languages.moc"
