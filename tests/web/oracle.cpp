// The desktop side of the web edition's picture test.
//
// web_oracle walk DIR < ACTIONS
//   Takes the actions, one a line ("step N", "restart", "language", "grid on", "grid off", "page 1",
//   "page 2"), on the real main window (offscreen) and after each one writes, for each panel on the
//   stresses page, its raster picture and a vector twin: every drawing operation the panel received
//   since it was last erased, drawn again from the canvas state it met, through the vector canvas, and
//   rendered four times as large. DIR/manifest gets "action panel key" lines; DIR/key-raster.png and
//   DIR/key-twin.png are written once a key.
//
// web_oracle compare LIST
//   LIST has "page.png raster.png twin.png" lines: the page's panel captured at four times its size in
//   the browser, with its texts in the glyph colour. Each colour of ink must agree two ways between the
//   page and the twin, and between the page and the raster wherever the twin itself agrees with the
//   raster (the vector drawing's own departures from the pixels are held elsewhere). Prints each
//   disagreement; the exit status is the number of failing pictures (at most 100).

#include "main.h"
#include "paintbox.h"
#include "testsupport.h"

#include "app/quietplatform.h"
#include "web/operations.h"

#include <QApplication>
#include <QColor>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <QSvgRenderer>
#include <QTabWidget>
#include <QTextStream>
#include <QTreeWidget>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <cstdio>
#include <map>
#include <set>
#include <vector>

using namespace mohr;

namespace {

constexpr int Scale = 4;
// The page and the twin draw the glyphs of texts in this colour, which matches any ink: the browser and
// Qt shape letters differently, and the raster's letters are its own.
constexpr Colour Glyph = 0x563412;
const QList<Colour> Inks = {colours::Black, colours::Maroon, colours::Green, colours::Navy,    colours::Teal,
                            colours::Gray,  colours::Silver, colours::Red,   colours::Fuchsia, colours::Aqua};

// One drawing operation as the panel met it.
struct TDrawn {
    QString Op;
    TDrawState Start;
    // Its SVG document, made the first time it is needed: a drawing stays on its panel for many actions.
    QByteArray Svg;
};

// What each panel has received since it was last erased.
class TTwin : public TDrawObserver {
public:
    explicit TTwin(TFigures& figures) : figures_(figures) { figures_.DrawObserver = this; }
    ~TTwin() override { figures_.DrawObserver = nullptr; }

    std::map<bool, std::vector<TDrawn>> Drawn; // by "is the element panel"

    void Drawing(const QString& op) override {
        const bool element = IsElementOperation(op);
        TCanvas& c = element ? figures_.ElementCanvas() : figures_.DiagramCanvas();
        Drawn[element].push_back({op,
                                  {c.Pen, c.Brush, c.Font, c.PenPos(), *figures_.SavedPen(),
                                   *figures_.SavedBrush(), figures_.EnglishMode},
                                  {}});
    }

private:
    TFigures& figures_;
};

// One operation's vector drawing as an SVG document, its texts in the glyph colour and the first of their
// families: Qt's SVG renderer reads the list of fallbacks as one name and would fall back further.
QByteArray OperationSvg(const TDrawn& drawn, QSize size) {
    const QByteArray svg = DrawOperationSvg(size, drawn.Op, drawn.Start);
    QByteArray out;
    QXmlStreamReader reader(svg);
    QXmlStreamWriter writer(&out);
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("text")) {
            writer.writeStartElement(reader.namespaceUri().toString(), reader.name().toString());
            for (const QXmlStreamAttribute& a : reader.attributes())
                if (a.name() != QLatin1String("fill"))
                    writer.writeAttribute(a);
            writer.writeAttribute(QStringLiteral("fill"), QColor(ToRgb(Glyph)).name());
        } else if (reader.isStartElement() &&
                   reader.attributes().hasAttribute(QStringLiteral("font-family"))) {
            writer.writeStartElement(reader.namespaceUri().toString(), reader.name().toString());
            for (const QXmlStreamAttribute& a : reader.attributes())
                writer.writeAttribute(a.qualifiedName().toString(),
                                      a.name() == QLatin1String("font-family")
                                          ? a.value().toString().section(QLatin1Char(','), 0, 0)
                                          : a.value().toString());
        } else if (!reader.isStartDocument() && !reader.isDTD())
            writer.writeCurrentToken(reader);
    }
    return out;
}

