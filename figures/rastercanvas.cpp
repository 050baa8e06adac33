#include "figures/canvasbackend.h"

#include <QColor>
#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QRect>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <utility>

// The raster back end: every primitive is rasterised here into whole logical pixels, without
// antialiasing, so the panels do not depend on the paint engine's own rules.

namespace mohr {

namespace {

long long FloorDiv(long long a, long long b) { // b > 0
    long long q = a / b;
    if (a % b != 0 && a < 0)
        --q;
    return q;
}

// Coordinates beyond this are brought inside it before rasterising, so the integer arithmetic below
// cannot overflow; the panels are a few hundred pixels wide.
constexpr long long CoordLimit = 1 << 20;

// Pixel runs of one colour, clipped to the panel and merged into as few rectangles as possible
// before they are painted. A run that touches the last run added to its row joins it at once, so a
// line adds about one run per row.
class TPixelRuns {
public:
    explicit TPixelRuns(QRect clip) : clip_(clip) {}

    void Add(long long y, long long x0, long long x1) {
        if (y < clip_.top() || y > clip_.bottom())
            return;
        x0 = std::max<long long>(x0, clip_.left());
        x1 = std::min<long long>(x1, clip_.right());
        if (x0 > x1)
            return;
        if (lastInRow_.empty()) // most primitives leave some of their colours unused
            lastInRow_.assign(static_cast<std::size_t>(clip_.height()), -1);
        const int row = static_cast<int>(y) - clip_.top();
        rowLo_ = std::min(rowLo_, row);
        rowHi_ = std::max(rowHi_, row);
        int& last = lastInRow_[static_cast<std::size_t>(row)];
        if (last >= 0) {
            Run& r = runs_[static_cast<std::size_t>(last)];
            if (x0 <= r.x1 + 1 && x1 + 1 >= r.x0) {
                r.x0 = std::min(r.x0, static_cast<int>(x0));
                r.x1 = std::max(r.x1, static_cast<int>(x1));
                return;
            }
        }
        last = static_cast<int>(runs_.size());
        runs_.push_back({static_cast<int>(y), static_cast<int>(x0), static_cast<int>(x1)});
    }
    void Add(long long x, long long y) { Add(y, x, x); }

    // A whole block of pixels, corners inclusive in any order.
    void AddBlock(long long x0, long long y0, long long x1, long long y1) {
        if (x0 > x1)
            std::swap(x0, x1);
        if (y0 > y1)
            std::swap(y0, y1);
        x0 = std::max<long long>(x0, clip_.left());
        x1 = std::min<long long>(x1, clip_.right());
        y0 = std::max<long long>(y0, clip_.top());
        y1 = std::min<long long>(y1, clip_.bottom());
        if (x0 <= x1 && y0 <= y1)
            blocks_.emplace_back(QPoint(static_cast<int>(x0), static_cast<int>(y0)),
                                 QPoint(static_cast<int>(x1), static_cast<int>(y1)));
    }

    void Paint(QPainter& painter, Colour colour) {
        if (runs_.empty() && blocks_.empty())
            return;
        std::vector<QRect> rects = runs_.empty() ? std::vector<QRect>() : Rects();
        rects.insert(rects.end(), blocks_.begin(), blocks_.end());
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromRgb(ToRgb(colour)));
        painter.drawRects(rects.data(), static_cast<int>(rects.size()));
    }

private:
    struct Run {
        int y, x0, x1;
    };

