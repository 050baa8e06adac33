// Pixel facts of the panel canvas: the six canvas rules, the line, ellipse and text conventions,
// device pixel ratio 2, and the font conversions; and the vector back end's shapes against them.

#include "figures/canvas.h"
#include "testsupport.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QSet>
#include <QtTest>

#include <climits>
#include <functional>
#include <vector>

using namespace mohr;
using mohr::test::CountColour;
using mohr::test::PixelAt;
using mohr::test::TImageCanvas;

using TDrawing = std::function<void(TCanvas&)>;
using TColours = QList<Colour>;
Q_DECLARE_METATYPE(TDrawing)

namespace {

constexpr Colour White = colours::White;

// The smallest rectangle holding every pixel that is not `background`.
QRect Bounds(const QImage& image, Colour background = White) {
    QRect r;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (PixelAt(image, x, y) != background)
                r |= QRect(x, y, 1, 1);
    return r;
}

// Row y from x0 to x1 inclusive as a string of one letter per pixel, from a colour legend.
QString Row(const QImage& image, int y, int x0, int x1, const std::vector<std::pair<Colour, QChar>>& legend) {
    QString s;
    for (int x = x0; x <= x1; ++x) {
        QChar c = QLatin1Char('?');
        for (const auto& [colour, letter] : legend)
            if (PixelAt(image, x, y) == colour)
                c = letter;
        s += c;
    }
    return s;
}

// The image mirrored about the vertical line x = axis / 2 (and likewise for y), compared pixel by
// pixel inside the image.
bool MirrorSymmetric(const QImage& image, int axisX2, int axisY2) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const int mx = axisX2 - x, my = axisY2 - y;
            if (mx < 0 || mx >= image.width() || my < 0 || my >= image.height())
                continue;
            if (PixelAt(image, x, y) != PixelAt(image, mx, y) ||
                PixelAt(image, x, y) != PixelAt(image, x, my))
                return false;
        }
    return true;
}

} // namespace

class TestCanvas : public QObject {
    Q_OBJECT

private slots:
    void clearBrushGivenAColourTurnsSolid();
    void textBoxFilledOnlyWithSolidBrush();
    void lineGapsFollowTheBrush();
    void polygonOutlinedAndFilled();
    void ellipseOutlinedAndFilled();
    void eraseForRepaintResetsAreaFontAndBrushKeepsPen();
    void clippedToThePanel();
    void farCoordinatesAreHarmless();
    void wideStyledPenDrawsSolid();
    void lineToLeavesItsEndPixel();
    void wideLineIsRoundAndIncludesItsEnd();
    void ellipseExtremesAndSymmetry();
    void ellipseWideRing();
    void nothingIsAntialiased();
    void devicePixelRatioTwoHitsTheSameLogicalPixels();
    void fontSizeConversion();
    void renderFontAndFamilySeam();
    void changedAfterEveryPrimitive();
    void vectorShapesLieOnTheRasterPixels_data();
    void vectorShapesLieOnTheRasterPixels();
    void vectorFarCoordinatesAreHarmless();
    void vectorTextStaysInTheRasterBox();
};

void TestCanvas::clearBrushGivenAColourTurnsSolid() {
    TBrush brush;
    brush.SetStyle(BrushStyle::Clear);
    brush.SetColor(colours::Red);
    QCOMPARE(brush.Style(), BrushStyle::Solid);
    QCOMPARE(brush.Color(), colours::Red);
    brush.SetStyle(BrushStyle::Clear);
    QCOMPARE(brush.Style(), BrushStyle::Clear);
    QCOMPARE(brush.Color(), colours::Red);

    // On the canvas: the recoloured brush fills again.
    TImageCanvas t(40, 40);
    t.Canvas->Brush.SetStyle(BrushStyle::Clear);
    t.Canvas->Ellipse(5, 5, 15, 15);
    QCOMPARE(PixelAt(t.Image, 10, 10), White);
    t.Canvas->Brush.SetColor(colours::Green);
    t.Canvas->Ellipse(20, 20, 30, 30);
    QCOMPARE(PixelAt(t.Image, 25, 25), colours::Green);
}

void TestCanvas::textBoxFilledOnlyWithSolidBrush() {
    TImageCanvas t(120, 60);
    TCanvas& c = *t.Canvas;
    c.Font.Color = colours::Navy;
    const QString text = QStringLiteral("Sxx 70");
    const QSize box = c.TextExtent(text);
    QVERIFY(box.width() > 10);
    QCOMPARE(box.height(),
             QFontMetrics(RenderFont(c.Font)).ascent() + QFontMetrics(RenderFont(c.Font)).descent());

    c.Brush.SetColor(colours::Red);
    c.TextOut(10, 5, text);
    // The box is exactly the text's extent with its top-left corner at the point.
    const QRect drawn = Bounds(t.Image);
    QCOMPARE(drawn, QRect(QPoint(10, 5), box));
    QCOMPARE(PixelAt(t.Image, 10, 5), colours::Red);
    QCOMPARE(PixelAt(t.Image, 10 + box.width() - 1, 5 + box.height() - 1), colours::Red);
    QVERIFY(CountColour(t.Image, colours::Navy) > 10);
    QCOMPARE(CountColour(t.Image, colours::Navy) + CountColour(t.Image, colours::Red),
             box.width() * box.height());
    QCOMPARE(c.PenPos(), QPoint(10 + box.width(), 5));

    // A clear brush leaves the box alone: only glyph pixels change, all inside the box.
    t.Image.fill(QColor::fromRgb(ToRgb(colours::Silver)));
    c.Brush.SetStyle(BrushStyle::Clear);
    c.TextOut(10, 30, text);
    QCOMPARE(CountColour(t.Image, colours::Red), 0);
    const QRect glyphs = Bounds(t.Image, colours::Silver);
    QVERIFY(!glyphs.isEmpty());
    QVERIFY(QRect(QPoint(10, 30), box).contains(glyphs));
    QCOMPARE(CountColour(t.Image, colours::Navy) + CountColour(t.Image, colours::Silver),
             t.Image.width() * t.Image.height());
}

