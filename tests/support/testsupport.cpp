#include "testsupport.h"

#include <algorithm>
#include <cmath>

namespace mohr::test {

Colour PixelAt(const QImage& image, int x, int y) {
    const QRgb p = image.pixel(x, y);
    return static_cast<Colour>(qRed(p)) | (static_cast<Colour>(qGreen(p)) << 8) |
           (static_cast<Colour>(qBlue(p)) << 16);
}

int CountColour(const QImage& image, Colour colour) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += PixelAt(image, x, y) == colour;
    return count;
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
