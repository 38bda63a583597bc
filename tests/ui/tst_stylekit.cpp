#include "backdrop.h"

#include "ui/kit/controls/neubutton.h"
#include "ui/kit/controls/neuchip.h"
#include "ui/kit/controls/neusegmented.h"
#include "ui/kit/controls/plainbutton.h"
#include "ui/kit/paint/blur.h"
#include "ui/kit/paint/neupanel.h"
#include "ui/kit/paint/relief.h"
#include "ui/kit/palette/theme.h"
#include "ui/kit/symbols/symbols.h"
#include "ui/kit/text/labels.h"
#include "ui/kit/text/typography.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <cmath>

using namespace brevik;

namespace {

// What the pointer does to a button: press and hold (after entering it, or with
// its entry unseen), click, or press and let go elsewhere.
enum class Gesture { hold, holdUnseen, click, dragAway };

} // namespace

class TestStyleKit : public QObject {
    Q_OBJECT

private slots:
    void button_data();
    void button();
    void segmentedSelection_data();
    void segmentedSelection();
    void blurIsGaussian_data();
    void blurIsGaussian();
    void stretchedShadowMatchesWhole_data();
    void stretchedShadowMatchesWhole();
    void shadowsDoNotCatchClicks();
    void wrappingLabelFollowsItsText();
    void fontSizeIsLogicalPixels();
    void symbols_data();
    void symbols();
    void paletteContrast_data();
    void paletteContrast();
    void appearanceFollowsLive_data();
    void appearanceFollowsLive();
    void focusRing_data();
    void focusRing();
};

void TestStyleKit::button_data()
{
    QTest::addColumn<bool>("accent");
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<Gesture>("gesture");
    QTest::addColumn<qreal>("distance");
    QTest::addColumn<qreal>("pressed");
    QTest::addColumn<int>("clicks");
    QTest::addColumn<QColor>("face"); // beside the label once let go; none while held

    const QColor half((neuColor(neuAccent).red() + neuColor(neuBg).red()) / 2,
                      (neuColor(neuAccent).green() + neuColor(neuBg).green()) / 2,
                      (neuColor(neuAccent).blue() + neuColor(neuBg).blue()) / 2);
    QTest::newRow("held under the pointer")
        << false << true << Gesture::hold << 4.0 << 1.0 << 0 << QColor();
    QTest::newRow("held, hover never seen")
        << false << true << Gesture::holdUnseen << 4.0 << 1.0 << 0 << QColor();
    QTest::newRow("plain, clicked")
        << false << true << Gesture::click << 3.0 << 0.0 << 1 << neuColor(neuBg);
    QTest::newRow("accent, clicked")
        << true << true << Gesture::click << 3.0 << 0.0 << 1 << neuColor(neuAccent);
    QTest::newRow("released away from the pointer")
        << false << true << Gesture::dragAway << 6.0 << 0.0 << 0 << neuColor(neuBg);
    // It takes neither hover nor click, and fades to half opacity.
    QTest::newRow("accent, disabled") << true << false << Gesture::click << 6.0 << 0.0 << 0 << half;
}

