#pragma once

#include "figures/canvas.h"

#include <QImage>

#include <memory>

namespace mohr::test {

// The 0x00BBGGRR colour of one pixel of a rendered image.
Colour PixelAt(const QImage& image, int x, int y);

// A white image of the given size with a canvas on it, in the panels' start state.
struct TImageCanvas {
    explicit TImageCanvas(int width, int height);
    QImage Image;
    std::unique_ptr<TCanvas> Canvas;
};

} // namespace mohr::test