// The operations drawn one over the other, four times as large, as the page appends them.
QImage Render(const std::vector<QByteArray>& svgs, QSize size) {
    QImage image(size * Scale, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (const QByteArray& svg : svgs)
        QSvgRenderer(svg).render(&painter, QRectF(QPointF(0, 0), size * Scale));
    return image;
}

// The two panels, diagram first (TPaintBox has no meta-object of its own: found by name).
std::vector<TPaintBox*> Panels(TMainForm& form) {
    return {static_cast<TPaintBox*>(form.findChild<QWidget*>(QStringLiteral("PaintBox1"))),
            static_cast<TPaintBox*>(form.findChild<QWidget*>(QStringLiteral("PaintBox2")))};
}

// Lets pending refreshes of the panels that are showing be painted.
void Settle(TMainForm& form) {
    QElapsedTimer timer;
    timer.start();
    do {
        QApplication::processEvents();
        bool pending = false;
        for (TPaintBox* p : Panels(form))
            pending |= p->isVisible() && p->RefreshPending();
        if (!pending)
            return;
    } while (timer.elapsed() < 5000);
}

int Walk(const QString& dir) {
    TQuietPlatform platform;
    TMainForm form(&platform);
    form.show();
    TTwin twin(form.Figures());
    // A panel's erase comes right before its replay: what it had received is gone.
    for (TPaintBox* panel : Panels(form)) {
        const bool element = panel->objectName() == QLatin1String("PaintBox2");
        panel->OnPaint = [&twin, element, replay = panel->OnPaint] {
            twin.Drawn[element].clear();
            replay();
        };
    }
    Settle(form);
    auto* pages = form.findChild<QTabWidget*>(QStringLiteral("PageControl1"));
    QFile manifest(QDir(dir).filePath(QStringLiteral("manifest")));
    if (!manifest.open(QIODevice::WriteOnly | QIODevice::Text))
        return 2;
    QTextStream out(&manifest);
    std::set<QByteArray> written;
    QTextStream in(stdin);
    for (int index = 0; !in.atEnd(); ++index) {
        const QStringList action = in.readLine().split(QLatin1Char(' '));
        const QString& verb = action.value(0);
        if (verb == QLatin1String("step")) {
            const bool english = form.Figures().EnglishMode != 0;
            auto* tree = form.findChild<QTreeWidget*>(english ? QStringLiteral("TreeViewUK")
                                                              : QStringLiteral("TreeView1"));
            QTreeWidgetItem* row = nullptr;
            int n = action.value(1).toInt();
            for (QTreeWidgetItemIterator it(tree); *it && !row; ++it)
                if (n-- == 0)
                    row = *it;
            tree->setCurrentItem(row);
            english ? form.TreeViewUKClick() : form.TreeView1Click();
        } else if (verb == QLatin1String("restart"))
            form.SpeedButton2Click();
        else if (verb == QLatin1String("language"))
            form.SpeedButton4Click();
        else if (verb == QLatin1String("grid"))
            action.value(1) == QLatin1String("on") ? form.ON1Click() : form.OFF1Click();
        else if (verb == QLatin1String("page"))
            pages->setCurrentIndex(action.value(1).toInt() - 1);
        Settle(form);
        if (pages->currentIndex() != 0)
            continue;
        for (TPaintBox* panel : Panels(form)) {
            const bool element = panel->objectName() == QLatin1String("PaintBox2");
            const QImage raster = panel->LogicalImage();
            std::vector<QByteArray> svgs;
            QCryptographicHash hash(QCryptographicHash::Sha1);
            hash.addData(QByteArrayView(raster.constBits(), raster.sizeInBytes()));
            for (TDrawn& drawn : twin.Drawn[element]) {
                if (drawn.Svg.isEmpty())
                    drawn.Svg = OperationSvg(drawn, raster.size());
                svgs.push_back(drawn.Svg);
                hash.addData(svgs.back());
            }
            const QByteArray key = hash.result().toHex().left(16);
            if (written.insert(key).second) {
                raster.save(QDir(dir).filePath(QString::fromLatin1(key + "-raster.png")));
                Render(svgs, raster.size()).save(QDir(dir).filePath(QString::fromLatin1(key + "-twin.png")));
            }
            out << index << ' ' << panel->objectName() << ' ' << key << '\n';
        }
    }
    return 0;
}

// A capture as inks: each pixel the index of its ink in Inks, or Blend, White or GlyphInk. A pixel counts
// as ink only where its ink fills a square of 2 x 2 pixels with it: the thinnest line is four pixels
// wide here, and an edge's blend can happen to have an ink's colour (gray half over white is silver).
constexpr int White = -1, Blend = -2, GlyphInk = -3;
struct TInks {
    explicit TInks(const QImage& picture) {
        const QImage image = picture.convertToFormat(QImage::Format_RGB32);
        Width = image.width();
        Height = image.height();
        Ink.assign(std::size_t(Width) * std::size_t(Height), White);
        for (int y = 0; y < Height; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
            for (int x = 0; x < Width; ++x) {
                const QRgb p = line[x];
                const Colour c = Colour(qRed(p)) | Colour(qGreen(p)) << 8 | Colour(qBlue(p)) << 16;
                const int ink = int(Inks.indexOf(c));
                Ink[Index(x, y)] = c == colours::White ? White
                                   : c == Glyph        ? GlyphInk
                                   : ink < 0           ? Blend
                                                       : ink;
            }
        }
        std::vector<int> solid(Ink.size(), Blend);
        for (int y = 0; y + 1 < Height; ++y)
            for (int x = 0; x + 1 < Width; ++x) {
                const int c = At(x, y);
                if (c >= 0 && At(x + 1, y) == c && At(x, y + 1) == c && At(x + 1, y + 1) == c)
                    for (int dy = 0; dy <= 1; ++dy)
                        for (int dx = 0; dx <= 1; ++dx)
                            solid[Index(x + dx, y + dy)] = c;
            }
        for (std::size_t i = 0; i < Ink.size(); ++i)
            if (Ink[i] >= 0)
                Ink[i] = solid[i];
    }
    std::size_t Index(int x, int y) const { return std::size_t(y) * std::size_t(Width) + std::size_t(x); }
    int At(int x, int y) const { return Ink[Index(x, y)]; }
    // The ink, or a glyph, within `reach` pixels.
    bool Near(int x, int y, int ink, int reach) const {
        for (int v = std::max(0, y - reach); v <= std::min(Height - 1, y + reach); ++v)
            for (int u = std::max(0, x - reach); u <= std::min(Width - 1, x + reach); ++u)
                if (At(u, v) == ink || At(u, v) == GlyphInk)
                    return true;
        return false;
    }
    int Width = 0, Height = 0;
    std::vector<int> Ink;
};

// Each ink pixel of `a` has its ink, or a glyph, within `reach` pixels in `b`; or `b` is right there at
// an edge (a blend), or has another ink there that `a` has within reach too: where one ink's edge lies
// over another, the two renderers smooth it a pixel apart.
QString Covered(const TInks& a, const TInks& b, int reach, const char* what) {
    for (int y = 0; y < a.Height; ++y)
        for (int x = 0; x < a.Width; ++x) {
            const int ink = a.At(x, y);
            if (ink < 0 || b.Near(x, y, ink, reach))
                continue;
            const int over = b.At(x, y);
            if (over == Blend || (over >= 0 && a.Near(x, y, over, reach)))
                continue;
            return QStringLiteral("%1 ink %2 at (%3, %4) in panel pixels")
                .arg(QLatin1String(what))
                .arg(Inks[ink], 6, 16, QLatin1Char('0'))
                .arg(double(x) / Scale)
                .arg(double(y) / Scale);
        }
    return {};
}

// The capture with only its counted inks, the rest a blend, for the comparison with the raster.
QImage InkOnly(const QImage& picture, const TInks& inks) {
    QImage out = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < inks.Height; ++y)
        for (int x = 0; x < inks.Width; ++x)
            if (inks.At(x, y) == Blend)
                out.setPixel(x, y, qRgb(0xfe, 0xfe, 0xfe));
    return out;
}