void TestStyleKit::button()
{
    QFETCH(bool, accent);
    QFETCH(bool, enabled);
    QFETCH(Gesture, gesture);
    QFETCH(qreal, distance);
    QFETCH(qreal, pressed);
    QFETCH(int, clicks);
    QFETCH(QColor, face);

    Backdrop backdrop;
    auto *button = new NeuButton(QStringLiteral("立即修复"), Symbol::boltFill, &backdrop);
    button->setAccent(accent);
    button->move(40, 40);
    QSignalSpy clicked(button, &QAbstractButton::clicked);
    QVERIFY(backdrop.showAndWait());
    button->setEnabled(enabled);
    const QPoint centre = button->rect().center();
    const QPoint away(-30, -30);
    if (gesture != Gesture::holdUnseen) {
        QEnterEvent enter(centre, button->mapTo(&backdrop, centre), button->mapToGlobal(centre));
        QApplication::sendEvent(button, &enter);
        QCOMPARE(button->hovering(), enabled);
    }
    QTest::mousePress(button, Qt::LeftButton, {}, centre);
    if (gesture == Gesture::dragAway) {
        QTest::mouseMove(button, away);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(button, &leave);
    }
    if (gesture == Gesture::click || gesture == Gesture::dragAway)
        QTest::mouseRelease(button, Qt::LeftButton, {}, gesture == Gesture::click ? centre : away);

    QTRY_COMPARE(button->distance(), distance);
    QTRY_COMPARE(button->pressedAmount(), pressed);
    QTRY_COMPARE(button->opacity(), enabled ? 1.0 : 0.5);
    QCOMPARE(clicked.count(), clicks);
    const QImage image = backdrop.grab().toImage();
    const QRect shape = button->geometry();
    if (!face.isValid()) {
        // Pressed in: shaded inside its top and left edges.
        const int bg = brightness(neuColor(neuBg).rgb());
        QVERIFY(brightness(image.pixel(shape.center().x(), shape.top() + 3)) < bg - 20);
        QVERIFY(brightness(image.pixel(shape.left() + 3, shape.center().y())) < bg - 20);
        return;
    }
    // Left of the symbol, inside the padding: nothing but the face.
    const QColor shown = image.pixelColor(shape.left() + 6, shape.center().y());
    QVERIFY2(near(shown, face), qPrintable(shown.name()));
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

void TestStyleKit::blurIsGaussian_data()
{
    QTest::addColumn<qreal>("sigma");
    QTest::newRow("sigma 2") << 2.0;
    QTest::newRow("sigma 6") << 6.0;
    QTest::newRow("sigma 12 (a 2x card)") << 12.0;
}

void TestStyleKit::blurIsGaussian()
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

void TestStyleKit::stretchedShadowMatchesWhole_data()
{
    QTest::addColumn<qreal>("dpr");
    QTest::newRow("1x") << 1.0;
    QTest::newRow("2x") << 2.0;
}

void TestStyleKit::stretchedShadowMatchesWhole()
{
    QFETCH(qreal, dpr);

    // The cached drawing is small and stretched; the same shadow blurred at full
    // size, the slow way, must come out the same everywhere around the shape.
    const QRectF shape(30, 30, 260, 150);
    const qreal radius = 16;
    const SoftShadow shadow{neuColor(neuDark, 0.95), 6, QPointF(6, 6)};
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

void TestStyleKit::shadowsDoNotCatchClicks()
{
    // Two buttons stacked closer than their shadows reach: each one's shadow lies
    // over the other, and a click on either still reaches it.
    Backdrop backdrop;
    auto *upper = new NeuButton(QStringLiteral("一键修复"), Symbol::boltFill, &backdrop);
    auto *lower = new NeuButton(QStringLiteral("复制命令"), Symbol::docOnDoc, &backdrop);
    upper->move(60, 60);
    lower->move(60, 60 + upper->sizeHint().height() + 9);
    QSignalSpy upperClicked(upper, &QAbstractButton::clicked);
    QSignalSpy lowerClicked(lower, &QAbstractButton::clicked);
    QVERIFY(backdrop.showAndWait());

    // Through the window, so that the application finds the widget under the
    // pointer.
    QWindow *window = backdrop.windowHandle();
    QTest::mouseClick(window, Qt::LeftButton, {}, upper->geometry().bottomLeft() + QPoint(20, -2));
    QTest::mouseClick(window, Qt::LeftButton, {}, lower->geometry().topLeft() + QPoint(20, 2));
    QCOMPARE(upperClicked.count(), 1);
    QCOMPARE(lowerClicked.count(), 1);

    // The shadows follow their button: dark below-right, light above-left.
    lower->move(200, 200);
    const QImage image = backdrop.grab().toImage();
    const QRect shape = lower->geometry();
    const int bg = brightness(neuColor(neuBg).rgb());
    QVERIFY(brightness(image.pixel(shape.center().x(), shape.bottom() + 6)) < bg - 20);
    QVERIFY(brightness(image.pixel(shape.right() + 6, shape.center().y())) < bg - 20);
    QVERIFY(brightness(image.pixel(shape.center().x(), shape.top() - 6)) > bg + 10);
    QVERIFY(brightness(image.pixel(shape.left() - 6, shape.center().y())) > bg + 10);
}

void TestStyleKit::wrappingLabelFollowsItsText()
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

void TestStyleKit::fontSizeIsLogicalPixels()
{
    // Fonts are given in points that must come out as logical pixels whatever DPI
    // the platform reports (96 here): 27 points as high as a 27-pixel font.
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
    const QImage image = symbolPixmap(symbol, 20, neuColor(neuDanger), 2).toImage();
    int opaque = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.alpha() == 255) {
                ++opaque;
                QVERIFY(near(pixel, neuColor(neuDanger), 0));
            }
        }
    }
    QVERIFY2(opaque > 20, qPrintable(resourcePath(symbol)));
}

