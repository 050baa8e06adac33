#include "testsupport.h"

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

TImageCanvas::TImageCanvas(int width, int height) : Image(width, height, QImage::Format_RGB32) {
    Image.fill(Qt::white);
    Canvas = std::make_unique<TCanvas>(&Image, QSize(width, height));
}

} // namespace mohr::test