void TestCanvas::lineGapsFollowTheBrush() {
    const std::vector<std::pair<Colour, QChar>> legend{{colours::Navy, QLatin1Char('#')},
                                                       {colours::Green, QLatin1Char('g')},
                                                       {colours::Silver, QLatin1Char('.')}};
    struct Case {
        PenStyle style;
        const char* pattern; // one period, from the line's start
    };
    const Case cases[] = {{PenStyle::Dash, "##################gggggg"},
                          {PenStyle::Dot, "###ggg"},
                          {PenStyle::DashDot, "#########gggggg###gggggg"}};
    for (const Case& k : cases) {
        QString expected;
        while (expected.size() < 60)
            expected += QLatin1String(k.pattern);
        expected.truncate(60);

        TImageCanvas t(100, 20);
        t.Image.fill(QColor::fromRgb(ToRgb(colours::Silver)));
        TCanvas& c = *t.Canvas;
        c.Pen = TPen{k.style, 1, colours::Navy};
        c.Brush.SetColor(colours::Green);
        c.MoveTo(10, 5);
        c.LineTo(70, 5);
        QCOMPARE(Row(t.Image, 5, 10, 69, legend), expected);
        QCOMPARE(PixelAt(t.Image, 70, 5), colours::Silver);

        // Clear brush: the gaps keep what lay beneath. A vertical line counts along y.
        c.Brush.SetStyle(BrushStyle::Clear);
        c.MoveTo(5, 19);
        c.LineTo(5, 0);
        QString column;
        for (int y = 19; y > 0; --y)
            column += PixelAt(t.Image, 5, y) == colours::Navy ? QLatin1Char('#') : QLatin1Char('.');
        QString expectedColumn = expected.left(19);
        expectedColumn.replace(QLatin1Char('g'), QLatin1Char('.'));
        QCOMPARE(column, expectedColumn);
        QCOMPARE(CountColour(t.Image, colours::Green), 60 - expected.count(QLatin1Char('#')));

        // An oblique line counts its steps along the longer axis, here x: one pixel per column.
        TImageCanvas o(100, 60);
        o.Image.fill(QColor::fromRgb(ToRgb(colours::Silver)));
        o.Canvas->Pen = TPen{k.style, 1, colours::Navy};
        o.Canvas->Brush.SetColor(colours::Green);
        o.Canvas->MoveTo(10, 10);
        o.Canvas->LineTo(70, 40);
        QString steps;
        for (int x = 10; x < 70; ++x) {
            QString column;
            for (int y = 0; y < 60; ++y)
                if (PixelAt(o.Image, x, y) != colours::Silver)
                    column += Row(o.Image, y, x, x, legend);
            QCOMPARE(column.size(), 1);
            steps += column;
        }
        QCOMPARE(steps, expected);
    }
}

void TestCanvas::polygonOutlinedAndFilled() {
    const std::vector<QPoint> triangle{{20, 10}, {40, 40}, {5, 40}};
    TImageCanvas t(60, 60);
    TCanvas& c = *t.Canvas;
    c.Pen = TPen{PenStyle::Solid, 1, colours::Maroon};
    c.Brush.SetColor(colours::Gray);
    c.Polygon(triangle);
    for (const QPoint& v : triangle)
        QCOMPARE(PixelAt(t.Image, v.x(), v.y()), colours::Maroon);
    // Closing edge (5, 40)-(20, 10) is drawn; inside is gray, outside white.
    QCOMPARE(PixelAt(t.Image, 12, 26), colours::Maroon);
    QCOMPARE(PixelAt(t.Image, 20, 30), colours::Gray);
    QCOMPARE(PixelAt(t.Image, 20, 39), colours::Gray);
    QCOMPARE(PixelAt(t.Image, 20, 41), White);
    QCOMPARE(PixelAt(t.Image, 10, 20), White);
    QCOMPARE(Bounds(t.Image), QRect(QPoint(5, 10), QPoint(40, 40)));
    // The bottom edge is one unbroken outline row.
    for (int x = 5; x <= 40; ++x)
        QCOMPARE(PixelAt(t.Image, x, 40), colours::Maroon);
    // Every row between outline pixels is filled without a hole.
    for (int y = 11; y < 40; ++y) {
        int first = -1, last = -1;
        for (int x = 0; x < 60; ++x)
            if (PixelAt(t.Image, x, y) == colours::Maroon) {
                if (first < 0)
                    first = x;
                last = x;
            }
        for (int x = first; x <= last; ++x)
            QVERIFY2(PixelAt(t.Image, x, y) != White,
                     qPrintable(QStringLiteral("hole at %1,%2").arg(x).arg(y)));
    }

    // Clear brush: outline only. Also a wide outline through the vertices, and the arrow-head form
    // with the tip repeated.
    TImageCanvas u(60, 60);
    u.Canvas->Brush.SetColor(colours::Green);
    u.Canvas->Brush.SetStyle(BrushStyle::Clear);
    u.Canvas->Pen.Width = 2;
    u.Canvas->Polygon(triangle);
    QCOMPARE(PixelAt(u.Image, 20, 30), White);
    QCOMPARE(CountColour(u.Image, colours::Green), 0);
    QCOMPARE(CountColour(u.Image, colours::Black) + CountColour(u.Image, White), 3600);
    for (const QPoint& v : triangle)
        QCOMPARE(PixelAt(u.Image, v.x(), v.y()), colours::Black);

    TImageCanvas a(40, 40);
    a.Canvas->Brush.SetColor(colours::Navy);
    a.Canvas->Pen.Color = colours::Navy;
    a.Canvas->Polygon({{30, 20}, {14, 12}, {14, 28}, {30, 20}});
    QCOMPARE(Bounds(a.Image), QRect(QPoint(14, 12), QPoint(30, 28)));
    for (int x = 14; x <= 30; ++x)
        QCOMPARE(PixelAt(a.Image, x, 20), colours::Navy);
}

