#pragma once

#include "figures/canvas.h"
#include "figures/figures.h"

#include <QImage>
#include <QList>
#include <QPalette>
#include <QRect>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

namespace mohr::test {

// The 0x00BBGGRR colour of one pixel of a rendered image.
Colour PixelAt(const QImage& image, int x, int y);

// How many pixels of the area pass the test, which is given each pixel's QRgb. The area must lie on the
// image: a pixel off it reads as black, with a warning.
int CountPixels(const QImage& image, const QRect& area, const std::function<bool(QRgb)>& test);

// How many pixels of the image, or of the area, have the colour.
int CountColour(const QImage& image, Colour colour);
int CountColour(const QImage& image, const QRect& area, Colour colour);

// Where two images differ: their sizes, or how many pixels differ and the first of them (in rows from
// the top) with both colours. Empty when they are the same.
QString ImageDifference(const QImage& actual, const QImage& expected);

// Compares a drawing of a panel at `scale` times its size (a vector drawing rendered without
// antialiasing) with the panel's raster pixels within `window` (panel pixels), for the pixels of any
// of `colours`: every such raster pixel has such a colour in the drawing within half a pixel of it,
// and every such pixel of the drawing lies within `vectorReach` of such a raster pixel. Pixels of
// `wildcard` (the glyphs of a text, which the two render differently) match any colour. Returns the
// first place where they do not agree, or an empty string.
QString VectorRasterMismatch(const QImage& raster, const QImage& vector, int scale, QRect window,
                             const QList<Colour>& colours, double vectorReach,
                             std::optional<Colour> wildcard = std::nullopt);
// The strongest contrast (1 to 21, as text guidelines measure it; 4.5 the least for text) that a pixel
// in the rectangle makes with the ground colour: the ink of a text on that ground.
double InkContrast(const QImage& image, const QRect& rect, QColor ground);

// What a dark desktop theme gives the application: light text on dark windows, fields and buttons.
QPalette DarkPalette();

// A white image of the given size with a canvas on it, in the panels' start state.
struct TImageCanvas {
    explicit TImageCanvas(int width, int height);
    QImage Image;
    std::unique_ptr<TCanvas> Canvas;
};

// Both panels on white images with the figures on them and the save slot in place, as the main window
// sets them up. The helpers speak of the diagram panel, where most figures are checked.
struct TFigurePanels {
    TFigurePanels() { figures.CreateSaveSlot(); }
    TImageCanvas element{240, 240};
    TImageCanvas diagram{400, 400};
    TFigures figures{*element.Canvas, *diagram.Canvas};

    TCanvas& Canvas() { return *diagram.Canvas; }
    const QImage& Image() const { return diagram.Image; }
    Colour At(int x, int y) const { return PixelAt(diagram.Image, x, y); }
    Colour At(QPoint p) const { return At(p.x(), p.y()); }
    // The diagram panel being uncovered: white, panel font, white brush, then the replay.
    void Repaint() {
        Canvas().EraseForRepaint(TCanvasFont{});
        figures.PaintBox1Paint();
    }
};

} // namespace mohr::test