int Compare(const QString& list) {
    QFile file(list);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return 100;
    int failing = 0, againstRaster = 0, twinOnly = 0;
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QStringList paths = in.readLine().split(QLatin1Char(' '));
        if (paths.size() != 3)
            continue;
        const QImage pageCapture(paths[0]);
        const QImage raster(paths[1]);
        const QImage twinDrawing(paths[2]);
        QStringList problems;
        if (pageCapture.size() != twinDrawing.size())
            problems << QStringLiteral("the page's panel is %1 x %2")
                            .arg(pageCapture.width())
                            .arg(pageCapture.height());
        else {
            const TInks page(pageCapture), twin(twinDrawing);
            // Texts: as many glyph pixels, give or take the two renderers' letter shapes.
            const auto glyphs = [](const TInks& i) {
                return std::count(i.Ink.begin(), i.Ink.end(), GlyphInk);
            };
            const auto p = glyphs(page), t = glyphs(twin);
            if (p < t * 0.6 || p > t * 1.6 + 50)
                problems << QStringLiteral("%1 glyph pixels on the page, %2 in the twin").arg(p).arg(t);
            for (const QString& m :
                 {Covered(twin, page, 3, "the twin's"), Covered(page, twin, 3, "the page's")})
                if (!m.isEmpty())
                    problems << m;
            const QImage pageInks = InkOnly(pageCapture, page), twinInks = InkOnly(twinDrawing, twin);
            // Inks that none of the three has need no look.
            std::vector<bool> present(std::size_t(Inks.size()), false);
            for (const TInks* i : {&page, &twin})
                for (int ink : i->Ink)
                    if (ink >= 0)
                        present[std::size_t(ink)] = true;
            const QImage rasterPixels = raster.convertToFormat(QImage::Format_RGB32);
            for (int y = 0; y < rasterPixels.height(); ++y)
                for (int x = 0; x < rasterPixels.width(); ++x)
                    if (const qsizetype ink = Inks.indexOf(test::PixelAt(rasterPixels, x, y)); ink >= 0)
                        present[std::size_t(ink)] = true;
            for (Colour ink : Inks) {
                if (!present[std::size_t(Inks.indexOf(ink))])
                    continue;
                const QRect all = raster.rect();
                if (test::VectorRasterMismatch(raster, twinInks, Scale, all, {ink}, 0.75, Glyph).isEmpty()) {
                    ++againstRaster;
                    const QString m =
                        test::VectorRasterMismatch(raster, pageInks, Scale, all, {ink}, 0.75, Glyph);
                    if (!m.isEmpty())
                        problems << QStringLiteral("against the raster, ink %1: %2")
                                        .arg(ink, 6, 16, QLatin1Char('0'))
                                        .arg(m);
                } else {
                    ++twinOnly;
                    if (qEnvironmentVariableIsSet("MOHRWALK_WEB_WHY"))
                        std::printf("twin only, ink %06x in %s: %s\n", ink, qPrintable(paths[2]),
                                    qPrintable(test::VectorRasterMismatch(raster, twinInks, Scale, all, {ink},
                                                                          0.75, Glyph)));
                }
            }
        }
        if (!problems.isEmpty()) {
            ++failing;
            std::printf("FAIL %s: %s\n", qPrintable(paths[0]),
                        qPrintable(problems.join(QStringLiteral("; "))));
        }
    }
    std::printf("inks held to the raster: %d; to the twin only: %d\n", againstRaster, twinOnly);
    return std::min(failing, 100);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("walk"))
        return Walk(args[2]);
    if (args.size() == 3 && args[1] == QLatin1String("compare"))
        return Compare(args[2]);
    std::fprintf(stderr, "usage: web_oracle walk DIR < ACTIONS | web_oracle compare LIST\n");
    return 2;
}
