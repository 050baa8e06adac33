#include "figures/canvas.h"
#include "figures/canvasbackend.h"

#include <QCoreApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QPointer>

#include <algorithm>
#include <climits>
#include <map>
#include <optional>
#include <utility>

// The canvas itself: its pen, brush, font and position, the canvas rules, and the fonts its texts are
// drawn in. How a primitive becomes pixels or shapes is up to the back end.

namespace mohr {

QRgb ToRgb(Colour c) {
    return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

namespace {

// v * num / den rounded half away from zero, as the classic point/pixel conversion rounds.
int MulDivRound(int v, int num, int den) {
    const long long p = static_cast<long long>(v) * num;
    const long long q = p >= 0 ? (p + den / 2) / den : -((-p + den / 2) / den);
    return static_cast<int>(q);
}

} // namespace

int TCanvasFont::Size() const {
    return MulDivRound(Height, 72, 96);
}
void TCanvasFont::SetSize(int points) {
    Height = MulDivRound(points, 96, 72);
}

namespace {

FontFamilyProvider& provider() {
    static FontFamilyProvider p;
    return p;
}

// Sans families close to the classic dialog font, best first. Liberation Sans keeps the widths of
// the usual Windows sans fonts; the others are there for machines without it.
const QStringList& SansFallbacks() {
    static const QStringList families{QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                                      QStringLiteral("Sans Serif")};
    return families;
}

} // namespace

void SetFontFamilyProvider(FontFamilyProvider p) {
    provider() = std::move(p);
}
QStringList InstalledFontFamilies() {
    return provider() ? provider()() : QFontDatabase::families();
}

void InstallFontSubstitutions() {
    static const bool installed = [] {
        for (const char* family : {"MS Sans Serif", "Microsoft Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2"})
            QFont::insertSubstitutions(QString::fromLatin1(family), SansFallbacks());
        return true;
    }();
    (void)installed;
}

QFont RenderFont(const TCanvasFont& font) {
    InstallFontSubstitutions();
    QFont f;
    if (font.Name == QLatin1String("Symbol")) {
        // Asked for by name only: the font configuration picks its own stand-in for it.
        f.setFamily(font.Name);
    } else {
        // A family that is not installed falls through to the close sans fonts.
        f.setFamilies(QStringList{font.Name} + SansFallbacks());
    }
    f.setPixelSize(std::max(1, font.Height));
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

namespace {

// The fonts of the texts drawn so far, per name and height. Building a QFont and having the font
// database resolve it costs more than drawing a short label, and the figures use a handful of fonts
// over and over. The cache belongs to the application, so no font outlives it.
class TFontCache : public QObject {
public:
    using QObject::QObject;

    struct TEntry {
        QFont Font;
        // Only for "Symbol": its metrics, to tell which characters it has, and the sans stand-in.
        std::optional<QFontMetrics> Metrics;
        QFont Fallback;
    };

    const TEntry& Get(const TCanvasFont& canvasFont) {
        const auto key = std::make_pair(canvasFont.Name, canvasFont.Height);
        auto found = entries_.find(key);
        if (found != entries_.end())
            return found->second;
        if (entries_.size() >= 64) // a program that makes up fonts as it goes must not grow this
            entries_.clear();
        TEntry entry;
        entry.Font = RenderFont(canvasFont);
        if (canvasFont.Name == QLatin1String("Symbol")) {
            entry.Metrics.emplace(entry.Font);
            entry.Fallback = entry.Font;
            entry.Fallback.setFamilies(SansFallbacks());
        }
        return entries_.emplace(key, std::move(entry)).first->second;
    }

    static TFontCache& Instance() {
        static QPointer<TFontCache> cache;
        if (!cache)
            cache = new TFontCache(QCoreApplication::instance());
        return *cache;
    }

private:
    std::map<std::pair<QString, int>, TEntry> entries_;
};

// The font a text is drawn in. A font named "Symbol" may be symbol-encoded, with no glyphs at the
// Unicode code points the figures use (the sigma, U+03C3), and the paint engine does not fall back
// for such fonts: a text it cannot show is drawn in the sans fallbacks instead, at the same height.
QFont TextFont(const TCanvasFont& canvasFont, const QString& text) {
    const TFontCache::TEntry& entry = TFontCache::Instance().Get(canvasFont);
    if (!entry.Metrics)
        return entry.Font;
    for (const char32_t c : text.toUcs4()) {
        if (c > U' ' && !entry.Metrics->inFontUcs4(c))
            return entry.Fallback;
    }
    return entry.Font;
}

} // namespace

const TDashPattern* DashPattern(PenStyle style) {
    static const TDashPattern dash{2, {18, 6, 0, 0}, 24};
    static const TDashPattern dot{2, {3, 3, 0, 0}, 6};
    static const TDashPattern dashDot{4, {9, 6, 3, 6}, 24};
    switch (style) {
    case PenStyle::Dash:
        return &dash;
    case PenStyle::Dot:
        return &dot;
    case PenStyle::DashDot:
        return &dashDot;
    case PenStyle::Solid:
        break;
    }
    return nullptr;
}

bool ClipSegment(QPointF a, QPointF b, const QRectF& bounds, double& t0, double& t1) {
    t0 = 0.0;
    t1 = 1.0;
    const double dx = b.x() - a.x(), dy = b.y() - a.y();
    // One side of the bounds at a time: p is the segment's speed out of it, q how far inside a is.
    const auto side = [&](double p, double q) {
        if (p == 0.0)
            return q >= 0.0;
        const double r = q / p;
        if (p < 0.0) {
            if (r > t1)
                return false;
            t0 = std::max(t0, r);
        } else {
            if (r < t0)
                return false;
            t1 = std::min(t1, r);
        }
        return true;
    };
    return side(-dx, a.x() - bounds.left()) && side(dx, bounds.right() - a.x()) &&
           side(-dy, a.y() - bounds.top()) && side(dy, bounds.bottom() - a.y());
}

TCanvas::TCanvas(QPaintDevice* device, QSize logicalSize)
    : size_(logicalSize), backEnd_(MakeRasterBackEnd(device, logicalSize)) {}

TCanvas::TCanvas(QPainter& painter, QSize logicalSize)
    : size_(logicalSize), backEnd_(MakeVectorBackEnd(painter, logicalSize)) {}

TCanvas::~TCanvas() = default;

void TCanvas::SetDevice(QPaintDevice* device, QSize logicalSize) {
    size_ = logicalSize;
    backEnd_ = MakeRasterBackEnd(device, logicalSize);
}

TStroke TCanvas::stroke() const {
    TStroke stroke;
    stroke.Width = std::max(1, Pen.Width);
    stroke.Color = Pen.Color;
    // A styled pen wider than one pixel draws solid; the gaps of a styled line take a solid brush's
    // colour, so with a brush of the pen's own colour it is solid as well.
    if (Pen.Width <= 1)
        stroke.Dashes = DashPattern(Pen.Style);
    if (stroke.Dashes && Brush.Style() == BrushStyle::Solid) {
        if (Brush.Color() == Pen.Color)
            stroke.Dashes = nullptr;
        else
            stroke.Gaps = Brush.Color();
    }
    return stroke;
}

std::optional<Colour> TCanvas::fill() const {
    // Polygons, ellipses and text boxes are filled with a solid brush only; a clear brush leaves them
    // transparent.
    if (Brush.Style() == BrushStyle::Solid)
        return Brush.Color();
    return std::nullopt;
}

void TCanvas::MoveTo(int x, int y) {
    pos_ = QPoint(x, y);
}

void TCanvas::LineTo(int x, int y) {
    const QPoint from = pos_;
    pos_ = QPoint(x, y);
    backEnd_->Line(from, pos_, stroke());
    notify();
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
    if (left > right)
        std::swap(left, right);
    if (top > bottom)
        std::swap(top, bottom);
    backEnd_->Ellipse(QRect(QPoint(left, top), QPoint(right, bottom)), stroke(), fill());
    notify();
}

void TCanvas::Polygon(const std::vector<QPoint>& points) {
    if (points.size() >= 2)
        backEnd_->Polygon(points, stroke(), fill());
    notify();
}

QSize TCanvas::TextExtent(const QString& text) const {
    const QFontMetrics metrics(TextFont(Font, text));
    return QSize(metrics.horizontalAdvance(text), metrics.ascent() + metrics.descent());
}

void TCanvas::TextOut(int x, int y, const QString& text) {
    const long long width = backEnd_->Text(QPoint(x, y), text, TextFont(Font, text), Font.Color, fill());
    // Like the classic canvas, the pen position moves on to the end of the text.
    pos_ = QPoint(static_cast<int>(std::min<long long>(x + width, INT_MAX)), y);
    notify();
}

void TCanvas::EraseForRepaint(const TCanvasFont& panelFont) {
    backEnd_->Erase();
    Font = panelFont;
    Brush.SetColor(colours::White);
    notify();
}

void TCanvas::notify() {
    if (Changed)
        Changed();
}

} // namespace mohr