void TestStyleKit::paletteContrast_data()
{
    QTest::addColumn<QColor>("foreground");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<double>("least");

    const QList<std::pair<NeuRole, const char *>> read{
        {neuText, "text"},         {neuTextSecondary, "secondary text"},
        {neuAccentDeep, "accent"}, {neuSuccess, "ok"},
        {neuInfo, "info"},         {neuWarning, "warn"},
        {neuDanger, "error"},
    };
    for (Appearance appearance : {Appearance::light, Appearance::dark}) {
        const char *look = appearance == Appearance::dark ? "dark" : "light";
        const NeuPalette &palette = paletteOf(appearance);
        const QColor ground = palette[neuBg];
        for (const auto &[role, name] : read) {
            QTest::addRow("%s: %s as text", look, name)
                << inkOf(appearance, role) << ground << kTextContrast;
            QTest::addRow("%s: %s as a symbol", look, name)
                << palette[role] << ground << kSymbolContrast;
        }
        QTest::addRow("%s: a button's label on the accent", look)
            << QColor(Qt::white) << palette[neuAccent] << kTextContrast;
        // A selection in a label: the accent at 30% over the background, the text on it.
        const QColor accent = palette[neuAccent];
        const QColor selection =
            QColor::fromRgbF(float(0.3 * accent.redF() + 0.7 * ground.redF()),
                             float(0.3 * accent.greenF() + 0.7 * ground.greenF()),
                             float(0.3 * accent.blueF() + 0.7 * ground.blueF()));
        QTest::addRow("%s: selected text", look)
            << inkOf(appearance, neuText) << selection << kTextContrast;
    }
}

// Everything read stands out from what it is read on, in either appearance.
void TestStyleKit::paletteContrast()
{
    QFETCH(QColor, foreground);
    QFETCH(QColor, background);
    QFETCH(double, least);
    QVERIFY2(contrastRatio(foreground, background) >= least,
             qPrintable(QStringLiteral("%1 on %2: %3")
                            .arg(foreground.name(), background.name())
                            .arg(contrastRatio(foreground, background), 0, 'f', 2)));
}

void TestStyleKit::appearanceFollowsLive_data()
{
    QTest::addColumn<QString>("asked");
    QTest::addColumn<Appearance>("appearance");
    QTest::newRow("dark") << "dark" << Appearance::dark;
    QTest::newRow("light, in capitals") << "Light" << Appearance::light;
    // Anything else follows the system: the offscreen platform's palette is light.
    QTest::newRow("neither: the system's") << "sepia" << Appearance::light;
}

