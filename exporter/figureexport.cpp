#include "exporter/figureexport.h"
#include "exporter/handout.h"

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
#include <QGroupBox>
#include <QPainter>
#include <QPlainTextEdit>
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

// The state a repaint of the panel starts from, taken from the live panel.
TPanelStart StartOf(TPaintBox& box) {
    TCanvas& canvas = box.Canvas();
    return {canvas.LogicalSize(), canvas.Pen, canvas.Brush, canvas.Font, box.PanelFont()};
}

void Begin(TCanvas& canvas, const TPanelStart& start) {
    canvas.Pen = start.Pen;
    canvas.Brush = start.Brush;
    canvas.Font = start.Font;
    canvas.EraseForRepaint(start.PanelFont);
}

QImage WhiteImage(QSize logicalSize, int ratio) {
    QImage image(logicalSize * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    return image;
}

// One panel as an SVG document, drawn as true shapes.
QByteArray PanelSvg(const TPanelsState& state, bool element, const QString& title) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const QSize size = element ? state.Element.Size : state.Diagram.Size;
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setResolution(96);
    generator.setTitle(title);
    generator.setDescription(QStringLiteral("mohrwalk-figures"));
    {
        QPainter painter(&generator);
        TCanvas canvas(painter, size);
        DrawPanels(state, element ? &canvas : nullptr, element ? nullptr : &canvas);
    }
    buffer.close();
    return bytes;
}

// The node's text and its ancestors', from the topic down.
QString PathOf(const QTreeWidgetItem* node) {
    QStringList texts;
    for (; node; node = node->parent())
        texts.prepend(node->text(0).remove(StepMark));
    return texts.join(QStringLiteral(" \u203A "));
}

int CountNodes(const QTreeWidget* tree) {
    int count = 0;
    while (NodeAt(tree, count))
        ++count;
    return count;
}

} // namespace

void DrawPanels(const TPanelsState& state, TCanvas* element, TCanvas* diagram) {
    TCanvas none(nullptr, QSize());
    TFigures figures(element ? *element : none, diagram ? *diagram : none);
    figures.FigureLayers = state.Layers;
    figures.ElementOptions = state.Options;
    figures.EnglishMode = state.EnglishMode;
    figures.CreateSaveSlot();
    if (element) {
        Begin(*element, state.Element);
        figures.PaintBox2Paint();
    }
    if (diagram) {
        Begin(*diagram, state.Diagram);
        if (state.AxisPartsShown && !figures.FigureLayers.DiagramAxes) {
            figures.DrawDiagramAxes(1);
            figures.DrawDiagramAxes(2);
        }
        figures.PaintBox1Paint();
    }
    figures.FreeSaveSlot();
}

