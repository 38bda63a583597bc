#include "backdrop.h"

#include "ui/aiservicecard.h"
#include "ui/fittext.h"
#include "ui/statcard.h"
#include "ui/statusdot.h"
#include "ui/symbolview.h"

#include <QTest>

class TestTiles : public QObject {
    Q_OBJECT

private slots:
    void aiService_data();
    void aiService();
    void statValueFits_data();
    void statValueFits();
};

void TestTiles::aiService_data()
{
    QTest::addColumn<bool>("direct");
    QTest::addColumn<bool>("proxy");
    QTest::addColumn<int>("latency");
    QTest::addColumn<Symbol>("verdict");
    QTest::addColumn<QColor>("color");
    QTest::addColumn<QString>("latencyText");

    QTest::newRow("only the proxy works")
        << false << true << 240 << Symbol::checkmarkCircleFill << neuSuccess << "240 ms";
    QTest::newRow("only the direct probe works")
        << true << false << 85 << Symbol::checkmarkCircleFill << neuSuccess << "85 ms";
    QTest::newRow("neither works")
        << false << false << 0 << Symbol::xmarkCircleFill << neuDanger << "不可达";
}

void TestTiles::aiService()
{
    QFETCH(bool, direct);
    QFETCH(bool, proxy);
    QFETCH(int, latency);
    QFETCH(Symbol, verdict);
    QFETCH(QColor, color);
    QFETCH(QString, latencyText);

    const AIStatus item{.id = QStringLiteral("Claude"),
                        .name = QStringLiteral("Claude"),
                        .url = QStringLiteral("https://api.anthropic.com"),
                        .directOK = direct,
                        .proxyOK = proxy,
                        .latencyMs = latency,
                        .note = {}};
    AIServiceCard card(item, true);
    QCOMPARE(card.verdict()->symbol(), verdict);
    QCOMPARE(card.verdict()->color(), color);
    QCOMPARE(card.directDot()->isOn(), direct);
    QCOMPARE(card.proxyDot()->isOn(), proxy);
    QCOMPARE(card.latencyText(), latencyText);
}

void TestTiles::statValueFits_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("width");
    QTest::addColumn<qreal>("scale");

    QTest::newRow("fits") << "12" << 240 << 1.0;
    QTest::newRow("slightly too wide shrinks") << "网络正常可用" << 130 << -1.0;
    QTest::newRow("far too wide stops at 0.7") << "网络正常可用，仍有可选优化" << 110 << 0.7;
}

void TestTiles::statValueFits()
{
    QFETCH(QString, value);
    QFETCH(int, width);
    QFETCH(qreal, scale);

    Backdrop backdrop;
    auto *card = new StatCard(QStringLiteral("网络状态"), value, neuSuccess,
                              Symbol::checkmarkSealFill, &backdrop);
    card->setGeometry(20, 20, width, card->sizeHint().height());
    QVERIFY(backdrop.showAndWait());
    const auto *text = card->findChild<FitText *>();
    QVERIFY(text);
    if (scale > 0) {
        QCOMPARE(text->scale(), scale);
    } else {
        QVERIFY(text->scale() < 1);
        QVERIFY(text->scale() > 0.7);
    }
}

QTEST_MAIN(TestTiles)
#include "tst_tiles.moc"