    std::vector<QRect> Rects() {
        // Rows in order (counting sort over the rows used), runs of a row by x; rows hold few runs.
        const auto before = [](const Run& a, const Run& b) { return a.y != b.y ? a.y < b.y : a.x0 < b.x0; };
        std::vector<Run> sorted;
        if (std::is_sorted(runs_.begin(), runs_.end(), before)) {
            sorted.swap(runs_);
        } else {
            const int top = clip_.top() + rowLo_;
            const std::size_t height = static_cast<std::size_t>(rowHi_ - rowLo_ + 1);
            std::vector<std::size_t> start(height + 1, 0);
            for (const Run& r : runs_)
                ++start[static_cast<std::size_t>(r.y - top) + 1];
            for (std::size_t k = 0; k < height; ++k)
                start[k + 1] += start[k];
            sorted.resize(runs_.size());
            std::vector<std::size_t> next(start.begin(), start.end() - 1);
            for (const Run& r : runs_)
                sorted[next[static_cast<std::size_t>(r.y - top)]++] = r;
            for (std::size_t k = 0; k < height; ++k) {
                for (std::size_t i = start[k] + 1; i < start[k + 1]; ++i)
                    for (std::size_t j = i; j > start[k] && sorted[j].x0 < sorted[j - 1].x0; --j)
                        std::swap(sorted[j], sorted[j - 1]);
            }
        }
        // Join overlapping and touching runs of a row.
        std::vector<Run> rows;
        rows.reserve(sorted.size());
        for (const Run& r : sorted) {
            if (!rows.empty() && rows.back().y == r.y && r.x0 <= rows.back().x1 + 1)
                rows.back().x1 = std::max(rows.back().x1, r.x1);
            else
                rows.push_back(r);
        }
        // Stack identical runs of consecutive rows: vertical lines become one rectangle.
        std::vector<QRect> rects;
        std::vector<std::size_t> previous, current;
        std::size_t i = 0;
        while (i < rows.size()) {
            const int y = rows[i].y;
            current.clear();
            std::size_t p = 0;
            for (; i < rows.size() && rows[i].y == y; ++i) {
                const Run& r = rows[i];
                while (p < previous.size() && rects[previous[p]].left() < r.x0)
                    ++p;
                if (p < previous.size() && rects[previous[p]].bottom() == y - 1 &&
                    rects[previous[p]].left() == r.x0 && rects[previous[p]].right() == r.x1) {
                    rects[previous[p]].setBottom(y);
                    current.push_back(previous[p]);
                } else {
                    rects.emplace_back(QPoint(r.x0, y), QPoint(r.x1, y));
                    current.push_back(rects.size() - 1);
                }
            }
            std::swap(previous, current);
        }
        return rects;
    }

