#include "exporter/figureexport.h"

#include "app/main.h"
#include "app/paintbox.h"
#include "app/platform.h"
#include "figures/figures.h"
#include "walkthrough/progression.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTreeWidget>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace mohr {

namespace {

// The desktop services of the main window, answered at once and silently: the export runs unattended.
// A refusal of a step would mean the walk went wrong, so it is remembered.
class TQuietPlatform : public TPlatform {
public:
    void MessageBeep() override {}
    int PrimaryScreenWidth() override { return 1024; }
    int ExecModal(QDialog*) override { return 0; }
    void Information(QWidget*, const QString& text) override { Refusal = text; }
    void Popup(QMenu*, QPoint) override {}

    QString Refusal;
};

// Lets the window handle what the last click left pending, so the panels show what a student sees:
// a refreshed panel has been cleared and replayed.
void Settle(TPaintBox& element, TPaintBox& diagram) {
    QApplication::processEvents();
    for (TPaintBox* box : {&element, &diagram}) {
        if (box->RefreshPending())
            box->repaint();
    }
}

void CopyDrawingState(TCanvas& from, TCanvas& to) {
    to.Pen = from.Pen;
    to.Brush = from.Brush;
    to.Font = from.Font;
}

// Draws both panels again on other devices, through the program's own figure code, as a repaint of
// the panels would draw them now: starting from the panels' current pen, brush and font and replaying
// every layer that is set. The axis parts that the coordinate-system nodes draw before the vertical
// axis exists are on the student's panel although no layer records them; they are drawn as well, so
// that the lecturer's figure shows the same picture.
void Replay(TPaintBox& elementBox, TPaintBox& diagramBox, const TFigures& live, bool axisPartsShown,
            QPaintDevice* elementDevice, QPaintDevice* diagramDevice) {
    TCanvas element(elementDevice, elementBox.Canvas().LogicalSize());
    TCanvas diagram(diagramDevice, diagramBox.Canvas().LogicalSize());
    CopyDrawingState(elementBox.Canvas(), element);
    CopyDrawingState(diagramBox.Canvas(), diagram);

    TFigures figures(element, diagram);
    figures.FigureLayers = live.FigureLayers;
    figures.ElementOptions = live.ElementOptions;
    figures.EnglishMode = live.EnglishMode;
    figures.CreateSaveSlot();

    element.EraseForRepaint(elementBox.PanelFont());
    figures.PaintBox2Paint();

    diagram.EraseForRepaint(diagramBox.PanelFont());
    if (axisPartsShown && !figures.FigureLayers.DiagramAxes) {
        figures.DrawDiagramAxes(1);
        figures.DrawDiagramAxes(2);
    }
    figures.PaintBox1Paint();
    figures.FreeSaveSlot();
}

// Passes every painter session that the canvas opens (one per primitive) on to one painter that
// stays open on the real target from the first primitive to the last: a vector document would
// otherwise be finished, and started again, by every primitive.
class TForwardingEngine : public QPaintEngine {
public:
    explicit TForwardingEngine(QPainter& target) : QPaintEngine(AllFeatures), target_(target) {}

    // Every session starts from a fresh painter's state, as it would on a device of its own: the
    // source painter only reports what it changes from its defaults.
    bool begin(QPaintDevice*) override {
        target_.restore();
        target_.save();
        return target_.isActive();
    }
    bool end() override { return true; }
    Type type() const override { return User; }

    // Clipping is left out: the canvas clips only to the panel, which the target's own bounds do as
    // well, and a vector target that cannot clip would drop clipped text.
    void updateState(const QPaintEngineState& state) override {
        const DirtyFlags dirty = state.state();
        if (dirty & DirtyPen)
            target_.setPen(state.pen());
        if (dirty & DirtyBrush)
            target_.setBrush(state.brush());
        if (dirty & DirtyBrushOrigin)
            target_.setBrushOrigin(state.brushOrigin());
        if (dirty & DirtyBackground)
            target_.setBackground(state.backgroundBrush());
        if (dirty & DirtyBackgroundMode)
            target_.setBackgroundMode(state.backgroundMode());
        if (dirty & DirtyFont)
            target_.setFont(state.font());
        if (dirty & DirtyTransform)
            target_.setTransform(state.transform());
        if (dirty & DirtyHints)
            target_.setRenderHints(state.renderHints(), true);
        if (dirty & DirtyCompositionMode)
            target_.setCompositionMode(state.compositionMode());
        if (dirty & DirtyOpacity)
            target_.setOpacity(state.opacity());
    }