QString WalkThroughSteps(TStepLanguage language, const std::function<void(const TStepFigures&)>& sink) {
    TQuietPlatform platform;
    TMainForm form(&platform);
    form.show();

    const bool english = language == TStepLanguage::English;
    auto* tree =
        form.findChild<QTreeWidget*>(english ? QStringLiteral("TreeViewUK") : QStringLiteral("TreeView1"));
    auto* elementBox = form.findChild<TPaintBox*>(QStringLiteral("PaintBox2"));
    auto* diagramBox = form.findChild<TPaintBox*>(QStringLiteral("PaintBox1"));
    auto* memo = form.findChild<QPlainTextEdit*>(QStringLiteral("Memo1"));
    auto* elementGroup = form.findChild<QGroupBox*>(QStringLiteral("GroupBox2"));
    auto* diagramGroup = form.findChild<QGroupBox*>(QStringLiteral("GroupBox3"));
    if (!tree || !elementBox || !diagramBox || !memo || !elementGroup || !diagramGroup)
        return QStringLiteral("The main window has no step tree, explanation box or drawing panels to take "
                              "the figures from.");
    Settle(*elementBox, *diagramBox);
    if (english) {
        form.SpeedButton4Click();
        Settle(*elementBox, *diagramBox);
    }
    const TPanelCaptions captions{elementGroup->title(), diagramGroup->title()};
    const int count = CountNodes(tree);

    const QString panelTitle =
        english ? QStringLiteral("%1 panel after step %2: %3") : QStringLiteral("%1 na stap %2: %3");
    for (int index = 0; index < count; ++index) {
        QTreeWidgetItem* node = NodeAt(tree, index);
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
        step.StepCount = count;
        step.Level = NodeLevel(node);
        step.Text = node->text(0).remove(StepMark);
        step.Path = PathOf(node);
        step.Explanation = memo->toPlainText();
        step.Captions = captions;
        step.Element = elementBox->LogicalImage();
        step.Diagram = diagramBox->LogicalImage();

        TPanelsState& state = step.Panels;
        state.Element = StartOf(*elementBox);
        state.Diagram = StartOf(*diagramBox);
        state.Layers = form.Figures().FigureLayers;
        state.Options = form.Figures().ElementOptions;
        state.EnglishMode = form.Figures().EnglishMode;
        // From the coordinate-system node (3) on, its axis parts are on the panel; the vertical-axis
        // node (5) is the first to record them in a layer.
        state.AxisPartsShown = index >= 3;

        step.Element2x = WhiteImage(state.Element.Size, 2);
        step.Diagram2x = WhiteImage(state.Diagram.Size, 2);
        {
            TCanvas element(&step.Element2x, state.Element.Size);
            TCanvas diagram(&step.Diagram2x, state.Diagram.Size);
            DrawPanels(state, &element, &diagram);
        }
        step.ElementSvg =
            PanelSvg(state, true, panelTitle.arg(QStringLiteral("Element")).arg(index).arg(step.Text));
        step.DiagramSvg =
            PanelSvg(state, false,
                     panelTitle.arg(english ? QStringLiteral("Mohr circle") : QStringLiteral("Tensorkring"))
                         .arg(index)
                         .arg(step.Text));
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

// The folder that OUTDIR names, as an absolute path without a trailing separator ("out/" is "out", as
// shells complete it). A link to a folder stands for that folder: it is the folder that gets replaced.
QString TargetOf(const QString& outDir) {
    const QFileInfo info(QDir::cleanPath(QFileInfo(outDir).absoluteFilePath()));
    return info.isSymLink() && info.isDir() ? info.canonicalFilePath() : info.absoluteFilePath();
}

// The folder in which OUTDIR is made or replaced.
QString ParentOf(const QString& outDir) {
    return QFileInfo(TargetOf(outDir)).absolutePath();
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
    QString Explanation;
};

struct TLanguage {
    TStepLanguage Language;
    QString Code;
    QString Name;
    QString StepHeading;
    QString DiagramHeading;
    QString HandoutTitle;
    QString PageOf; // where a handout's page stands in the walk
};

const std::vector<TLanguage>& Languages() {
    static const std::vector<TLanguage> languages = {
        {TStepLanguage::Dutch, QStringLiteral("nl"), QStringLiteral("Nederlands"), QStringLiteral("Stap"),
         QStringLiteral("Tensorkring"), QStringLiteral("Tensorkring, stap voor stap"),
         QStringLiteral("Stap %1 van %2")},
        {TStepLanguage::English, QStringLiteral("en"), QStringLiteral("English"), QStringLiteral("Step"),
         QStringLiteral("Mohr circle"), QStringLiteral("Mohr\u2019s circle, step by step"),
         QStringLiteral("Step %1 of %2")},
    };
    return languages;
}

QString StepName(int index) {
    return QStringLiteral("step-%1").arg(index, 2, 10, QLatin1Char('0'));
}

QString HandoutName(const TLanguage& language) {
    return QStringLiteral("handout-%1.pdf").arg(language.Code);
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
         << "body { font-family: \"Liberation Sans\", Arial, Helvetica, sans-serif; margin: 2em; }\n"
         << "table { border-collapse: collapse; }\n"
         << "td, th { border: 1px solid #ccc; padding: 6px; vertical-align: top; text-align: left; }\n"
         << "td.step { width: 22em; }\n"
         << ".name { font-weight: bold; }\n"
         << ".level1 .name { padding-left: 1.5em; } .level2 .name { padding-left: 3em; }\n"
         << ".explanation { white-space: pre-line; margin: 0.5em 0 0 0; }\n"
         << "img { display: block; }\n</style>\n</head>\n<body>\n"
         << "<h1>The figures of the walkthrough</h1>\n"
         << "<p>Both panels after every step, in the order of the steps, beside the step's explanation. "
         << "Each picture links to its vector drawing (SVG); the PNG files come at normal and at double "
         << "resolution (@2x).</p>\n";
    page << "<p>Handouts to print, A4, one page per step (PDF):";
    const char* separator = " ";
    for (const auto& [language, steps] : walks) {
        page << separator << "<a href=\"" << HandoutName(language) << "\">" << Html(language.Name) << "</a>";
        separator = ", ";
    }
    page << ".</p>\n<ul>\n";
    for (const auto& [language, steps] : walks)
        page << "<li><a href=\"#" << language.Code << "\">" << Html(language.Name) << "</a></li>\n";
    page << "</ul>\n";
    for (const auto& [language, steps] : walks) {
        page << "<section id=\"" << language.Code << "\" lang=\"" << language.Code << "\">\n<h2>"
             << Html(language.Name) << "</h2>\n<p><a href=\"" << HandoutName(language) << "\">"
             << HandoutName(language) << "</a></p>\n<table>\n"
             << "<tr><th>#</th><th>" << Html(language.StepHeading) << "</th><th>Element</th><th>"
             << Html(language.DiagramHeading) << "</th></tr>\n";
        for (const TIndexEntry& step : steps) {
            page << "<tr><td>" << step.Index << "</td><td class=\"step level" << step.Level
                 << "\"><div class=\"name\">" << Html(step.Text) << "</div><p class=\"explanation\">"
                 << Html(step.Explanation) << "</p></td>"
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

QString Usage() {
    return QStringLiteral("Usage: mohrwalk-figures OUTDIR\n"
                          "       mohrwalk-figures --help | --version\n");
}

} // namespace

int RunFigureExport(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    // Options are refused before anything else, so that none is ever taken for a folder name.
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--help")) {
            out << Usage()
                << "\n"
                   "Writes both panels after every step of the walkthrough, in Dutch and in\n"
                   "English, into the new or empty folder OUTDIR: each as PNG (at 1x and 2x) and\n"
                   "as a vector drawing (SVG); a printable handout per language (handout-nl.pdf,\n"
                   "handout-en.pdf: A4, one page per step); and an index page (index.html).\n"
                   "\n"
                   "  --help     show this text and exit\n"
                   "  --version  show the version and exit\n";
            out.flush();
            return 0;
        }
        if (argument == QLatin1String("--version")) {
            out << "mohrwalk-figures " << MOHRWALK_VERSION << "\n";
            out.flush();
            return 0;
        }
        if (argument.startsWith(QLatin1Char('-'))) {
            err << "mohrwalk-figures: unknown option " << argument << "\n" << Usage();
            err.flush();
            return 2;
        }
    }
    if (arguments.size() != 1) {
        err << Usage();
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
    const QString target = TargetOf(outDir);
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
    const auto written = [&](const QString& path, bool ok) {
        if (!ok && failure.isEmpty())
            failure = QStringLiteral("Could not write %1.").arg(Native(path));
        files += ok ? 1 : 0;
    };
    for (const TLanguage& language : Languages()) {
        if (!folder.mkpath(language.Code)) {
            failure =
                QStringLiteral("Could not make the folder %1.").arg(Native(folder.filePath(language.Code)));
            break;
        }
        std::vector<TIndexEntry> steps;
        THandout handout(language.HandoutTitle, language.PageOf);
        const QString walkProblem = WalkThroughSteps(language.Language, [&](const TStepFigures& step) {
            if (!failure.isEmpty())
                return;
            out << language.Code << " " << QStringLiteral("%1/%2").arg(step.Index + 1, 2).arg(step.StepCount)
                << "  " << step.Text << "\n";
            out.flush();
            elementSize = step.Element.size();
            diagramSize = step.Diagram.size();
            const QString base = folder.filePath(language.Code + QLatin1Char('/') + StepName(step.Index));
            for (const auto& [suffix, image] :
                 {std::pair{"-element.png", &step.Element}, std::pair{"-element@2x.png", &step.Element2x},
                  std::pair{"-diagram.png", &step.Diagram}, std::pair{"-diagram@2x.png", &step.Diagram2x}})
                written(base + QLatin1String(suffix), WritePng(base + QLatin1String(suffix), *image));
            for (const auto& [suffix, svg] :
                 {std::pair{"-element.svg", &step.ElementSvg}, std::pair{"-diagram.svg", &step.DiagramSvg}})
                written(base + QLatin1String(suffix), WriteFile(base + QLatin1String(suffix), *svg));
            handout.AddPage(step);
            steps.push_back({step.Index, step.Level, step.Text, step.Explanation});
        });
        if (failure.isEmpty() && !walkProblem.isEmpty())
            failure = walkProblem;
        if (failure.isEmpty()) {
            const QByteArray pdf = handout.Finish();
            const QString path = folder.filePath(HandoutName(language));
            written(path, !pdf.isEmpty() && WriteFile(path, pdf));
        }
        if (!failure.isEmpty())
            break;
        walks.emplace_back(language, std::move(steps));
    }
    if (failure.isEmpty()) {
        const QString path = folder.filePath(QStringLiteral("index.html"));
        written(path, WriteFile(path, IndexPage(walks, elementSize, diagramSize)));
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