void TestCanvas::ellipseOutlinedAndFilled() {
    TImageCanvas t(60, 60);
    TCanvas& c = *t.Canvas;
    c.Pen.Color = colours::Navy;
    c.Brush.SetColor(colours::Green);
    c.Ellipse(10, 10, 50, 50);
    QCOMPARE(PixelAt(t.Image, 30, 30), colours::Green);
    QCOMPARE(PixelAt(t.Image, 10, 30), colours::Navy);
    QCOMPARE(PixelAt(t.Image, 11, 30), colours::Green);
    QCOMPARE(PixelAt(t.Image, 30, 50), colours::Navy);
    QCOMPARE(PixelAt(t.Image, 12, 12), White); // outside, in the box's corner

    c.Brush.SetStyle(BrushStyle::Clear);
    t.Image.fill(Qt::white);
    c.Ellipse(10, 10, 50, 50);
    QCOMPARE(PixelAt(t.Image, 30, 30), White);
    QCOMPARE(PixelAt(t.Image, 11, 30), White);
    QCOMPARE(PixelAt(t.Image, 10, 30), colours::Navy);
    QCOMPARE(CountColour(t.Image, colours::Green), 0);

    // A dashed 1-pixel outline runs its pattern once round the rim: 18 of every 24 pixels.
    const int rim = CountColour(t.Image, colours::Navy);
    t.Image.fill(Qt::white);
    c.Pen.Style = PenStyle::Dash;
    c.Ellipse(10, 10, 50, 50);
    QCOMPARE(CountColour(t.Image, colours::Navy), rim / 24 * 18 + std::min(rim % 24, 18));
    QCOMPARE(PixelAt(t.Image, 50, 30), colours::Navy); // the pattern starts at the rightmost pixel
}

void TestCanvas::eraseForRepaintResetsAreaFontAndBrushKeepsPen() {
    TImageCanvas t(50, 40);
    TCanvas& c = *t.Canvas;
    c.Pen = TPen{PenStyle::DashDot, 3, colours::Red};
    c.Brush.SetColor(colours::Teal);
    c.Ellipse(0, 0, 49, 39);
    c.Brush.SetStyle(BrushStyle::Clear);
    c.Font = TCanvasFont{QStringLiteral("Symbol"), 13, colours::Fuchsia};
    c.MoveTo(7, 8);

    TCanvasFont panel;
    panel.Name = QStringLiteral("MS Sans Serif");
    panel.Height = 10;
    panel.Color = colours::Black;
    c.EraseForRepaint(panel);

    QCOMPARE(CountColour(t.Image, White), 50 * 40);
    QCOMPARE(c.Font.Name, panel.Name);
    QCOMPARE(c.Font.Height, panel.Height);
    QCOMPARE(c.Font.Color, panel.Color);
    QCOMPARE(c.Brush.Style(), BrushStyle::Solid);
    QCOMPARE(c.Brush.Color(), White);
    QCOMPARE(c.Pen.Style, PenStyle::DashDot);
    QCOMPARE(c.Pen.Width, 3);
    QCOMPARE(c.Pen.Color, colours::Red);

    // Only the panel's area is erased when the device is larger.
    QImage big(60, 60, QImage::Format_RGB32);
    big.fill(QColor::fromRgb(ToRgb(colours::Silver)));
    TCanvas d(&big, QSize(50, 40));
    d.EraseForRepaint(panel);
    QCOMPARE(Bounds(big, colours::Silver), QRect(0, 0, 50, 40));
}

void TestCanvas::clippedToThePanel() {
    // A 240 x 240 panel on a taller image: the row y = 240 lies outside the panel.
    QImage image(260, 260, QImage::Format_RGB32);
    image.fill(Qt::white);
    TCanvas c(&image, QSize(240, 240));
    c.Pen = TPen{PenStyle::Solid, 1, colours::Aqua};
    c.Brush.SetColor(colours::Aqua);
    c.MoveTo(90, 200);
    c.LineTo(90, 241);
    QCOMPARE(PixelAt(image, 90, 239), colours::Aqua);
    QCOMPARE(PixelAt(image, 90, 240), White);
    c.Polygon({{90, 240}, {86, 232}, {94, 232}, {90, 240}});
    QCOMPARE(PixelAt(image, 90, 240), White);
    QCOMPARE(PixelAt(image, 90, 236), colours::Aqua);
    c.Pen.Width = 3;
    c.MoveTo(230, 10);
    c.LineTo(250, 10);
    c.Ellipse(230, 100, 250, 120);
    c.Brush.SetColor(colours::Red);
    c.TextOut(220, 230, QStringLiteral("            "));
    c.MoveTo(-5, -5);
    c.LineTo(5, 5);
    QCOMPARE(Bounds(image), QRect(0, 0, 240, 240) & Bounds(image));
    QCOMPARE(PixelAt(image, 239, 10), colours::Aqua);
    QCOMPARE(PixelAt(image, 239, 239), colours::Red);
    QCOMPARE(PixelAt(image, 0, 0), colours::Aqua);
}

