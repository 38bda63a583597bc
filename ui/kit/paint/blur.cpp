#include "ui/kit/paint/blur.h"

#include <QImage>

#include <array>
#include <cmath>
#include <vector>

namespace brevik {

namespace {

// Widths of three boxes whose succession has the variance of a Gaussian of `sigma`.
std::array<int, 3> boxWidths(qreal sigma)
{
    constexpr int n = 3;
    const qreal ideal = std::sqrt(12 * sigma * sigma / n + 1);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    const int upper = lower + 2;
    const qreal m =
        (12 * sigma * sigma - n * lower * lower - 4 * n * lower - 3 * n) / (-4.0 * lower - 4);
    const int lowerCount = int(std::lround(m));
    std::array<int, 3> widths{};
    for (int i = 0; i < n; ++i)
        widths[i] = i < lowerCount ? lower : upper;
    return widths;
}

// One box pass over `count` values spaced `stride` apart, from `line` into `scratch`
// and back, with a running sum (linear in the length whatever the width).
void boxPass(uchar *line, int count, int stride, int radius, std::vector<int> &scratch)
{
    scratch.assign(count, 0);
    const int width = 2 * radius + 1;
    int sum = 0;
    for (int i = 0; i < std::min(radius, count); ++i)
        sum += line[i * stride];
    for (int i = 0; i < count; ++i) {
        const int enter = i + radius;
        const int leave = i - radius - 1;
        if (enter < count)
            sum += line[enter * stride];
        if (leave >= 0)
            sum -= line[leave * stride];
        scratch[i] = sum;
    }
    for (int i = 0; i < count; ++i)
        line[i * stride] = uchar((scratch[i] + width / 2) / width);
}

} // namespace

void gaussianBlurAlpha(QImage &alpha, qreal sigma)
{
    Q_ASSERT(alpha.format() == QImage::Format_Alpha8);
    if (sigma < 0.5 || alpha.isNull())
        return;
    const std::array<int, 3> widths = boxWidths(sigma);
    std::vector<int> scratch;
    const int w = alpha.width();
    const int h = alpha.height();
    const int bpl = int(alpha.bytesPerLine());
    uchar *bits = alpha.bits();
    for (int width : widths) {
        const int radius = (width - 1) / 2;
        for (int y = 0; y < h; ++y)
            boxPass(bits + y * bpl, w, 1, radius, scratch);
        for (int x = 0; x < w; ++x)
            boxPass(bits + x, h, bpl, radius, scratch);
    }
}

} // namespace brevik
