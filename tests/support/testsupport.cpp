#include "testsupport.h"

#include <algorithm>
#include <cmath>

namespace mohr::test {

Colour PixelAt(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return static_cast<Colour>(qRed(p)) | (static_cast<Colour>(qGreen(p)) << 8) |
           (static_cast<Colour>(qBlue(p)) << 16);
}

int CountPixels(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& test) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += test(image.pixel(x, y)) ? 1 : 0;
    return count;
}

int CountColour(const QImage& image, Colour colour) {
    return CountColour(image, image.rect(), colour);
}

int CountColour(const QImage& image, const QRect& area, Colour colour) {
    const QRgb rgb = ToRgb(colour);
    return CountPixels(image, area, [rgb](QRgb p) { return (p & 0xFFFFFF) == (rgb & 0xFFFFFF); });
}

QString ImageDifference(const QImage& actual, const QImage& expected) {
    if (actual.size() != expected.size())
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(actual.width())
            .arg(actual.height())
            .arg(expected.width())
            .arg(expected.height());
    int count = 0;
    QPoint first;
    for (int y = 0; y < actual.height(); ++y)
        for (int x = 0; x < actual.width(); ++x)
            if (PixelAt(actual, x, y) != PixelAt(expected, x, y) && count++ == 0)
                first = QPoint(x, y);
    if (count == 0)
        return {};
    return QStringLiteral("%1 pixels differ, first at (%2, %3): 0x%4 instead of 0x%5")
        .arg(count)
        .arg(first.x())
        .arg(first.y())
        .arg(PixelAt(actual, first.x(), first.y()), 6, 16, QLatin1Char('0'))
        .arg(PixelAt(expected, first.x(), first.y()), 6, 16, QLatin1Char('0'));
}

QString VectorRasterMismatch(const QImage& raster, const QImage& vector, int scale, QRect window,
                             const QList<Colour>& colours, double vectorReach,
                             std::optional<Colour> wildcard) {
    const QImage picture = vector.convertToFormat(QImage::Format_RGB32);
    const auto matches = [&](Colour c) { return colours.contains(c) || (wildcard && c == *wildcard); };
    // Distance from a point to the square of pixel (x, y), in panel pixels.
    const auto distance = [](double px, double py, int x, int y) {
        const double dx = std::max({x - px, 0.0, px - (x + 1)});
        const double dy = std::max({y - py, 0.0, py - (y + 1)});
        return std::hypot(dx, dy);
    };
    const QRect pictureRect = picture.rect();
    window &= raster.rect();
    for (int y = window.top(); y <= window.bottom(); ++y)
        for (int x = window.left(); x <= window.right(); ++x) {
            // A raster pixel of the colour: the drawing has the colour within half a pixel of it.
            if (colours.contains(PixelAt(raster, x, y))) {
                bool found = false;
                const int reach = (scale + 1) / 2;
                for (int vy = y * scale - reach; vy < (y + 1) * scale + reach && !found; ++vy)
                    for (int vx = x * scale - reach; vx < (x + 1) * scale + reach && !found; ++vx)
                        found = pictureRect.contains(vx, vy) && matches(PixelAt(picture, vx, vy)) &&
                                distance((vx + 0.5) / scale, (vy + 0.5) / scale, x, y) <= 0.5;
                if (!found)
                    return QStringLiteral("raster pixel (%1, %2) has nothing of its colour near it")
                        .arg(x)
                        .arg(y);
            }
            // The drawing's pixels of the colour over this raster pixel: each near a raster pixel of it.
            for (int vy = y * scale; vy < (y + 1) * scale && vy < picture.height(); ++vy)
                for (int vx = x * scale; vx < (x + 1) * scale && vx < picture.width(); ++vx) {
                    if (!colours.contains(PixelAt(picture, vx, vy)))
                        continue;
                    const double px = (vx + 0.5) / scale, py = (vy + 0.5) / scale;
                    double nearest = 1e9;
                    for (int ry = int(std::floor(py - vectorReach)) - 1; ry <= int(py + vectorReach); ++ry)
                        for (int rx = int(std::floor(px - vectorReach)) - 1; rx <= int(px + vectorReach);
                             ++rx)
                            if (raster.rect().contains(rx, ry) && matches(PixelAt(raster, rx, ry)))
                                nearest = std::min(nearest, distance(px, py, rx, ry));
                    if (nearest > vectorReach)
                        return QStringLiteral("the drawing's (%1, %2) lies %3 from the raster's pixels")
                            .arg(px)
                            .arg(py)
                            .arg(nearest > 1e8 ? QStringLiteral("far") : QString::number(nearest));
                }
        }
    return {};
}

double InkContrast(const QImage& image, const QRect& rect, QColor ground) {
    const auto luminance = [](QColor c) {
        double sum = 0;
        for (auto [value, weight] : {std::pair{c.red(), 0.2126}, {c.green(), 0.7152}, {c.blue(), 0.0722}}) {
            const double v = value / 255.0;
            sum += weight * (v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4));
        }
        return sum + 0.05;
    };
    double best = 1.0;
    const QRect inside = rect & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x) {
            const double a = luminance(image.pixelColor(x, y));
            const double b = luminance(ground);
            best = std::max(best, std::max(a, b) / std::min(a, b));
        }
    return best;
}

QPalette DarkPalette() {
    const QColor window(0x35, 0x35, 0x35);
    const QColor text(0xee, 0xee, 0xec);
    return QPalette(text, window, window.lighter(150), window.darker(200), window.darker(150), text, text,
                    QColor(0x2d, 0x2d, 0x2d), window);
}

TImageCanvas::TImageCanvas(int width, int height) : Image(width, height, QImage::Format_RGB32) {
    Image.fill(Qt::white);
    Canvas = std::make_unique<TCanvas>(&Image, QSize(width, height));
}

} // namespace mohr::test