void TestCanvas::farCoordinatesAreHarmless() {
    TImageCanvas t(40, 30);
    TCanvas& c = *t.Canvas;
    c.Pen.Color = colours::Navy;
    c.MoveTo(INT_MIN, 12);
    c.LineTo(INT_MAX, 12);
    for (int x = 0; x < 40; ++x)
        QCOMPARE(PixelAt(t.Image, x, 12), colours::Navy);
    QCOMPARE(c.PenPos(), QPoint(INT_MAX, 12));
    c.Pen = TPen{PenStyle::Dot, 1, colours::Navy};
    c.LineTo(INT_MIN, INT_MIN);
    c.Pen.Width = 5;
    c.MoveTo(-2000000000, 2000000000);
    c.LineTo(2000000000, -2000000000);
    c.Polygon({{INT_MIN, INT_MIN}, {INT_MAX, 5}, {-3, INT_MAX}});
    c.TextOut(INT_MAX - 5, INT_MIN, QStringLiteral("far"));
    c.Brush.SetColor(colours::Teal);
    c.Pen.Width = 1;
    c.Ellipse(-2000000000, -2000000000, 2000000000, 2000000000);
    QCOMPARE(CountColour(t.Image, colours::Teal), 40 * 30);
    c.Pen.Style = PenStyle::DashDot;
    c.Ellipse(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
    c.Ellipse(INT_MAX, 3, INT_MIN, 4); // given right to left
    c.Ellipse(5, 5, 5, 5);
    QCOMPARE(PixelAt(t.Image, 5, 5), colours::Navy);

    // A zero-sized or missing device draws nothing and still reports.
    int changed = 0;
    TCanvas none(nullptr, QSize(0, 0));
    none.Changed = [&] { ++changed; };
    none.LineTo(3, 3);
    none.Ellipse(0, 0, 3, 3);
    none.TextOut(0, 0, QStringLiteral("x"));
    QCOMPARE(changed, 3);
}

void TestCanvas::wideStyledPenDrawsSolid() {
    for (PenStyle style : {PenStyle::Dash, PenStyle::Dot, PenStyle::DashDot}) {
        TImageCanvas t(100, 20);
        TCanvas& c = *t.Canvas;
        c.Pen = TPen{style, 2, colours::Green};
        c.Brush.SetColor(colours::Red);
        c.MoveTo(10, 10);
        c.LineTo(90, 10);
        for (int x = 10; x <= 90; ++x)
            QCOMPARE(PixelAt(t.Image, x, 10), colours::Green);
        QCOMPARE(CountColour(t.Image, colours::Red), 0);
    }
}

void TestCanvas::lineToLeavesItsEndPixel() {
    TImageCanvas t(40, 40);
    TCanvas& c = *t.Canvas;
    c.MoveTo(10, 10);
    c.LineTo(20, 10);
    QCOMPARE(c.PenPos(), QPoint(20, 10));
    QCOMPARE(PixelAt(t.Image, 10, 10), colours::Black);
    QCOMPARE(PixelAt(t.Image, 19, 10), colours::Black);
    QCOMPARE(PixelAt(t.Image, 20, 10), White);
    QCOMPARE(CountColour(t.Image, colours::Black), 10);
    // The next segment starts on it.
    c.LineTo(20, 20);
    QCOMPARE(PixelAt(t.Image, 20, 10), colours::Black);
    QCOMPARE(PixelAt(t.Image, 20, 20), White);
    QCOMPARE(CountColour(t.Image, colours::Black), 20);
    // MoveTo draws nothing; a zero-length segment neither.
    c.MoveTo(30, 30);
    c.LineTo(30, 30);
    QCOMPARE(CountColour(t.Image, colours::Black), 20);

    // Oblique segments: one pixel per step of the longer axis, the same pixels both ways.
    const QPoint a(3, 5), b(36, 22);
    TImageCanvas forward(40, 40), backward(40, 40);
    forward.Canvas->MoveTo(a.x(), a.y());
    forward.Canvas->LineTo(b.x(), b.y());
    backward.Canvas->MoveTo(b.x(), b.y());
    backward.Canvas->LineTo(a.x(), a.y());
    QCOMPARE(CountColour(forward.Image, colours::Black), 33);
    QCOMPARE(PixelAt(forward.Image, a.x(), a.y()), colours::Black);
    QCOMPARE(PixelAt(forward.Image, b.x(), b.y()), White);
    QCOMPARE(PixelAt(backward.Image, b.x(), b.y()), colours::Black);
    QCOMPARE(PixelAt(backward.Image, a.x(), a.y()), White);
    for (int x = a.x() + 1; x < b.x(); ++x)
        for (int y = 0; y < 40; ++y)
            QCOMPARE(PixelAt(forward.Image, x, y), PixelAt(backward.Image, x, y));
    // Each pixel within half a pixel of the exact line.
    for (int x = a.x(); x < b.x(); ++x) {
        int hits = 0;
        for (int y = 0; y < 40; ++y)
            if (PixelAt(forward.Image, x, y) == colours::Black) {
                ++hits;
                const double exact = a.y() + double(x - a.x()) * (b.y() - a.y()) / (b.x() - a.x());
                QVERIFY(std::abs(y - exact) <= 0.5);
            }
        QCOMPARE(hits, 1);
    }
}

void TestCanvas::wideLineIsRoundAndIncludesItsEnd() {
    TImageCanvas t(60, 60);
    TCanvas& c = *t.Canvas;
    c.Pen = TPen{PenStyle::Solid, 2, colours::Navy};
    c.MoveTo(10, 20);
    c.LineTo(50, 20);
    QCOMPARE(c.PenPos(), QPoint(50, 20));
    // Two rows thick, the line's own row and the one above, end pixel included.
    QCOMPARE(Bounds(t.Image), QRect(QPoint(9, 19), QPoint(50, 20)));
    QCOMPARE(CountColour(t.Image, colours::Navy), 42 * 2);

    // Width 3 is centred on the line and rounds its ends and its corner.
    t.Image.fill(Qt::white);
    c.Pen.Width = 3;
    c.MoveTo(10, 40);
    c.LineTo(30, 40);
    c.LineTo(30, 55);
    QCOMPARE(Bounds(t.Image), QRect(QPoint(9, 39), QPoint(31, 56)));
    QCOMPARE(PixelAt(t.Image, 31, 39), colours::Navy);
    QCOMPARE(PixelAt(t.Image, 30, 40), colours::Navy);
    // Width 5 has its round tip: the corners of the 5x5 square around the end stay clear.
    t.Image.fill(Qt::white);
    c.Pen.Width = 5;
    c.MoveTo(20, 10);
    c.LineTo(20, 10);
    QCOMPARE(Bounds(t.Image), QRect(18, 8, 5, 5));
    QCOMPARE(PixelAt(t.Image, 18, 8), White);
    QCOMPARE(PixelAt(t.Image, 22, 12), White);
    QCOMPARE(CountColour(t.Image, colours::Navy), 21);
}

void TestCanvas::ellipseExtremesAndSymmetry() {
    // The centre dot of the construction: a 7x7 dot on (200, 200) with a black rim.
    TImageCanvas t(400, 400);
    TCanvas& c = *t.Canvas;
    c.Brush.SetColor(colours::Red);
    c.Ellipse(197, 197, 203, 203);
    QCOMPARE(Bounds(t.Image), QRect(197, 197, 7, 7));
    QVERIFY(MirrorSymmetric(t.Image, 400, 400));
    QCOMPARE(PixelAt(t.Image, 200, 200), colours::Red);
    for (const QPoint& p : {QPoint(197, 200), QPoint(203, 200), QPoint(200, 197), QPoint(200, 203)})
        QCOMPARE(PixelAt(t.Image, p.x(), p.y()), colours::Black);
    QCOMPARE(PixelAt(t.Image, 197, 197), White); // round, not square

    // The circle: radius 100 about (200, 200), through its four extreme points, one pixel thick,
    // each rim pixel joined to exactly two others.
    t.Image.fill(Qt::white);
    c.Brush.SetStyle(BrushStyle::Clear);
    c.Pen.Color = colours::Red;
    c.Ellipse(100, 100, 300, 300);
    QCOMPARE(Bounds(t.Image), QRect(QPoint(100, 100), QPoint(300, 300)));
    for (const QPoint& p : {QPoint(100, 200), QPoint(300, 200), QPoint(200, 100), QPoint(200, 300)})
        QCOMPARE(PixelAt(t.Image, p.x(), p.y()), colours::Red);
    QCOMPARE(PixelAt(t.Image, 101, 200), White);
    QVERIFY(MirrorSymmetric(t.Image, 400, 400));
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x) {
            if (PixelAt(t.Image, x, y) != colours::Red)
                continue;
            const double d = std::hypot(x - 200.0, y - 200.0);
            QVERIFY2(d > 99.0 && d <= 100.5, qPrintable(QStringLiteral("%1,%2 at %3").arg(x).arg(y).arg(d)));
            int neighbours = 0;
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    if ((dx || dy) && PixelAt(t.Image, x + dx, y + dy) == colours::Red)
                        ++neighbours;
            QVERIFY2(neighbours == 2,
                     qPrintable(QStringLiteral("%1,%2 has %3").arg(x).arg(y).arg(neighbours)));
        }

    // An even-sized, flat ellipse: the half-pixel centre still gives exact extremes and symmetry.
    TImageCanvas e(60, 40);
    e.Canvas->Brush.SetColor(colours::Green);
    e.Canvas->Ellipse(10, 12, 41, 21);
    QCOMPARE(Bounds(e.Image), QRect(QPoint(10, 12), QPoint(41, 21)));
    QVERIFY(MirrorSymmetric(e.Image, 51, 33));
    QCOMPARE(PixelAt(e.Image, 25, 16), colours::Green);
    // Corners given in reverse order draw the same.
    TImageCanvas r(60, 40);
    r.Canvas->Brush.SetColor(colours::Green);
    r.Canvas->Ellipse(41, 21, 10, 12);
    QCOMPARE(r.Image, e.Image);
}