    QRect clip_;
    std::vector<int> lastInRow_; // per row of the clip: index of the row's latest run, or -1
    int rowLo_ = INT_MAX, rowHi_ = INT_MIN;
    std::vector<Run> runs_;
    std::vector<QRect> blocks_;
};

bool DashOn(const TDashPattern& pattern, long long step) {
    int at = static_cast<int>(step % pattern.Period);
    for (int k = 0; k < pattern.Count; ++k) {
        if (at < pattern.Lengths[k])
            return k % 2 == 0;
        at -= pattern.Lengths[k];
    }
    return false;
}

// One row of a round pen tip: offsets dy and dx0..dx1 from the pixel it is centred on.
struct TTipRow {
    int Dy, Dx0, Dx1;
};

// The pixels whose centres lie inside a disc of diameter `width`. An even width has no centre
// pixel; its disc is centred on the corner above and left of the pixel.
std::vector<TTipRow> PenTip(int width) {
    const int e = width % 2 == 0 ? 1 : 0;
    const int lo = -(width / 2);
    const int hi = (width - 1) / 2;
    std::vector<TTipRow> rows;
    for (int dy = lo; dy <= hi; ++dy) {
        int dx0 = 0;
        int dx1 = -1;
        for (int dx = lo; dx <= hi; ++dx) {
            if ((2 * dx + e) * (2 * dx + e) + (2 * dy + e) * (2 * dy + e) <= width * width) {
                if (dx1 < dx0)
                    dx0 = dx;
                dx1 = dx;
            }
        }
        if (dx0 <= dx1)
            rows.push_back({dy, dx0, dx1});
    }
    return rows;
}

// Brings a segment with far-away ends inside the coordinate limit, keeping its direction. Returns
// false when nothing of it lies inside.
bool BringInside(QPoint& a, QPoint& b) {
    const auto inside = [](QPoint p) {
        return std::llabs(p.x()) <= CoordLimit && std::llabs(p.y()) <= CoordLimit;
    };
    if (inside(a) && inside(b))
        return true;
    const double x0 = a.x(), y0 = a.y(), dx = double(b.x()) - a.x(), dy = double(b.y()) - a.y();
    const double lim = static_cast<double>(CoordLimit);
    double t0 = 0.0, t1 = 1.0;
    if (!ClipSegment(QPointF(a), QPointF(b), QRectF(-lim, -lim, 2 * lim, 2 * lim), t0, t1))
        return false;
    const QPoint na(static_cast<int>(std::lround(x0 + t0 * dx)), static_cast<int>(std::lround(y0 + t0 * dy)));
    const QPoint nb(static_cast<int>(std::lround(x0 + t1 * dx)), static_cast<int>(std::lround(y0 + t1 * dy)));
    a = na;
    b = nb;
    return true;
}

// Visits the pixels of the segment a-b in order: step i = 0 is a, step n is b (visited only with
// includeEnd). Every step moves one pixel along the major axis; the minor coordinate is the exact
// one rounded half up, which gives the same pixels in both directions. Steps outside `bounds` are
// skipped without being walked, so far-away coordinates cost nothing.
template <class Visit>
void WalkLine(QPoint a, QPoint b, bool includeEnd, const QRect& bounds, Visit&& visit) {
    const long long dx = static_cast<long long>(b.x()) - a.x();
    const long long dy = static_cast<long long>(b.y()) - a.y();
    const long long n = std::max(std::llabs(dx), std::llabs(dy));
    const long long last = includeEnd ? n : n - 1;
    if (last < 0)
        return;
    if (n == 0) {
        visit(static_cast<long long>(a.x()), static_cast<long long>(a.y()), 0LL);
        return;
    }
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const long long major0 = xMajor ? a.x() : a.y();
    const long long minor0 = xMajor ? a.y() : a.x();
    const long long dMajor = xMajor ? dx : dy;
    const long long dMinor = xMajor ? dy : dx;
    const long long step = dMajor > 0 ? 1 : -1;
    const long long lo = xMajor ? bounds.left() : bounds.top();
    const long long hi = xMajor ? bounds.right() : bounds.bottom();
    const long long minorLo = xMajor ? bounds.top() : bounds.left();
    const long long minorHi = xMajor ? bounds.bottom() : bounds.right();
    long long first = step > 0 ? lo - major0 : major0 - hi;
    long long stop = step > 0 ? hi - major0 : major0 - lo;
    first = std::max(first, 0LL);
    stop = std::min(stop, last);
    for (long long i = first; i <= stop; ++i) {
        const long long major = major0 + step * i;
        const long long minor = minor0 + FloorDiv(2 * i * dMinor + n, 2 * n);
        if (minor < minorLo || minor > minorHi)
            continue;
        if (xMajor)
            visit(major, minor, i);
        else
            visit(minor, major, i);
    }
}

// A 1-pixel horizontal or vertical segment without its end pixel, added dash by dash: the grids and
// axes are made of these, and walking them pixel by pixel would cost the most time of a replay.
void StrokeAxisParallel(QPoint a, QPoint b, const TDashPattern* pattern, const QRect& clip, TPixelRuns& ink,
                        TPixelRuns* gaps, long long& phase) {
    const bool horizontal = a.y() == b.y();
    const long long from = horizontal ? a.x() : a.y();
    const long long to = horizontal ? b.x() : b.y();
    const long long fixed = horizontal ? a.y() : a.x();
    const long long n = std::llabs(to - from);
    const long long step = to >= from ? 1 : -1;
    const long long start = phase;
    phase += n;
    const long long lo = horizontal ? clip.left() : clip.top();
    const long long hi = horizontal ? clip.right() : clip.bottom();
    if (n == 0 || fixed < (horizontal ? clip.top() : clip.left()) ||
        fixed > (horizontal ? clip.bottom() : clip.right()))
        return;
    // Steps first..last are on the panel.
    const long long first = std::max(0LL, step > 0 ? lo - from : from - hi);
    const long long last = std::min(n - 1, step > 0 ? hi - from : from - lo);
    const auto add = [&](TPixelRuns& runs, long long i, long long j) {
        const long long p = from + step * i, q = from + step * j;
        if (horizontal)
            runs.AddBlock(p, fixed, q, fixed);
        else
            runs.AddBlock(fixed, p, fixed, q);
    };
    if (!pattern) {
        if (first <= last)
            add(ink, first, last);
        return;
    }
    for (long long i = first; i <= last;) {
        // Find the pattern piece this step lies in and how far it reaches.
        int at = static_cast<int>((start + i) % pattern->Period);
        int k = 0;
        while (at >= pattern->Lengths[k]) {
            at -= pattern->Lengths[k];
            ++k;
        }
        const long long j = std::min(last, i + pattern->Lengths[k] - at - 1);
        if (k % 2 == 0)
            add(ink, i, j);
        else if (gaps)
            add(*gaps, i, j);
        i = j + 1;
    }
}

// The pen part of one segment. A 1-pixel pen leaves the end pixel to the next segment and, when
// styled, puts its gaps into `gaps`; `phase` carries the dash pattern on along a polygon. A wider pen
// is solid and round, end pixel included.
void StrokeSegment(QPoint a, QPoint b, const TStroke& stroke, const QRect& clip, TPixelRuns& ink,
                   TPixelRuns* gaps, long long& phase) {
    if (!BringInside(a, b))
        return;
    if (stroke.Width > 1) {
        const std::vector<TTipRow> tip = PenTip(stroke.Width);
        const QRect bounds = clip.adjusted(-stroke.Width, -stroke.Width, stroke.Width, stroke.Width);
        WalkLine(a, b, true, bounds, [&](long long x, long long y, long long) {
            for (const TTipRow& row : tip)
                ink.Add(y + row.Dy, x + row.Dx0, x + row.Dx1);
        });
        return;
    }
    const TDashPattern* pattern = stroke.Dashes;
    const long long start = phase;
    if (a.x() == b.x() || a.y() == b.y()) {
        StrokeAxisParallel(a, b, pattern, clip, ink, gaps, phase);
        return;
    }
    WalkLine(a, b, false, clip, [&](long long x, long long y, long long i) {
        if (!pattern || DashOn(*pattern, start + i))
            ink.Add(x, y);
        else if (gaps)
            gaps->Add(x, y);
    });
    phase += std::max(std::llabs(static_cast<long long>(b.x()) - a.x()),
                      std::llabs(static_cast<long long>(b.y()) - a.y()));
}

// The columns of row `y` inside an ellipse of w x h pixels whose centre is (sx / 2, sy / 2). A pixel
// belongs to it when its centre lies inside the ellipse through the outer edges of the extreme
// pixels, so the extreme columns and rows are exactly the bounding box. Returns false for an empty
// row; the span is symmetric about the centre.
bool EllipseRow(long long sx, long long sy, long long w, long long h, long long y, long long& x0,
                long long& x1) {
    if (w <= 0 || h <= 0)
        return false;
    const long long dy = 2 * y - sy;
    if (std::llabs(dy) > h)
        return false;
    const double wd = static_cast<double>(w), hd = static_cast<double>(h), dyd = static_cast<double>(dy);
    const double m = wd * std::sqrt(std::max(0.0, 1.0 - (dyd * dyd) / (hd * hd)));
    long long xHi = static_cast<long long>(std::floor((static_cast<double>(sx) + m) / 2.0));
    if (w < (1 << 15) && h < (1 << 15)) {
        // Settle the rounding of the square root exactly.
        const long long limit = w * w * h * h - dy * dy * w * w;
        const auto fits = [&](long long x) {
            const long long dx = 2 * x - sx;
            return dx * dx * h * h <= limit;
        };
        while (2 * xHi >= sx && !fits(xHi))
            --xHi;
        while (fits(xHi + 1))
            ++xHi;
    }
    if (2 * xHi < sx)
        return false;
    x0 = sx - xHi;
    x1 = xHi;
    return true;
}

// A painter on the canvas device, without antialiasing.
class TCanvasPainter {
public:
    explicit TCanvasPainter(QPaintDevice* device) {
        if (device && device->width() > 0 && device->height() > 0 && painter_.begin(device)) {
            painter_.setRenderHint(QPainter::Antialiasing, false);
            painter_.setRenderHint(QPainter::TextAntialiasing, false);
        }
    }
    ~TCanvasPainter() {
        if (painter_.isActive())
            painter_.end();
    }
    TCanvasPainter(const TCanvasPainter&) = delete;
    TCanvasPainter& operator=(const TCanvasPainter&) = delete;