// A change of appearance reaches what is already on screen: the background, a label's own
// palette, a painted chip, and the application's palette for menus and dialogs.
void TestStyleKit::appearanceFollowsLive()
{
    QFETCH(QString, asked);
    QFETCH(Appearance, appearance);

    Backdrop backdrop;
    QLabel *label = neuLabel(QStringLiteral("扫描于 10:00:00"), neuFont(12), neuTextSecondary,
                             LabelFlow::oneLine, &backdrop);
    label->move(20, 20);
    auto *chip = new NeuChip(QStringLiteral("运行中"), neuSuccess, {}, &backdrop);
    chip->move(20, 80);
    QVERIFY(backdrop.showAndWait());
    Theme::instance().force(Appearance::light == appearance ? Appearance::dark : Appearance::light);

    Theme::instance().force(appearanceNamed(asked));
    QCOMPARE(Theme::instance().appearance(), appearance);
    const NeuPalette &palette = paletteOf(appearance);
    QCOMPARE(label->palette().color(QPalette::WindowText), inkOf(appearance, neuTextSecondary));
    QCOMPARE(QApplication::palette().color(QPalette::Window), palette[neuBg]);
    const QImage shown = backdrop.grab().toImage();
    QVERIFY(near(shown.pixelColor(2, 2), palette[neuBg], 1));
    // The chip's well is the background, its text the ok colour's ink.
    const QRect well = chip->geometry();
    bool inked = false;
    for (int x = well.left(); x <= well.right() && !inked; ++x)
        inked = near(shown.pixelColor(x, well.center().y()), inkOf(appearance, neuSuccess), 12);
    QVERIFY(inked);
    Theme::instance().force(std::nullopt);
}

void TestStyleKit::focusRing_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<Qt::FocusReason>("reason");
    QTest::addColumn<bool>("ring");
    QTest::newRow("button, by the tab key") << "button" << Qt::TabFocusReason << true;
    QTest::newRow("button, by a click") << "button" << Qt::MouseFocusReason << false;
    QTest::newRow("plain button, backwards") << "plain" << Qt::BacktabFocusReason << true;
    QTest::newRow("segmented control, by the tab key") << "segmented" << Qt::TabFocusReason << true;
    QTest::newRow("segmented control, by a click") << "segmented" << Qt::MouseFocusReason << false;
}

// Focus that the keyboard brought shows as an accent ring just outside the control.
void TestStyleKit::focusRing()
{
    QFETCH(QString, control);
    QFETCH(Qt::FocusReason, reason);
    QFETCH(bool, ring);

    Backdrop backdrop;
    QWidget *widget = nullptr;
    if (control == QLatin1String("button")) {
        widget = new NeuButton(QStringLiteral("重新扫描"), Symbol::arrowClockwise, &backdrop);
    } else if (control == QLatin1String("plain")) {
        auto *plain = new PlainButton(neuFont(11), 11, neuTextSecondary, &backdrop);
        plain->setLabel(QStringLiteral("守护日志"), {});
        widget = plain;
    } else {
        widget = new NeuSegmented({{0, QStringLiteral("全部")}, {1, QStringLiteral("待修复")}},
                                  &backdrop);
    }
    widget->move(60, 60);
    widget->resize(widget->sizeHint());
    QVERIFY(backdrop.showAndWait());
    backdrop.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&backdrop));
    // Coming to the window gave it the focus already: the focus comes again.
    widget->clearFocus();
    // Left of the middle of its left edge, out to where a ring would end: how far above its
    // green the blue rises. The accent's is far above; the background's and the shadows' not.
    const auto blueness = [&] {
        const QImage image = backdrop.grab().toImage();
        int most = -255;
        for (int dx = 1; dx <= 8; ++dx) {
            const QColor pixel =
                image.pixelColor(widget->x() - dx, widget->geometry().center().y());
            most = std::max(most, pixel.blue() - pixel.green());
        }
        return most;
    };
    QVERIFY(blueness() < 40);
    widget->setFocus(reason);
    QTRY_VERIFY(widget->hasFocus());
    QCOMPARE(blueness() > 40, ring);
}

QTEST_MAIN(TestStyleKit)
#include "tst_stylekit.moc"