void TestCanvas::ellipseWideRing() {
    // The red circle of width 2 and a ring around a dot: two pixels thick everywhere, inside the
    // box, symmetric.
    TImageCanvas t(400, 400);
    TCanvas& c = *t.Canvas;
    c.Brush.SetStyle(BrushStyle::Clear);
    c.Pen = TPen{PenStyle::Solid, 2, colours::Red};
    c.Ellipse(100, 100, 300, 300);
    QCOMPARE(Bounds(t.Image), QRect(QPoint(100, 100), QPoint(300, 300)));
    QVERIFY(MirrorSymmetric(t.Image, 400, 400));
    const std::vector<std::pair<Colour, QChar>> legend{{colours::Red, QLatin1Char('R')},
                                                       {White, QLatin1Char('.')}};
    QCOMPARE(Row(t.Image, 200, 99, 103, legend), QStringLiteral(".RR.."));
    QCOMPARE(Row(t.Image, 200, 297, 301, legend), QStringLiteral("..RR."));
    // Along the diagonal the band is two pixels across as well.
    // (Pixel centres between 98.5 and 100.5 from the centre, in squares to stay exact.)
    for (int y = 0; y < 400; ++y)
        for (int x = 0; x < 400; ++x) {
            const int d2 = (x - 200) * (x - 200) + (y - 200) * (y - 200);
            const bool inBand = d2 > 9702 && d2 <= 10100;
            QVERIFY2((PixelAt(t.Image, x, y) == colours::Red) == inBand,
                     qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }

    // A dash-dot pen of width 2 draws the ring solid; width 3 grows one pixel to each side.
    TImageCanvas u(40, 40);
    u.Canvas->Brush.SetColor(colours::Green);
    u.Canvas->Pen = TPen{PenStyle::DashDot, 2, colours::Green};
    u.Canvas->Brush.SetStyle(BrushStyle::Clear);
    u.Canvas->Ellipse(14, 14, 26, 26);
    QCOMPARE(Bounds(u.Image), QRect(QPoint(14, 14), QPoint(26, 26)));
    QCOMPARE(Row(u.Image, 20, 13, 18, {{colours::Green, QLatin1Char('G')}, {White, QLatin1Char('.')}}),
             QStringLiteral(".GG..."));
    u.Image.fill(Qt::white);
    u.Canvas->Pen.Width = 3;
    u.Canvas->Ellipse(14, 14, 26, 26);
    QCOMPARE(Bounds(u.Image), QRect(QPoint(13, 13), QPoint(27, 27)));
    QCOMPARE(Row(u.Image, 20, 12, 17, {{colours::Green, QLatin1Char('G')}, {White, QLatin1Char('.')}}),
             QStringLiteral(".GGG.."));
}

void TestCanvas::nothingIsAntialiased() {
    TImageCanvas t(200, 120);
    TCanvas& c = *t.Canvas;
    c.Pen = TPen{PenStyle::Solid, 2, colours::Red};
    c.Brush.SetStyle(BrushStyle::Clear);
    c.Ellipse(10, 10, 110, 90);
    c.Pen.Width = 3;
    c.MoveTo(5, 100);
    c.LineTo(190, 7);
    c.Pen = TPen{PenStyle::DashDot, 1, colours::Navy};
    c.Brush.SetColor(colours::Green);
    c.Polygon({{120, 20}, {190, 40}, {140, 110}});
    c.Font.Color = colours::Navy;
    c.Font.SetSize(10);
    c.Brush.SetStyle(BrushStyle::Clear);
    c.TextOut(20, 40, QStringLiteral("Sxx σ -120 MPa"));
    const QSet<Colour> allowed{White, colours::Red, colours::Navy, colours::Green};
    for (int y = 0; y < t.Image.height(); ++y)
        for (int x = 0; x < t.Image.width(); ++x)
            QVERIFY2(
                allowed.contains(PixelAt(t.Image, x, y)),
                qPrintable(QStringLiteral("%1,%2 is %3").arg(x).arg(y).arg(PixelAt(t.Image, x, y), 6, 16)));
}

void TestCanvas::devicePixelRatioTwoHitsTheSameLogicalPixels() {
    const auto draw = [](TCanvas& c) {
        c.Pen = TPen{PenStyle::DashDot, 1, colours::Navy};
        c.Brush.SetColor(colours::Silver);
        c.MoveTo(3, 50);
        c.LineTo(110, 7);
        c.Pen = TPen{PenStyle::Solid, 2, colours::Red};
        c.Brush.SetStyle(BrushStyle::Clear);
        c.Ellipse(20, 20, 80, 70);
        c.Pen.Width = 1;
        c.Brush.SetColor(colours::Green);
        c.Ellipse(47, 47, 53, 53);
        c.Polygon({{90, 60}, {74, 52}, {74, 68}, {90, 60}});
        c.Pen.Width = 3;
        c.MoveTo(10, 75);
        c.LineTo(115, 75);
    };
    TImageCanvas single(120, 80);
    draw(*single.Canvas);
    QImage doubled(240, 160, QImage::Format_RGB32);
    doubled.setDevicePixelRatio(2.0);
    doubled.fill(Qt::white);
    TCanvas c(&doubled, QSize(120, 80));
    draw(c);
    for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x) {
            const Colour expected = PixelAt(single.Image, x, y);
            for (int d = 0; d < 4; ++d)
                QVERIFY2(PixelAt(doubled, 2 * x + d % 2, 2 * y + d / 2) == expected,
                         qPrintable(QStringLiteral("logical %1,%2").arg(x).arg(y)));
        }

    // Text: the filled box covers the same logical pixels.
    TImageCanvas textSingle(120, 40);
    textSingle.Canvas->Brush.SetColor(colours::Teal);
    textSingle.Canvas->TextOut(7, 9, QStringLiteral("Syx"));
    QImage textDoubled(240, 80, QImage::Format_RGB32);
    textDoubled.setDevicePixelRatio(2.0);
    textDoubled.fill(Qt::white);
    TCanvas t(&textDoubled, QSize(120, 40));
    t.Brush.SetColor(colours::Teal);
    t.TextOut(7, 9, QStringLiteral("Syx"));
    const QRect box = Bounds(textSingle.Image);
    QCOMPARE(Bounds(textDoubled), QRect(box.topLeft() * 2, box.size() * 2));
}

