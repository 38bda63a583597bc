#include "backdrop.h"

#include "ui/neubutton.h"
#include "ui/neulogo.h"
#include "ui/neupanel.h"
#include "ui/neusegmented.h"
#include "ui/symbols.h"
#include "ui/typography.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

class TestStyleKit : public QObject {
    Q_OBJECT

private slots:
    void buttonDepth_data();
    void buttonDepth();
    void disabledButton();
    void buttonFace_data();
    void buttonFace();
    void segmentedSelection_data();
    void segmentedSelection();
    void logoLayout();
    void surfaceRelief_data();
    void surfaceRelief();
    void fontSizeIsLogicalPixels();
    void symbols_data();
    void symbols();
};

void TestStyleKit::buttonDepth_data()
{
    QTest::addColumn<bool>("hovering");
    QTest::addColumn<bool>("release");
    QTest::addColumn<bool>("leaveBeforeRelease");
    QTest::addColumn<qreal>("distance");
    QTest::addColumn<qreal>("pressed");

    QTest::newRow("held under the pointer") << true << false << false << 4.0 << 1.0;
    QTest::newRow("held, hover never seen") << false << false << false << 4.0 << 1.0;
    QTest::newRow("released under the pointer") << true << true << false << 3.0 << 0.0;
    QTest::newRow("released away from the pointer") << true << true << true << 6.0 << 0.0;
}

void TestStyleKit::buttonDepth()
{
    QFETCH(bool, hovering);
    QFETCH(bool, release);
    QFETCH(bool, leaveBeforeRelease);
    QFETCH(qreal, distance);
    QFETCH(qreal, pressed);

    Backdrop backdrop;
    auto *button = new NeuButton(QStringLiteral("重新扫描"), Symbol::arrowClockwise, &backdrop);
    button->move(40, 40);
    QVERIFY(backdrop.showAndWait());
    const QPoint centre = button->rect().center();
    if (hovering) {
        QEnterEvent enter(centre, button->mapTo(&backdrop, centre), button->mapToGlobal(centre));
        QApplication::sendEvent(button, &enter);
        QCOMPARE(button->hovering(), true);
    }
    QTest::mousePress(button, Qt::LeftButton, {}, centre);
    if (leaveBeforeRelease) {
        QTest::mouseMove(button, QPoint(-30, -30));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(button, &leave);
    }
    if (release)
        QTest::mouseRelease(button, Qt::LeftButton, {},
                            leaveBeforeRelease ? QPoint(-30, -30) : centre);

    QTRY_COMPARE(button->distance(), distance);
    QTRY_COMPARE(button->pressedAmount(), pressed);
}

void TestStyleKit::disabledButton()
{
    Backdrop backdrop;
    auto *button = new NeuButton(QStringLiteral("立即修复"), Symbol::boltFill, &backdrop);
    button->setAccent(true);
    button->move(40, 40);
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QVERIFY(backdrop.showAndWait());
    button->setEnabled(false);

    const QPoint centre = button->rect().center();
    QEnterEvent enter(centre, button->mapTo(&backdrop, centre), button->mapToGlobal(centre));
    QApplication::sendEvent(button, &enter);
    QTest::mouseClick(button, Qt::LeftButton, {}, centre);
    QCOMPARE(clicked.count(), 0);
    QCOMPARE(button->hovering(), false);
    QTRY_COMPARE(button->opacity(), 0.5);
    QCOMPARE(button->distance(), 6.0);

    // Beside the label, the face shows the accent and the background half and half.
    const QImage image = backdrop.grab().toImage();
    const QColor face =
        image.pixelColor(button->geometry().left() + 6, button->geometry().center().y());
    const QColor half((neuAccent.red() + neuBg.red()) / 2, (neuAccent.green() + neuBg.green()) / 2,
                      (neuAccent.blue() + neuBg.blue()) / 2);
    QVERIFY2(near(face, half), qPrintable(face.name()));
}

void TestStyleKit::buttonFace_data()
{
    QTest::addColumn<bool>("accent");
    QTest::addColumn<QColor>("face");

    QTest::newRow("accent") << true << neuAccent;
    QTest::newRow("plain") << false << neuBg;
}

void TestStyleKit::buttonFace()
{
    QFETCH(bool, accent);
    QFETCH(QColor, face);

    NeuButton button(QStringLiteral("一键修复"), Symbol::boltFill);
    button.setAccent(accent);
    button.resize(button.sizeHint());
    const QImage image = button.grab().toImage();
    // Left of the symbol, inside the padding: nothing but the face.
    QVERIFY(near(image.pixelColor(8, image.height() / 2), face, 1));
}

void TestStyleKit::segmentedSelection_data()
{
    QTest::addColumn<QVariant>("selection");
    QTest::addColumn<QList<qreal>>("sunk");

    QTest::newRow("second option") << QVariant(1) << QList<qreal>{0, 1, 0};
    QTest::newRow("matches no option") << QVariant(7) << QList<qreal>{0, 0, 0};
}

void TestStyleKit::segmentedSelection()
{
    QFETCH(QVariant, selection);
    QFETCH(QList<qreal>, sunk);

    Backdrop backdrop;
    auto *segmented = new NeuSegmented(
        {{0, QStringLiteral("全部")}, {1, QStringLiteral("待修复")}, {2, QStringLiteral("正常项")}},
        &backdrop);
    segmented->move(30, 30);
    QVERIFY(backdrop.showAndWait());
    segmented->setSelection(selection);
    for (int i = 0; i < sunk.size(); ++i)
        QTRY_COMPARE(segmented->selectedAmount(i), sunk[i]);

    QSignalSpy changed(segmented, &NeuSegmented::selectionChanged);
    QTest::mouseClick(segmented, Qt::LeftButton, {}, segmented->optionRect(2).center());
    QCOMPARE(segmented->selection(), QVariant(2));
    QCOMPARE(changed.count(), 1);
    QTRY_COMPARE(segmented->selectedAmount(2), 1.0);
}

