#include "sim/scenario.h"
#include "tests/integration/scanonsim.h"

#include <QRegularExpression>
#include <QTest>

using namespace brevik;

namespace {

// Everything a finding shows or offers, one field a line.
QString rendered(const Finding &finding)
{
    QStringList fields{finding.id,
                       severityName(finding.severity),
                       rawValue(finding.category),
                       finding.title,
                       finding.detail,
                       finding.fixHint.value_or(QString()),
                       finding.manualSteps.join(QLatin1Char('|'))};
    if (finding.fix)
        fields << finding.fix->id << finding.fix->commands().join(QLatin1Char('|'))
               << QString::number(finding.fix->needsAdmin) +
                      QString::number(finding.fix->fallbackAdmin);
    QString text = fields.join(QLatin1Char('\n'));
    // The one figure two honest scans of one simulated Mac may disagree on: the clock
    // difference, read against a Date header of one-second resolution, moves by a second
    // when a second boundary falls between the server's answer and the local reading. The
    // latencies shown are the scenario's own figures, so they are compared as they are.
    if (finding.id == QLatin1String("clock-skew"))
        text.replace(QRegularExpression(QStringLiteral("-?[0-9]+ 秒")), QStringLiteral("N 秒"));
    return text;
}

QStringList rendered(const QList<Finding> &findings)
{
    QStringList list;
    for (const Finding &finding : findings)
        list << rendered(finding);
    return list;
}

bool isTransfer(const SimCall &call)
{
    return call.tool == QLatin1String("curl") && call.args.contains(QStringLiteral("-r"));
}

// Pings count lost packets; the curl probes that print their total time are timed requests.
bool isMeasurement(const SimCall &call)
{
    if (call.tool == QLatin1String("ping"))
        return true;
    return call.tool == QLatin1String("curl") &&
           !call.args.filter(QStringLiteral("time_total")).isEmpty();
}

} // namespace

class TestOverlappedScan : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void findsWhatASequentialScanFinds_data();
    void findsWhatASequentialScanFinds();
    void measurementsNeverMeetATransfer_data();
    void measurementsNeverMeetATransfer();

private:
    QTemporaryDir m_root;
};

void TestOverlappedScan::initTestCase()
{
    QVERIFY(m_root.isValid());
    qputenv("BREVIK_SIM_ROOT", m_root.path().toUtf8());
    // Every wait a fiftieth as long: the printed times stay the scenario's.
    qputenv("BREVIK_SIM_TIME_SCALE", "0.02");
}

void TestOverlappedScan::findsWhatASequentialScanFinds_data()
{
    QTest::addColumn<QString>("scenario");
    for (const QString &name : Scenario::builtInNames())
        QTest::newRow(qPrintable(name)) << name;
}

void TestOverlappedScan::findsWhatASequentialScanFinds()
{
    QFETCH(QString, scenario);
    QString error;
    const auto mac = SimulatedMac::open(scenario, true, &error);
    QVERIFY2(mac, qPrintable(error));
    // A scan only reads the Mac, so both see the same one.
    const QStringList sequential = rendered(scanOn(*mac, ScanPace::sequential).findings);
    const QStringList overlapped = rendered(scanOn(*mac, ScanPace::overlapped).findings);
    QVERIFY(!sequential.isEmpty());
    QCOMPARE(overlapped, sequential);
}

void TestOverlappedScan::measurementsNeverMeetATransfer_data()
{
    QTest::addColumn<QString>("scenario");
    // The two Macs whose large ping is dropped, so that the MTU check downloads.
    QTest::newRow("downloads stall") << "mtu-issue";
    QTest::newRow("downloads fail at once") << "captive-portal";
}

void TestOverlappedScan::measurementsNeverMeetATransfer()
{
    QFETCH(QString, scenario);
    QString error;
    const auto mac = SimulatedMac::open(scenario, true, &error);
    QVERIFY2(mac, qPrintable(error));
    scanOn(*mac);

    QList<SimCall> transfers;
    QList<SimCall> measurements;
    for (const SimCall &call : mac->calls()) {
        if (isTransfer(call))
            transfers << call;
        else if (isMeasurement(call))
            measurements << call;
    }
    QVERIFY(!transfers.isEmpty());
    QVERIFY(measurements.size() > transfers.size());
    for (const SimCall &transfer : transfers) {
        for (const SimCall &measurement : measurements) {
            const bool apart =
                measurement.endMs <= transfer.startMs || transfer.endMs <= measurement.startMs;
            QVERIFY2(apart, qPrintable(measurement.tool + ' ' + measurement.args.join(' ') +
                                       " ran beside " + transfer.args.join(' ')));
        }
    }
}

QTEST_GUILESS_MAIN(TestOverlappedScan)
#include "tst_overlappedscan.moc"