    bool Active() const { return painter_.isActive(); }
    QPainter& operator*() { return painter_; }
    QPainter* operator->() { return &painter_; }

private:
    QPainter painter_;
};

class TRasterBackEnd : public TCanvasBackEnd {
public:
    TRasterBackEnd(QPaintDevice* device, QSize logicalSize)
        : device_(device), clip_(QPoint(0, 0), logicalSize) {}

    void Line(QPoint from, QPoint to, const TStroke& stroke) override {
        if (clip_.isEmpty())
            return;
        TPixelRuns ink(clip_), gaps(clip_);
        long long phase = 0;
        StrokeSegment(from, to, stroke, clip_, ink, stroke.Gaps ? &gaps : nullptr, phase);
        TCanvasPainter painter(device_);
        if (painter.Active()) {
            gaps.Paint(*painter, stroke.Gaps.value_or(colours::White));
            ink.Paint(*painter, stroke.Color);
        }
    }

    void Ellipse(QRect box, const TStroke& stroke, std::optional<Colour> fillColour) override {
        if (clip_.isEmpty())
            return;
        const QRect& clip = clip_;
        const int left = box.left(), top = box.top(), right = box.right(), bottom = box.bottom();
        const long long sx = static_cast<long long>(left) + right;
        const long long sy = static_cast<long long>(top) + bottom;
        const long long w = static_cast<long long>(right) - left + 1;
        const long long h = static_cast<long long>(bottom) - top + 1;
        const int penWidth = stroke.Width;
        // A wide ring grows inward first, so an even width stays inside the bounding box.
        const long long grow = (penWidth - 1) / 2;
        TPixelRuns fill(clip), ink(clip), gaps(clip);
        const TDashPattern* pattern = stroke.Dashes;
        // A styled outline is walked all round so that clipping does not shift its pattern; only a
        // huge one is cut to the panel first.
        const bool wholeRing = pattern && w <= 8192 && h <= 8192;
        const long long rowLo = wholeRing ? top : std::max<long long>(clip.top(), top - grow);
        const long long rowHi = wholeRing ? bottom : std::min<long long>(clip.bottom(), bottom + grow);
        const long long colLo = wholeRing ? left : clip.left();
        const long long colHi = wholeRing ? right : clip.right();
        std::vector<QPoint> styled; // ring pixels of a styled pen, ordered along the ring below

        for (long long y = rowLo; y <= rowHi; ++y) {
            long long x0 = 0, x1 = 0;
            const bool inDisc = EllipseRow(sx, sy, w, h, y, x0, x1);
            if (inDisc && fillColour)
                fill.Add(y, x0, x1);
            long long outer0 = 0, outer1 = 0, inner0 = 0, inner1 = -1;
            if (penWidth == 1) {
                if (!inDisc)
                    continue;
                // The outline is the disc's rim: its pixels with a side neighbour outside it.
                outer0 = x0;
                outer1 = x1;
                long long a0 = 0, a1 = 0, b0 = 0, b1 = 0;
                if (EllipseRow(sx, sy, w, h, y - 1, a0, a1) && EllipseRow(sx, sy, w, h, y + 1, b0, b1)) {
                    inner0 = std::max({x0 + 1, a0, b0});
                    inner1 = std::min({x1 - 1, a1, b1});
                }
            } else {
                // A band of penWidth pixels measured across the ring, the same all round.
                if (!EllipseRow(sx, sy, w + 2 * grow, h + 2 * grow, y, outer0, outer1))
                    continue;
                const long long shrink = penWidth - grow;
                if (!EllipseRow(sx, sy, w - 2 * shrink, h - 2 * shrink, y, inner0, inner1)) {
                    inner0 = 0;
                    inner1 = -1;
                }
            }
            const auto ring = [&](long long a, long long b) {
                if (a > b)
                    return;
                if (!pattern) {
                    ink.Add(y, a, b);
                    return;
                }
                for (long long x = std::max(a, colLo); x <= std::min(b, colHi); ++x)
                    styled.emplace_back(static_cast<int>(x), static_cast<int>(y));
            };
            if (inner0 > inner1) {
                ring(outer0, outer1);
            } else {
                ring(outer0, inner0 - 1);
                ring(inner1 + 1, outer1);
            }
        }

        if (pattern && !styled.empty()) {
            // The pattern runs counter-clockwise from the rightmost point, one step per pixel.
            const double cx = static_cast<double>(sx) / 2.0, cy = static_cast<double>(sy) / 2.0;
            const double pi2 = 2.0 * std::acos(-1.0);
            const auto angle = [&](const QPoint& p) {
                const double a =
                    std::atan2(-(p.y() - cy) * static_cast<double>(w), (p.x() - cx) * static_cast<double>(h));
                return a < 0 ? a + pi2 : a;
            };
            std::stable_sort(styled.begin(), styled.end(),
                             [&](const QPoint& p, const QPoint& q) { return angle(p) < angle(q); });
            for (std::size_t i = 0; i < styled.size(); ++i) {
                if (DashOn(*pattern, static_cast<long long>(i)))
                    ink.Add(styled[i].x(), styled[i].y());
                else if (stroke.Gaps)
                    gaps.Add(styled[i].x(), styled[i].y());
            }
        }

        TCanvasPainter painter(device_);
        if (painter.Active()) {
            fill.Paint(*painter, fillColour.value_or(colours::White));
            gaps.Paint(*painter, stroke.Gaps.value_or(colours::White));
            ink.Paint(*painter, stroke.Color);
        }
    }