void TestCanvas::fontSizeConversion() {
    TCanvasFont f;
    f.Height = 10;
    QCOMPARE(f.Size(), 8); // 7.5 points, rounded up
    f.SetSize(f.Size() + 2);
    QCOMPARE(f.Height, 13); // 13.33 pixels
    QCOMPARE(f.Size(), 10); // 9.75 points
    f.SetSize(8);
    QCOMPARE(f.Height, 11); // 10.67 pixels
    f.SetSize(9);
    QCOMPARE(f.Height, 12);
    f.Height = 16;
    QCOMPARE(f.Size(), 12);
    f.SetSize(-8);
    QCOMPARE(f.Height, -11);

    // The rendering font has that pixel height; the larger font gives a taller text box.
    TCanvasFont small, large;
    small.Height = 10;
    large.SetSize(small.Size() + 2);
    QCOMPARE(RenderFont(small).pixelSize(), 10);
    QCOMPARE(RenderFont(large).pixelSize(), 13);
    QCOMPARE(QFontInfo(RenderFont(large)).pixelSize(), 13);
    QImage image(10, 10, QImage::Format_RGB32);
    TCanvas c(&image, QSize(10, 10));
    c.Font = small;
    const QSize smallBox = c.TextExtent(QStringLiteral("Sxx"));
    c.Font = large;
    const QSize largeBox = c.TextExtent(QStringLiteral("Sxx"));
    QVERIFY(largeBox.height() > smallBox.height());
    QVERIFY(largeBox.width() > smallBox.width());
    QVERIFY(smallBox.height() >= 10 && smallBox.height() <= 14);
}

