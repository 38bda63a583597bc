#include "diagnostics/probegate.h"

#include <QHash>
#include <QTest>

#include <atomic>
#include <future>
#include <list>
#include <thread>

using namespace brevik;

namespace {

struct Request {
    ProbeKind kind = ProbeKind::local;
    int step = 0;
};

// "timed@3": a probe of that kind from the step at that place.
Request request(const QString &text)
{
    static const QHash<QString, ProbeKind> kinds{{"local", ProbeKind::local},
                                                 {"light", ProbeKind::light},
                                                 {"timed", ProbeKind::timed},
                                                 {"bulk", ProbeKind::bulk}};
    const QStringList parts = text.split(QLatin1Char('@'));
    return {kinds.value(parts.at(0)), parts.value(1).toInt()};
}

// A probe that asks the gate on a thread of its own and holds its pass until it is let go.
class Prober {
public:
    Prober(ProbeGate &gate, const Request &request)
        : m_thread([this, &gate, request, leave = m_leave.get_future()] {
              const ProbeGate::Pass pass = gate.enter(request.kind, request.step);
              m_in = true;
              leave.wait();
          })
    {
    }
    ~Prober() { m_thread.join(); }
    // Leaves once admitted.
    void letGo() { m_leave.set_value(); }
    bool in() const { return m_in; }

private:
    std::atomic<bool> m_in{false};
    std::promise<void> m_leave;
    std::thread m_thread; // last: it starts once the members it uses exist
};

} // namespace

class TestProbeGate : public QObject {
    Q_OBJECT

private slots:
    void admission_data();
    void admission();
};

void TestProbeGate::admission_data()
{
    QTest::addColumn<QStringList>("running"); // admitted first, in this order
    QTest::addColumn<QStringList>("waiting"); // then asked, each of them held back
    QTest::addColumn<QString>("asked");
    QTest::addColumn<bool>("admitted");

    QTest::newRow("pings to two hosts side by side")
        << QStringList{"timed@2"} << QStringList{} << "timed@2" << true;
    QTest::newRow("a name lookup beside a download")
        << QStringList{"bulk@8"} << QStringList{} << "light@3" << true;
    QTest::newRow("a local read beside a download")
        << QStringList{"bulk@8"} << QStringList{} << "local@7" << true;
    QTest::newRow("no ping beside a download")
        << QStringList{"bulk@8"} << QStringList{} << "timed@2" << false;
    QTest::newRow("no download beside a ping")
        << QStringList{"timed@2"} << QStringList{} << "bulk@8" << false;
    QTest::newRow("no download beside another")
        << QStringList{"bulk@8"} << QStringList{} << "bulk@8" << false;
    QTest::newRow("a download beside lookups and local reads")
        << QStringList{"light@3", "local@7"} << QStringList{} << "bulk@8" << true;
    QTest::newRow("a waiting download holds back a later step's ping")
        << QStringList{"timed@1"} << QStringList{"bulk@8"} << "timed@9" << false;
    QTest::newRow("a waiting download lets an earlier step's ping pass")
        << QStringList{"timed@1"} << QStringList{"bulk@8"} << "timed@2" << true;
    QTest::newRow("a waiting download lets a later lookup pass")
        << QStringList{"timed@1"} << QStringList{"bulk@8"} << "light@9" << true;
    QStringList full;
    for (int i = 0; i < ProbeGate::kMaxCommands; ++i)
        full << QStringLiteral("local@0");
    QTest::newRow("one command more than the cap waits, whatever its kind")
        << full << QStringList{} << "local@0" << false;
}

void TestProbeGate::admission()
{
    QFETCH(QStringList, running);
    QFETCH(QStringList, waiting);
    QFETCH(QString, asked);
    ProbeGate gate;
    std::list<Prober> probers;
    for (const QString &probe : running) {
        probers.emplace_back(gate, request(probe));
        QTRY_VERIFY(probers.back().in());
    }
    for (int i = 0; i < waiting.size(); ++i) {
        probers.emplace_back(gate, request(waiting.at(i)));
        QTRY_COMPARE(gate.waiting(), i + 1);
    }
    probers.emplace_back(gate, request(asked));
    const Prober &asker = probers.back();
    // Admitted at once, or queued for good: nothing running leaves before the end.
    QTRY_VERIFY(asker.in() || gate.waiting() == waiting.size() + 1);
    QTEST(asker.in(), "admitted");

    // Every probe held back gets its turn once the others leave; none is stranded.
    for (Prober &prober : probers)
        prober.letGo();
    probers.clear();
    QCOMPARE(gate.waiting(), 0);
}

QTEST_GUILESS_MAIN(TestProbeGate)
#include "tst_probegate.moc"