    void Polygon(const std::vector<QPoint>& points, const TStroke& stroke,
                 std::optional<Colour> fillColour) override {
        if (clip_.isEmpty())
            return;
        const QRect& clip = clip_;
        TPixelRuns fill(clip), ink(clip), gaps(clip);
        const std::size_t n = points.size();

        if (fillColour) {
            // Even-odd fill of the pixels whose centres lie inside; each edge counts for the rows from
            // its upper end up to, not including, its lower end.
            long long yMin = points[0].y(), yMax = points[0].y();
            for (const QPoint& p : points) {
                yMin = std::min<long long>(yMin, p.y());
                yMax = std::max<long long>(yMax, p.y());
            }
            yMin = std::max<long long>(yMin, clip.top());
            yMax = std::min<long long>(yMax, clip.bottom());
            std::vector<double> xs;
            for (long long y = yMin; y <= yMax; ++y) {
                xs.clear();
                for (std::size_t i = 0; i < n; ++i) {
                    QPoint p = points[i], q = points[(i + 1) % n];
                    if (p.y() == q.y())
                        continue;
                    if (p.y() > q.y())
                        std::swap(p, q);
                    if (y < p.y() || y >= q.y())
                        continue;
                    const double t = static_cast<double>(y - p.y()) / (static_cast<double>(q.y()) - p.y());
                    xs.push_back(p.x() + t * (static_cast<double>(q.x()) - p.x()));
                }
                std::sort(xs.begin(), xs.end());
                for (std::size_t k = 0; k + 1 < xs.size(); k += 2) {
                    const double a = std::max(std::ceil(xs[k]), static_cast<double>(clip.left()) - 1.0);
                    const double b = std::min(std::floor(xs[k + 1]), static_cast<double>(clip.right()) + 1.0);
                    if (a <= b)
                        fill.Add(y, static_cast<long long>(a), static_cast<long long>(b));
                }
            }
        }

        long long phase = 0;
        for (std::size_t i = 0; i < n; ++i)
            StrokeSegment(points[i], points[(i + 1) % n], stroke, clip, ink, stroke.Gaps ? &gaps : nullptr,
                          phase);

        TCanvasPainter painter(device_);
        if (painter.Active()) {
            fill.Paint(*painter, fillColour.value_or(colours::White));
            gaps.Paint(*painter, stroke.Gaps.value_or(colours::White));
            ink.Paint(*painter, stroke.Color);
        }
    }