    void drawRects(const QRect* rects, int count) override { target_.drawRects(rects, count); }
    void drawRects(const QRectF* rects, int count) override { target_.drawRects(rects, count); }
    void drawLines(const QLine* lines, int count) override { target_.drawLines(lines, count); }
    void drawLines(const QLineF* lines, int count) override { target_.drawLines(lines, count); }
    void drawEllipse(const QRectF& rect) override { target_.drawEllipse(rect); }
    void drawEllipse(const QRect& rect) override { target_.drawEllipse(rect); }
    void drawPath(const QPainterPath& path) override { target_.drawPath(path); }
    void drawPoints(const QPointF* points, int count) override { target_.drawPoints(points, count); }
    void drawPoints(const QPoint* points, int count) override { target_.drawPoints(points, count); }
    void drawPolygon(const QPointF* points, int count, PolygonDrawMode mode) override {
        if (mode == PolylineMode)
            target_.drawPolyline(points, count);
        else
            target_.drawPolygon(points, count, mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
    }
    void drawPolygon(const QPoint* points, int count, PolygonDrawMode mode) override {
        if (mode == PolylineMode)
            target_.drawPolyline(points, count);
        else
            target_.drawPolygon(points, count, mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill);
    }
    void drawPixmap(const QRectF& rect, const QPixmap& pixmap, const QRectF& source) override {
        target_.drawPixmap(rect, pixmap, source);
    }
    void drawTiledPixmap(const QRectF& rect, const QPixmap& pixmap, const QPointF& offset) override {
        target_.drawTiledPixmap(rect, pixmap, offset);
    }
    void drawImage(const QRectF& rect, const QImage& image, const QRectF& source,
                   Qt::ImageConversionFlags flags) override {
        target_.drawImage(rect, image, source, flags);
    }
    void drawTextItem(const QPointF& point, const QTextItem& text) override {
        target_.drawTextItem(point, text);
    }

private:
    QPainter& target_;
};

// The device the canvas draws on for a vector target: it measures like the target and paints
// through the forwarding engine.
class TJoinedDevice : public QPaintDevice {
public:
    // The painter must be active on the target and stay so while this device lives.
    TJoinedDevice(QPaintDevice& target, QPainter& painter)
        : target_(target), painter_(painter), engine_(painter) {
        painter_.save();
    }
    ~TJoinedDevice() override { painter_.restore(); }
    TJoinedDevice(const TJoinedDevice&) = delete;
    TJoinedDevice& operator=(const TJoinedDevice&) = delete;
    QPaintEngine* paintEngine() const override { return &engine_; }

protected:
    int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth:
            return target_.width();
        case PdmHeight:
            return target_.height();
        case PdmWidthMM:
            return target_.widthMM();
        case PdmHeightMM:
            return target_.heightMM();
        case PdmNumColors:
            return target_.colorCount();
        case PdmDepth:
            return target_.depth();
        case PdmDpiX:
            return target_.logicalDpiX();
        case PdmDpiY:
            return target_.logicalDpiY();
        case PdmPhysicalDpiX:
            return target_.physicalDpiX();
        case PdmPhysicalDpiY:
            return target_.physicalDpiY();
        case PdmDevicePixelRatio:
            return target_.devicePixelRatio();
        case PdmDevicePixelRatioScaled:
            return static_cast<int>(target_.devicePixelRatioF() * devicePixelRatioFScale());
        }
        return 0;
    }

private:
    QPaintDevice& target_;
    QPainter& painter_;
    mutable TForwardingEngine engine_;
};

QImage WhiteImage(QSize logicalSize, int ratio) {
    QImage image(logicalSize * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    return image;
}

struct TSvgTarget {
    explicit TSvgTarget(QSize size, const QString& title) : Buffer(&Bytes) {
        Buffer.open(QIODevice::WriteOnly);
        Generator.setOutputDevice(&Buffer);
        Generator.setSize(size);
        Generator.setViewBox(QRect(QPoint(0, 0), size));
        Generator.setResolution(96);
        Generator.setTitle(title);
    }
    QByteArray Bytes;
    QBuffer Buffer;
    QSvgGenerator Generator;
};

} // namespace