void TestCanvas::renderFontAndFamilySeam() {
    // The classic dialog font and unknown families render in an installed sans font, unantialiased.
    const QStringList real = QFontDatabase::families();
    for (const QString& name : {QStringLiteral("MS Sans Serif"), QStringLiteral("No Such Family 4711")}) {
        TCanvasFont f;
        f.Name = name;
        const QFont font = RenderFont(f);
        QVERIFY(font.styleStrategy() & QFont::NoAntialias);
        const QString resolved = QFontInfo(font).family();
        QVERIFY2(real.contains(resolved), qPrintable(resolved));
        QVERIFY2(resolved != name, qPrintable(resolved));
    }
    TCanvasFont liberation;
    liberation.Name = QStringLiteral("Liberation Sans");
    if (real.contains(liberation.Name))
        QCOMPARE(QFontInfo(RenderFont(liberation)).family(), liberation.Name);

    // The installed family list comes through the seam; an empty provider restores the real list.
    SetFontFamilyProvider([] { return QStringList{QStringLiteral("Symbol"), QStringLiteral("Arial")}; });
    QCOMPARE(InstalledFontFamilies(), (QStringList{QStringLiteral("Symbol"), QStringLiteral("Arial")}));
    SetFontFamilyProvider([] { return QStringList{}; });
    QVERIFY(InstalledFontFamilies().isEmpty());
    SetFontFamilyProvider({});
    QCOMPARE(InstalledFontFamilies(), real);

    // "Symbol" is asked for by name and still draws a sigma at the canvas font's height.
    TImageCanvas t(60, 30);
    t.Canvas->Font.Name = QStringLiteral("Symbol");
    t.Canvas->Font.SetSize(10);
    t.Canvas->Brush.SetStyle(BrushStyle::Clear);
    t.Canvas->TextOut(5, 5, QString(QChar(0x03C3)));
    QVERIFY(CountColour(t.Image, colours::Black) > 5);
    QCOMPARE(RenderFont(t.Canvas->Font).pixelSize(), 13);
}

void TestCanvas::changedAfterEveryPrimitive() {
    TImageCanvas t(30, 30);
    TCanvas& c = *t.Canvas;
    QImage seen;
    int calls = 0;
    c.Changed = [&] {
        ++calls;
        seen = t.Image.copy();
    };
    c.MoveTo(2, 2);
    QCOMPARE(calls, 0);
    c.LineTo(20, 2);
    QCOMPARE(calls, 1);
    QCOMPARE(PixelAt(seen, 10, 2), colours::Black); // drawn before the report
    c.Ellipse(5, 5, 10, 10);
    c.Polygon({{1, 20}, {10, 20}, {5, 28}});
    c.TextOut(12, 12, QStringLiteral("x"));
    c.EraseForRepaint(TCanvasFont{});
    QCOMPARE(calls, 5);
    QCOMPARE(CountColour(seen, White), 900);
}