    int Text(QPoint at, const QString& text, const QFont& font, Colour colour,
             std::optional<Colour> box) override {
        const int x = at.x(), y = at.y();
        const QRect& clip = clip_;
        long long width = 0;
        TCanvasPainter painter(device_);
        if (painter.Active()) {
            painter->setFont(font);
            const QFontMetrics metrics = painter->fontMetrics();
            width = metrics.horizontalAdvance(text);
            const long long height = metrics.ascent() + metrics.descent();
            // A box wholly off the panel is skipped before its corners could overflow.
            const bool visible = x + width > clip.left() && x <= clip.right() && y + height > clip.top() &&
                                 y <= clip.bottom() && width > 0;
            if (visible) {
                painter->setClipRect(clip);
                if (box)
                    painter->fillRect(QRect(x, y, static_cast<int>(width), static_cast<int>(height)),
                                      QColor::fromRgb(ToRgb(*box)));
                painter->setPen(QColor::fromRgb(ToRgb(colour)));
                painter->drawText(QPoint(x, y + metrics.ascent()), text);
            }
        } else {
            width = QFontMetrics(font).horizontalAdvance(text);
        }
        return static_cast<int>(width);
    }

    void Erase() override {
        TCanvasPainter painter(device_);
        if (painter.Active() && !clip_.isEmpty())
            painter->fillRect(clip_, Qt::white);
    }

private:
    QPaintDevice* device_;
    QRect clip_;
};

} // namespace

std::unique_ptr<TCanvasBackEnd> MakeRasterBackEnd(QPaintDevice* device, QSize logicalSize) {
    return std::make_unique<TRasterBackEnd>(device, logicalSize);
}

} // namespace mohr