QString WalkThroughSteps(TStepLanguage language, const std::function<void(const TStepFigures&)>& sink) {
    TQuietPlatform platform;
    TMainForm form(&platform);
    form.show();

    const bool english = language == TStepLanguage::English;
    auto* tree =
        form.findChild<QTreeWidget*>(english ? QStringLiteral("TreeViewUK") : QStringLiteral("TreeView1"));
    auto* elementBox = form.findChild<TPaintBox*>(QStringLiteral("PaintBox2"));
    auto* diagramBox = form.findChild<TPaintBox*>(QStringLiteral("PaintBox1"));
    if (!tree || !elementBox || !diagramBox)
        return QStringLiteral("The main window has no step tree or drawing panels to take the figures from.");
    Settle(*elementBox, *diagramBox);
    if (english) {
        form.SpeedButton4Click();
        Settle(*elementBox, *diagramBox);
    }

    const QString panelTitle =
        english ? QStringLiteral("%1 panel after step %2: %3") : QStringLiteral("%1 na stap %2: %3");
    for (int index = 0;; ++index) {
        QTreeWidgetItem* node = NodeAt(tree, index);
        if (!node)
            break;
        tree->setCurrentItem(node);
        if (english)
            form.TreeViewUKClick();
        else
            form.TreeView1Click();
        if (!platform.Refusal.isEmpty())
            return QStringLiteral("Step %1 was refused: %2").arg(index).arg(platform.Refusal);
        Settle(*elementBox, *diagramBox);

        TStepFigures step;
        step.Index = index;
        step.Level = NodeLevel(node);
        step.Text = node->text(0).remove(StepMark);
        step.Element = elementBox->LogicalImage();
        step.Diagram = diagramBox->LogicalImage();

        // From the coordinate-system node (3) on, its axis parts are on the panel; the vertical-axis
        // node (5) is the first to record them in a layer.
        const bool axisPartsShown = index >= 3;
        const QSize elementSize = elementBox->Canvas().LogicalSize();
        const QSize diagramSize = diagramBox->Canvas().LogicalSize();
        step.Element2x = WhiteImage(elementSize, 2);
        step.Diagram2x = WhiteImage(diagramSize, 2);
        Replay(*elementBox, *diagramBox, form.Figures(), axisPartsShown, &step.Element2x, &step.Diagram2x);

        {
            TSvgTarget element(elementSize,
                               panelTitle.arg(QStringLiteral("Element")).arg(index).arg(step.Text));
            TSvgTarget diagram(
                diagramSize,
                panelTitle.arg(english ? QStringLiteral("Mohr circle") : QStringLiteral("Tensorkring"))
                    .arg(index)
                    .arg(step.Text));
            {
                QPainter elementPainter(&element.Generator);
                QPainter diagramPainter(&diagram.Generator);
                TJoinedDevice elementDevice(element.Generator, elementPainter);
                TJoinedDevice diagramDevice(diagram.Generator, diagramPainter);
                Replay(*elementBox, *diagramBox, form.Figures(), axisPartsShown, &elementDevice,
                       &diagramDevice);
            }
            element.Buffer.close();
            diagram.Buffer.close();
            step.ElementSvg = element.Bytes;
            step.DiagramSvg = diagram.Bytes;
        }
        sink(step);
    }
    form.hide();
    return {};
}