namespace {

// The drawing through the vector back end, rendered without antialiasing at `scale` times the size.
QImage VectorImage(QSize size, int scale, const TDrawing& draw) {
    QImage image(size * scale, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.scale(scale, scale);
    TCanvas canvas(painter, size);
    draw(canvas);
    return image;
}

} // namespace

void TestCanvas::vectorShapesLieOnTheRasterPixels_data() {
    // Each check is a set of colours: one shape's colours together where they meet at sharp corners.
    QTest::addColumn<TDrawing>("draw");
    QTest::addColumn<QList<TColours>>("checks");

    // Styled 1-pixel lines every way, gaps filled and not, and a polyline carrying on from its corner.
    QTest::newRow("styled lines") << TDrawing([](TCanvas& c) {
        c.Brush.SetColor(colours::Green);
        for (const PenStyle style : {PenStyle::Dash, PenStyle::Dot, PenStyle::DashDot}) {
            c.Pen = TPen{style, 1, colours::Navy};
            const int o = 20 * static_cast<int>(style);
            c.MoveTo(5, 5 + o);
            c.LineTo(95, 12 + o);
            c.MoveTo(100 + o, 5);
            c.LineTo(110 + o, 95);
            c.Brush.SetStyle(BrushStyle::Clear);
            c.MoveTo(20 + o, 110);
            c.LineTo(60 + o, 150);
            c.LineTo(30 + o, 195);
            c.Brush.SetColor(colours::Green);
        }
    }) << QList<TColours>{{colours::Navy}, {colours::Green}};
    QTest::newRow("wide lines") << TDrawing([](TCanvas& c) {
        c.Pen = TPen{PenStyle::Solid, 2, colours::Navy};
        c.MoveTo(10, 10);
        c.LineTo(150, 60);
        c.Pen = TPen{PenStyle::DashDot, 3, colours::Red};
        c.MoveTo(150, 80);
        c.LineTo(60, 180);
        c.Pen.Width = 5;
        c.MoveTo(170, 170);
        c.LineTo(170, 170);
    }) << QList<TColours>{{colours::Navy}, {colours::Red}};
    // The stress circle, a dot with its rim, a ring of width 3, a flat filled one and a one-pixel one.
    QTest::newRow("ellipses") << TDrawing([](TCanvas& c) {
        c.Brush.SetStyle(BrushStyle::Clear);
        c.Pen = TPen{PenStyle::Solid, 2, colours::Red};
        c.Ellipse(10, 10, 150, 150);
        c.Pen = TPen{PenStyle::Solid, 1, colours::Navy};
        c.Brush.SetColor(colours::Green);
        c.Ellipse(77, 77, 83, 83);
        c.Pen = TPen{PenStyle::Solid, 3, colours::Teal};
        c.Brush.SetStyle(BrushStyle::Clear);
        c.Ellipse(160, 20, 190, 60);
        c.Pen = TPen{PenStyle::Solid, 1, colours::Maroon};
        c.Brush.SetColor(colours::Silver);
        c.Ellipse(120, 160, 190, 195);
        c.Ellipse(5, 190, 5, 190);
    }) << QList<TColours>{{colours::Red},  {colours::Navy},   {colours::Green},
                          {colours::Teal}, {colours::Maroon}, {colours::Silver}};
    // An arrow head as the arrows draw it, a wide-rimmed bar and a dash-dot outline.
    QTest::newRow("polygons") << TDrawing([](TCanvas& c) {
        c.Pen = TPen{PenStyle::Solid, 1, colours::Navy};
        c.Brush.SetColor(colours::Navy);
        c.Polygon({{150, 50}, {158, 65}, {146, 69}, {150, 50}});
        c.Pen = TPen{PenStyle::Solid, 2, colours::White};
        c.Brush.SetColor(colours::Silver);
        c.Polygon({{69, 69}, {91, 91}, {84, 98}, {62, 76}, {69, 69}});
        c.Pen = TPen{PenStyle::DashDot, 1, colours::Green};
        c.Brush.SetColor(colours::Fuchsia);
        c.Polygon({{20, 120}, {180, 130}, {100, 190}});
    })
                              << QList<TColours>{{colours::Navy},
                                                 {colours::Silver},
                                                 {colours::Green},
                                                 {colours::Green, colours::Fuchsia}};
    // A label on a filled box: the box exactly; the glyphs, which the two render differently, apart.
    QTest::newRow("label box") << TDrawing([](TCanvas& c) {
        c.Brush.SetColor(colours::Teal);
        c.TextOut(45, 115, QStringLiteral("110"));
        c.Brush.SetStyle(BrushStyle::Clear);
        c.TextOut(45, 150, QStringLiteral("(-70; +50)"));
    }) << QList<TColours>{{colours::Teal}};
}

void TestCanvas::vectorShapesLieOnTheRasterPixels() {
    QFETCH(TDrawing, draw);
    QFETCH(QList<TColours>, checks);
    TImageCanvas raster(200, 200);
    draw(*raster.Canvas);
    constexpr int Scale = 8;
    const QImage vector = VectorImage(QSize(200, 200), Scale, draw);
    // A line's ink reaches half its width across the line, which measured along a pixel row is more
    // than half a pixel on a slope, where the raster's pixel may lie half a pixel to the other side.
    for (const TColours& check : checks)
        QCOMPARE(test::VectorRasterMismatch(raster.Image, vector, Scale, raster.Image.rect(), check, 0.75,
                                            colours::Black),
                 QString());
}

void TestCanvas::vectorTextStaysInTheRasterBox() {
    // A label that the raster shows whole up to the panel's edge is whole in a vector drawing too: its
    // glyphs, drawn in the vector drawing's sans font, stay inside the box the raster's font gives it,
    // also where that font is narrower (here a monospaced one, with wide letters).
    const QList<QPair<QString, QString>> labels = {
        {QStringLiteral("MS Sans Serif"), QStringLiteral("Syx")},
        {QStringLiteral("MS Sans Serif"), QStringLiteral("(-100; -40)")},
        {QStringLiteral("Liberation Mono"), QStringLiteral("WWWW mm")},
    };
    for (const auto& [family, label] : labels) {
        TImageCanvas raster(120, 30);
        raster.Canvas->Font.Name = family;
        const QSize box = raster.Canvas->TextExtent(label);
        const QPoint at(120 - box.width(), 5);
        const TDrawing draw = [&](TCanvas& c) {
            c.Font.Name = family;
            c.Brush.SetStyle(BrushStyle::Clear);
            c.TextOut(at.x(), at.y(), label);
        };
        constexpr int Scale = 8;
        // Drawn on a wider sheet, so that ink past the panel's edge would show.
        const QImage vector = VectorImage(QSize(240, 30), Scale, draw);
        int left = vector.width(), right = -1;
        for (int y = 0; y < vector.height(); ++y)
            for (int x = 0; x < vector.width(); ++x)
                if (test::PixelAt(vector, x, y) != colours::White) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        QVERIFY2(right >= 0, qPrintable(label));
        QVERIFY2(right < 120 * Scale && left >= at.x() * Scale,
                 qPrintable(QStringLiteral("%1 spans %2 to %3, the box %4 to %5")
                                .arg(label)
                                .arg(left)
                                .arg(right)
                                .arg(at.x() * Scale)
                                .arg(120 * Scale)));
    }
}

void TestCanvas::vectorFarCoordinatesAreHarmless() {
    // The vector back end cuts far-away lines to the panel's surroundings, so that a dash pattern
    // there does not run to millions of dashes; what shows is the same. (Where the patterns of far
    // lines start is the raster's own matter, so only the solid ones are compared.)
    const TDrawing draw = [](TCanvas& c) {
        c.Brush.SetStyle(BrushStyle::Clear);
        c.Pen = TPen{PenStyle::Dot, 1, colours::Green};
        c.MoveTo(INT_MIN, 12);
        c.LineTo(INT_MAX, 12);
        c.Pen.Style = PenStyle::Dash;
        c.MoveTo(-2000000000, 2000000000);
        c.LineTo(2000000000, -1999999970);
        c.Pen = TPen{PenStyle::Solid, 1, colours::Navy};
        c.MoveTo(20, INT_MIN);
        c.LineTo(25, INT_MAX);
        c.Pen.Width = 5;
        c.MoveTo(INT_MIN, 20);
        c.LineTo(INT_MAX, 22);
        c.Polygon({{INT_MIN, INT_MIN}, {INT_MAX, 5}, {-3, INT_MAX}});
        c.Ellipse(-2000000000, -2000000000, 2000000000, 2000000000);
        c.TextOut(INT_MAX - 5, INT_MIN, QStringLiteral("far"));
    };
    TImageCanvas raster(40, 30);
    draw(*raster.Canvas);
    const QImage vector = VectorImage(QSize(40, 30), 4, draw);
    QVERIFY(CountColour(raster.Image, colours::Navy) > 40);
    QVERIFY(CountColour(raster.Image, colours::Green) > 10);
    QCOMPARE(test::VectorRasterMismatch(raster.Image, vector, 4, raster.Image.rect(), {colours::Navy}, 0.75),
             QString());
}

QTEST_MAIN(TestCanvas)
#include "tst_fig_canvas.moc"