void TestStyleKit::logoLayout()
{
    const NeuLogo::Layout layout = NeuLogo::layoutFor(100);
    QCOMPARE(layout.wifiSize, 40.0);
    QCOMPARE(layout.wifiCenter, QPointF(50, 47));
    QCOMPARE(layout.badgeSize, 30.0);
    QCOMPARE(layout.badgeCenter - QPointF(50, 50), QPointF(20, 22));
}

void TestStyleKit::surfaceRelief_data()
{
    QTest::addColumn<qreal>("dpr");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<bool>("inset");

    // Large surfaces are drawn stretched from a small blurred patch, small ones whole.
    QTest::newRow("raised, stretched, 1x") << 1.0 << QSize(300, 160) << false;
    QTest::newRow("raised, stretched, 2x") << 2.0 << QSize(300, 160) << false;
    QTest::newRow("raised, whole, 2x") << 2.0 << QSize(60, 60) << false;
    QTest::newRow("pressed in, stretched, 1x") << 1.0 << QSize(300, 160) << true;
    QTest::newRow("pressed in, stretched, 2x") << 2.0 << QSize(300, 160) << true;
    QTest::newRow("pressed in, whole, 2x") << 2.0 << QSize(60, 60) << true;
}

void TestStyleKit::surfaceRelief()
{
    QFETCH(qreal, dpr);
    QFETCH(QSize, size);
    QFETCH(bool, inset);

    const NeuSurface surface = inset ? neuInset(10, 5) : neuRaised(10, 5);
    const QRectF shape(QPointF(40, 40), size);
    QImage image((shape.size() + QSizeF(80, 80)).toSize() * dpr, QImage::Format_ARGB32);
    image.setDevicePixelRatio(dpr);
    image.fill(neuBg);
    {
        QPainter painter(&image);
        paintSurfaceShadows(painter, shape, surface);
        paintSurface(painter, shape, surface);
    }
    const auto at = [&](QPointF point) { return image.pixel((point * dpr).toPoint()); };
    const int bg = brightness(neuBg.rgb());
    const QPointF centre = shape.center();
    if (inset) {
        // Dark inside the top-left edge, light inside the bottom-right one, untouched
        // outside.
        QCOMPARE(at(centre), neuBg.rgb());
        QVERIFY(brightness(at(QPointF(centre.x(), shape.top() + 4))) < bg - 20);
        QVERIFY(brightness(at(QPointF(shape.left() + 4, centre.y()))) < bg - 20);
        QVERIFY(brightness(at(QPointF(centre.x(), shape.bottom() - 3))) > bg + 10);
        QCOMPARE(at(QPointF(centre.x(), shape.bottom() + 3)), neuBg.rgb());
    } else {
        // The face is plain; the dark shadow falls below-right, the light one above-left,
        // and both have faded out three blurs beyond their offset.
        QCOMPARE(at(centre), neuBg.rgb());
        QVERIFY(brightness(at(shape.bottomRight() + QPointF(3, 3))) < bg - 20);
        QVERIFY(brightness(at(QPointF(centre.x(), shape.bottom() + 5))) < bg - 40);
        QVERIFY(brightness(at(QPointF(shape.right() + 5, centre.y()))) < bg - 40);
        QVERIFY(brightness(at(QPointF(centre.x(), shape.top() - 5))) > bg + 25);
        QVERIFY(brightness(at(QPointF(shape.left() - 5, centre.y()))) > bg + 25);
        QVERIFY(qAbs(brightness(at(QPointF(centre.x(), shape.bottom() + 21))) - bg) <= 3);
        QVERIFY(qAbs(brightness(at(QPointF(centre.x(), shape.top() - 21))) - bg) <= 3);
    }
}

void TestStyleKit::fontSizeIsLogicalPixels()
{
    // Fonts are given in points that must come out as logical pixels whatever DPI the
    // platform reports (96 here): 27 points as high as a 27-pixel font.
    QFont pixels = neuFont(10);
    pixels.setPixelSize(27);
    QCOMPARE(QFontMetricsF(neuFont(27)).height(), QFontMetricsF(pixels).height());
    QVERIFY(qAbs(QFontMetricsF(neuFont(13.5)).height() * 2 - QFontMetricsF(pixels).height()) < 1.5);
}

void TestStyleKit::symbols_data()
{
    QTest::addColumn<Symbol>("symbol");
    for (Symbol symbol : allSymbols())
        QTest::newRow(qPrintable(systemName(symbol))) << symbol;
}

void TestStyleKit::symbols()
{
    QFETCH(Symbol, symbol);

    QCOMPARE(symbolNamed(systemName(symbol)), std::optional<Symbol>(symbol));
    // Drawn in the colour asked for, and drawn at all: an icon missing from the
    // resources would leave an empty square.
    const QImage image = symbolPixmap(symbol, 20, neuDanger, 2).toImage();
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() == 255) {
                ++opaque;
                QVERIFY(near(pixel, neuDanger, 0));
            }
        }
    }
    QVERIFY2(opaque > 20, qPrintable(resourcePath(symbol)));
}

QTEST_MAIN(TestStyleKit)
#include "tst_stylekit.moc"