namespace {

bool IsEmptyFolder(const QString& path) {
    return QDir(path).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The folder in which OUTDIR is made or replaced, and its final name.
QString ParentOf(const QString& outDir) {
    return QFileInfo(QFileInfo(outDir).absoluteFilePath()).absolutePath();
}

} // namespace

QString OutputFolderProblem(const QString& outDir) {
    if (outDir.isEmpty())
        return QStringLiteral("The output folder name is empty.");
    const QFileInfo info(outDir);
    if (info.exists() || info.isSymLink()) {
        if (!info.isDir())
            return QStringLiteral("%1 is not a folder.").arg(Native(outDir));
        if (!IsEmptyFolder(outDir))
            return QStringLiteral(
                       "The folder %1 is not empty; give a new or empty folder, so that nothing is "
                       "overwritten.")
                .arg(Native(outDir));
        if (::access(QFile::encodeName(outDir).constData(), W_OK | X_OK) != 0)
            return QStringLiteral("The folder %1 is not writable.").arg(Native(outDir));
    }
    const QFileInfo parent(ParentOf(outDir));
    if (!parent.isDir())
        return QStringLiteral("The folder %1, in which %2 would be made, does not exist.")
            .arg(Native(parent.filePath()), Native(outDir));
    if (::access(QFile::encodeName(parent.filePath()).constData(), W_OK | X_OK) != 0)
        return QStringLiteral("The folder %1 is not writable, so %2 cannot be written there.")
            .arg(Native(parent.filePath()), Native(outDir));
    return {};
}

namespace {

struct TIndexEntry {
    int Index;
    int Level;
    QString Text;
};

struct TLanguage {
    TStepLanguage Language;
    QString Code;
    QString Name;
    QString StepHeading;
    QString DiagramHeading;
};

const std::vector<TLanguage>& Languages() {
    static const std::vector<TLanguage> languages = {
        {TStepLanguage::Dutch, QStringLiteral("nl"), QStringLiteral("Nederlands"), QStringLiteral("Stap"),
         QStringLiteral("Tensorkring")},
        {TStepLanguage::English, QStringLiteral("en"), QStringLiteral("English"), QStringLiteral("Step"),
         QStringLiteral("Mohr circle")},
    };
    return languages;
}

QString StepName(int index) {
    return QStringLiteral("step-%1").arg(index, 2, 10, QLatin1Char('0'));
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes);
    return file.commit();
}

bool WritePng(const QString& path, const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return false;
    buffer.close();
    return WriteFile(path, bytes);
}

QString Html(const QString& text) {
    return text.toHtmlEscaped();
}

QString PanelCell(const QString& code, int index, const QString& panel, QSize size, const QString& alt) {
    const QString base = QStringLiteral("%1/%2-%3").arg(code, StepName(index), panel);
    return QStringLiteral("<td><a href=\"%1.svg\"><img src=\"%1.png\" srcset=\"%1.png 1x, %1@2x.png 2x\" "
                          "width=\"%2\" height=\"%3\" alt=\"%4\"></a></td>")
        .arg(base)
        .arg(size.width())
        .arg(size.height())
        .arg(Html(alt));
}

QByteArray IndexPage(const std::vector<std::pair<TLanguage, std::vector<TIndexEntry>>>& walks,
                     QSize elementSize, QSize diagramSize) {
    QString html;
    QTextStream page(&html);
    page << "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
         << "<title>mohrwalk: the figures of the walkthrough</title>\n<style>\n"
         << "body { font-family: sans-serif; margin: 2em; }\n"
         << "table { border-collapse: collapse; }\n"
         << "td, th { border: 1px solid #ccc; padding: 6px; vertical-align: top; text-align: left; }\n"
         << "td.step { min-width: 16em; }\n"
         << ".level1 { padding-left: 1.5em; } .level2 { padding-left: 3em; }\n"
         << "img { display: block; }\n</style>\n</head>\n<body>\n"
         << "<h1>The figures of the walkthrough</h1>\n"
         << "<p>Both panels after every step, in the order of the steps. Each picture links to its SVG; "
         << "the PNG files come at normal and at double resolution (@2x).</p>\n";
    page << "<ul>\n";
    for (const auto& [language, steps] : walks)
        page << "<li><a href=\"#" << language.Code << "\">" << Html(language.Name) << "</a></li>\n";
    page << "</ul>\n";
    for (const auto& [language, steps] : walks) {
        page << "<section id=\"" << language.Code << "\" lang=\"" << language.Code << "\">\n<h2>"
             << Html(language.Name) << "</h2>\n<table>\n"
             << "<tr><th>#</th><th>" << Html(language.StepHeading) << "</th><th>Element</th><th>"
             << Html(language.DiagramHeading) << "</th></tr>\n";
        for (const TIndexEntry& step : steps) {
            page << "<tr><td>" << step.Index << "</td><td class=\"step level" << step.Level << "\">"
                 << Html(step.Text) << "</td>"
                 << PanelCell(language.Code, step.Index, QStringLiteral("element"), elementSize, step.Text)
                 << PanelCell(language.Code, step.Index, QStringLiteral("diagram"), diagramSize, step.Text)
                 << "</tr>\n";
        }
        page << "</table>\n</section>\n";
    }
    page << "</body>\n</html>\n";
    page.flush();
    return html.toUtf8();
}

// The mode a new folder gets from the user's umask, for the finished output folder (the temporary
// folder is private while it is being written).
mode_t NewFolderMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0777 & ~mask;
}

} // namespace

