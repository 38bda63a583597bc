#include "backdrop.h"

#include "ui/blur.h"
#include "ui/labels.h"
#include "ui/neubutton.h"
#include "ui/relief.h"

#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <cmath>

class TestRelief : public QObject {
    Q_OBJECT

private slots:
    void blurIsGaussian_data();
    void blurIsGaussian();
    void stretchedShadowMatchesWhole_data();
    void stretchedShadowMatchesWhole();
    void shadowsDoNotCatchClicks();
    void wrappingLabelFollowsItsText();
};

void TestRelief::blurIsGaussian_data()
{
    QTest::addColumn<qreal>("sigma");
    QTest::newRow("sigma 2") << 2.0;
    QTest::newRow("sigma 6") << 6.0;
    QTest::newRow("sigma 12 (a 2x card)") << 12.0;
}

void TestRelief::blurIsGaussian()
{
    QFETCH(qreal, sigma);

    // An edge, blurred, must follow the normal distribution's curve across it.
    const int width = int(12 * sigma) + 40;
    QImage image(width, width, QImage::Format_Alpha8);
    image.fill(0);
    for (int y = 0; y < image.height(); ++y)
        std::fill_n(image.scanLine(y) + width / 2, width - width / 2, uchar(255));
    gaussianBlurAlpha(image, sigma);
    for (qreal k : {-2.0, -1.0, -0.5, 0.5, 1.0, 2.0}) {
        const int x = width / 2 + int(std::lround(k * sigma));
        const qreal expected = 255 * 0.5 * std::erfc(-(x + 0.5 - width / 2) / (sigma * M_SQRT2));
        const int actual = image.scanLine(width / 2)[x];
        QVERIFY2(
            std::abs(actual - expected) <= 5,
            qPrintable(
                QStringLiteral("at %1 sigma: %2, expected %3").arg(k).arg(actual).arg(expected)));
    }
}

void TestRelief::stretchedShadowMatchesWhole_data()
{
    QTest::addColumn<qreal>("dpr");
    QTest::newRow("1x") << 1.0;
    QTest::newRow("2x") << 2.0;
}

void TestRelief::stretchedShadowMatchesWhole()
{
    QFETCH(qreal, dpr);

    // The cached drawing is small and stretched; the same shadow blurred at full size, the
    // slow way, must come out the same everywhere around the shape.
    const QRectF shape(30, 30, 260, 150);
    const qreal radius = 16;
    const SoftShadow shadow{withOpacity(neuDark, 0.95), 6, QPointF(6, 6)};
    const QSize size = (QSizeF(320, 210) * dpr).toSize();

    QImage drawn(size, QImage::Format_ARGB32_Premultiplied);
    drawn.fill(Qt::transparent);
    drawn.setDevicePixelRatio(dpr);
    {
        QPainter painter(&drawn);
        paintShadows(painter, shape, radius, std::span<const SoftShadow>(&shadow, 1));
    }

    QImage mask(size, QImage::Format_Alpha8);
    mask.fill(0);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.scale(dpr, dpr);
        painter.fillPath(neuShape(shape.translated(shadow.offset), radius), Qt::black);
    }
    gaussianBlurAlpha(mask, blurSigma(shadow.blur) * dpr);
    const QPainterPath inside = neuShape(shape.adjusted(-1, -1, 1, 1), radius);
    int worst = 0;
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x) {
            if (inside.contains(QPointF(x, y) / dpr))
                continue; // the shape's own area is left clear for its face
            const int expected = qRound(mask.scanLine(y)[x] * shadow.color.alphaF());
            worst = std::max(worst, std::abs(qAlpha(drawn.pixel(x, y)) - expected));
        }
    }
    QVERIFY2(worst <= 4, qPrintable(QStringLiteral("alpha off by %1").arg(worst)));
}

void TestRelief::shadowsDoNotCatchClicks()
{
    // Two buttons stacked closer than their shadows reach: each one's shadow lies over the
    // other, and a click on either still reaches it.
    Backdrop backdrop;
    auto *upper = new NeuButton(QStringLiteral("一键修复"), Symbol::boltFill, &backdrop);
    auto *lower = new NeuButton(QStringLiteral("复制命令"), Symbol::docOnDoc, &backdrop);
    upper->move(60, 60);
    lower->move(60, 60 + upper->sizeHint().height() + 9);
    QSignalSpy upperClicked(upper, &QAbstractButton::clicked);
    QSignalSpy lowerClicked(lower, &QAbstractButton::clicked);
    QVERIFY(backdrop.showAndWait());

    // Through the window, so that the application finds the widget under the pointer.
    QWindow *window = backdrop.windowHandle();
    QTest::mouseClick(window, Qt::LeftButton, {}, upper->geometry().bottomLeft() + QPoint(20, -2));
    QTest::mouseClick(window, Qt::LeftButton, {}, lower->geometry().topLeft() + QPoint(20, 2));
    QCOMPARE(upperClicked.count(), 1);
    QCOMPARE(lowerClicked.count(), 1);

    // The shadow follows its button.
    lower->move(200, 200);
    const QImage image = backdrop.grab().toImage();
    const QPoint below = lower->geometry().bottomLeft() + QPoint(lower->width() / 2, 6);
    QVERIFY(brightness(image.pixel(below)) < brightness(neuBg.rgb()) - 20);
}

void TestRelief::wrappingLabelFollowsItsText()
{
    QLabel *label = neuLabel(QStringLiteral("短"), QFont(), neuText, LabelFlow::wrapping);
    const int oneLine = label->heightForWidth(120);
    label->setText(
        QStringLiteral("一段足够长的文字，在一百二十点宽的地方一定要折成好几行才放得下。"));
    QVERIFY(label->heightForWidth(120) > 2 * oneLine);
    label->setText(QStringLiteral("短"));
    QCOMPARE(label->heightForWidth(120), oneLine);
    delete label;
}

QTEST_MAIN(TestRelief)
#include "tst_relief.moc"