int RunFigureExport(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    const QString usage = QStringLiteral("Usage: mohrwalk-figures OUTDIR");
    if (arguments.size() == 1 &&
        (arguments[0] == QLatin1String("--help") || arguments[0] == QLatin1String("-h"))) {
        out << usage << "\n"
            << "Writes both panels after every step of the walkthrough, in Dutch and in English, as PNG (at "
               "1x "
               "and 2x) and as SVG, with an index page, into the new or empty folder OUTDIR.\n";
        out.flush();
        return 0;
    }
    if (arguments.size() != 1) {
        err << usage << "\n";
        err.flush();
        return 2;
    }
    const QString outDir = arguments[0];
    if (const QString problem = OutputFolderProblem(outDir); !problem.isEmpty()) {
        err << "mohrwalk-figures: " << problem << "\n";
        err.flush();
        return 1;
    }

    // Everything is written into a temporary folder beside OUTDIR and moved into place at the end, so
    // OUTDIR never holds a partial set.
    const QString target = QFileInfo(outDir).absoluteFilePath();
    const QString parent = ParentOf(outDir);
    QTemporaryDir work(QDir(parent).filePath(QStringLiteral(".%1-XXXXXX").arg(QFileInfo(target).fileName())));
    if (!work.isValid()) {
        err << "mohrwalk-figures: The folder " << Native(parent) << " is not writable, so " << Native(outDir)
            << " cannot be written there.\n";
        err.flush();
        return 1;
    }
    const QDir folder(work.path());

    std::vector<std::pair<TLanguage, std::vector<TIndexEntry>>> walks;
    QSize elementSize;
    QSize diagramSize;
    int files = 0;
    QString failure;
    for (const TLanguage& language : Languages()) {
        if (!folder.mkpath(language.Code)) {
            failure =
                QStringLiteral("Could not make the folder %1.").arg(Native(folder.filePath(language.Code)));
            break;
        }
        std::vector<TIndexEntry> steps;
        const QString walkProblem = WalkThroughSteps(language.Language, [&](const TStepFigures& step) {
            if (!failure.isEmpty())
                return;
            out << language.Code << " " << QStringLiteral("%1/31").arg(step.Index + 1, 2) << "  " << step.Text
                << "\n";
            out.flush();
            elementSize = step.Element.size();
            diagramSize = step.Diagram.size();
            const QString base = folder.filePath(language.Code + QLatin1Char('/') + StepName(step.Index));
            const std::pair<QString, bool> written[] = {
                {base + QStringLiteral("-element.png"),
                 WritePng(base + QStringLiteral("-element.png"), step.Element)},
                {base + QStringLiteral("-element@2x.png"),
                 WritePng(base + QStringLiteral("-element@2x.png"), step.Element2x)},
                {base + QStringLiteral("-element.svg"),
                 WriteFile(base + QStringLiteral("-element.svg"), step.ElementSvg)},
                {base + QStringLiteral("-diagram.png"),
                 WritePng(base + QStringLiteral("-diagram.png"), step.Diagram)},
                {base + QStringLiteral("-diagram@2x.png"),
                 WritePng(base + QStringLiteral("-diagram@2x.png"), step.Diagram2x)},
                {base + QStringLiteral("-diagram.svg"),
                 WriteFile(base + QStringLiteral("-diagram.svg"), step.DiagramSvg)},
            };
            for (const auto& [path, ok] : written) {
                if (!ok && failure.isEmpty())
                    failure = QStringLiteral("Could not write %1.").arg(Native(path));
                files += ok ? 1 : 0;
            }
            steps.push_back({step.Index, step.Level, step.Text});
        });
        if (failure.isEmpty() && !walkProblem.isEmpty())
            failure = walkProblem;
        if (!failure.isEmpty())
            break;
        walks.emplace_back(language, std::move(steps));
    }
    if (failure.isEmpty()) {
        if (WriteFile(folder.filePath(QStringLiteral("index.html")),
                      IndexPage(walks, elementSize, diagramSize)))
            ++files;
        else
            failure = QStringLiteral("Could not write %1.")
                          .arg(Native(folder.filePath(QStringLiteral("index.html"))));
    }
    if (failure.isEmpty()) {
        ::chmod(QFile::encodeName(work.path()).constData(), NewFolderMode());
        // rename() replaces an empty folder in one step and refuses one that filled up meanwhile.
        if (::rename(QFile::encodeName(work.path()).constData(), QFile::encodeName(target).constData()) == 0)
            work.setAutoRemove(false);
        else if (errno == ENOTEMPTY || errno == EEXIST)
            failure =
                QStringLiteral("The folder %1 is not empty; give a new or empty folder, so that nothing is "
                               "overwritten.")
                    .arg(Native(outDir));
        else
            failure = QStringLiteral("Could not move the figures into %1: %2.")
                          .arg(Native(outDir), QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (!failure.isEmpty()) {
        err << "mohrwalk-figures: " << failure << " Nothing was written.\n";
        err.flush();
        return 1;
    }
    out << "Wrote " << files << " files to " << Native(outDir) << "; open "
        << Native(QDir(outDir).filePath(QStringLiteral("index.html"))) << ".\n";
    out.flush();
    return 0;
}

} // namespace mohr
