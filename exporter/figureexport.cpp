#include "exporter/figureexport.h"
#include "exporter/handout.h"
#include "exporter/interrupts.h"
#include "exporter/outputfolder.h"
#include "web/course.h"
#include "web/writer.h"

#include "app/main.h"
#include "app/paintbox.h"
#include "app/platform.h"
#include "app/quietplatform.h"
#include "figures/figures.h"
#include "walkthrough/progression.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QTextStream>
#include <QTreeWidget>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace mohr {

namespace {

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
        if (!platform.Informations.isEmpty())
            return QStringLiteral("Step %1 was refused: %2")
                .arg(index + 1)
                .arg(platform.Informations.first());
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
            PanelSvg(state, true, panelTitle.arg(QStringLiteral("Element")).arg(index + 1).arg(step.Text));
        step.DiagramSvg =
            PanelSvg(state, false,
                     panelTitle.arg(english ? QStringLiteral("Mohr circle") : QStringLiteral("Tensorkring"))
                         .arg(index + 1)
                         .arg(step.Text));
        sink(step);
    }
    form.hide();
    return {};
}

namespace {

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

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

// Empty, or the system's reason why the file could not be written.
QString WriteFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return {};
}

QString WritePng(const QString& path, const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return QStringLiteral("the picture could not be encoded");
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
         << "resolution (@2x).</p>\n"
         << "<p>The walkthrough itself, to take step by step in any browser (also opened from disk): "
         << "<a href=\"web/index.html\">web/index.html</a>.</p>\n"
         << "<p>The same walkthrough for a course's learning environment, which keeps each student's place "
         << "and sees who completed it (a SCORM 1.2 package, as Moodle, Canvas and the like import it): "
         << "<a href=\"mohrwalk-scorm12.zip\">mohrwalk-scorm12.zip</a>.</p>\n";
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
            page << "<tr><td>" << step.Index + 1 << "</td><td class=\"step level" << step.Level
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

QString Usage() {
    return QStringLiteral("Usage: mohrwalk-figures OUTDIR\n"
                          "       mohrwalk-figures --help | --version\n");
}

} // namespace

namespace {

// The help and version texts are the whole point of those calls: output that could not be written is a
// failure, and is said so.
int Answer(const QString& text, QTextStream& out, QTextStream& err) {
    out << text;
    out.flush();
    if (out.status() == QTextStream::Ok && std::fflush(stdout) == 0 && !std::ferror(stdout))
        return 0;
    err << "mohrwalk-figures: Could not write to the standard output: " << SystemReason(errno) << ".\n";
    err.flush();
    return 1;
}

// Labels drawn without a font are boxes: an export without one would succeed with nothing readable.
QString FontProblem() {
    const QFont font;
    if (QFontDatabase::families().isEmpty() || !QFontMetrics(font).inFont(QLatin1Char('S')))
        return QStringLiteral("No usable font is installed, so every label would be drawn as boxes; install "
                              "fonts-liberation2 or fonts-dejavu-core (and check FONTCONFIG_FILE).");
    return {};
}

} // namespace

int RunFigureExport(const QStringList& arguments, QTextStream& out, QTextStream& err) {
    // Options are refused before anything else, so that none is ever taken for a folder name; after
    // "--" every argument is a folder name, also one that begins with "-".
    QStringList folders;
    bool options = true;
    for (const QString& argument : arguments) {
        if (options && argument == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (options && argument == QLatin1String("--help"))
            return Answer(
                Usage() + QStringLiteral(
                              "\n"
                              "Writes both panels after every step of the walkthrough, in Dutch and in\n"
                              "English, into the new or empty folder OUTDIR: each as PNG (at 1x and 2x) and\n"
                              "as a vector drawing (SVG); a printable handout per language (handout-nl.pdf,\n"
                              "handout-en.pdf: A4, one page per step); the walkthrough as a web page\n"
                              "(web/index.html) and as a package for learning environments\n"
                              "(mohrwalk-scorm12.zip, SCORM 1.2); and an index page (index.html).\n"
                              "\n"
                              "  --help     show this text and exit\n"
                              "  --version  show the version and exit\n"
                              "  --         end of options: the next argument is OUTDIR, even if it\n"
                              "             begins with \"-\"\n"),
                out, err);
        if (options && argument == QLatin1String("--version"))
            return Answer(QStringLiteral("mohrwalk-figures " MOHRWALK_VERSION "\n"), out, err);
        if (options && argument.startsWith(QLatin1Char('-'))) {
            err << "mohrwalk-figures: unknown option " << argument << "\n" << Usage();
            err.flush();
            return 2;
        }
        folders << argument;
    }
    if (folders.size() != 1) {
        err << Usage();
        err.flush();
        return 2;
    }
    const QString outDir = folders[0];
    const auto refuse = [&](const QString& problem) {
        err << "mohrwalk-figures: " << problem << "\n";
        err.flush();
        return 1;
    };
    if (const QString problem = OutputFolderProblem(outDir); !problem.isEmpty())
        return refuse(problem);
    if (const QString problem = FontProblem(); !problem.isEmpty())
        return refuse(problem);

    TOutputFolder output;
    if (const QString problem = output.Open(outDir); !problem.isEmpty())
        return refuse(problem);
    const QDir folder(output.WorkPath());

    std::vector<std::pair<TLanguage, std::vector<TIndexEntry>>> walks;
    QSize elementSize;
    QSize diagramSize;
    int files = 0;
    QString failure;
    // A failure names the file as it would stand in OUTDIR, with the system's reason.
    const auto written = [&](const QString& path, const QString& problem) {
        if (!problem.isEmpty() && failure.isEmpty())
            failure = QStringLiteral("Could not write %1: %2.")
                          .arg(Native(QDir(outDir).filePath(folder.relativeFilePath(path))), problem);
        files += problem.isEmpty() ? 1 : 0;
    };
    for (const TLanguage& language : Languages()) {
        if (!folder.mkpath(language.Code)) {
            failure = QStringLiteral("Could not make the folder %1: %2.")
                          .arg(Native(QDir(outDir).filePath(language.Code)), SystemReason(errno));
            break;
        }
        std::vector<TIndexEntry> steps;
        THandout handout(language.HandoutTitle, language.PageOf);
        const QString walkProblem = WalkThroughSteps(language.Language, [&](const TStepFigures& step) {
            if (!failure.isEmpty() || InterruptSignal() != 0)
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
            HoldForTest(step.Index + 1);
        });
        if (failure.isEmpty() && !walkProblem.isEmpty())
            failure = walkProblem;
        if (failure.isEmpty() && InterruptSignal() == 0) {
            const QByteArray pdf = handout.Finish();
            const QString path = folder.filePath(HandoutName(language));
            written(path,
                    pdf.isEmpty() ? QStringLiteral("the document could not be made") : WriteFile(path, pdf));
        }
        if (!failure.isEmpty() || InterruptSignal() != 0)
            break;
        walks.emplace_back(language, std::move(steps));
    }
    if (failure.isEmpty() && InterruptSignal() == 0) {
        const QString path = folder.filePath(QStringLiteral("index.html"));
        written(path, WriteFile(path, IndexPage(walks, elementSize, diagramSize)));
    }
    TWebEdition edition;
    if (failure.isEmpty() && InterruptSignal() == 0)
        failure = WriteWebEdition(folder.filePath(QStringLiteral("web")), files, &edition);
    // The same page again, packed for learning environments.
    if (failure.isEmpty() && InterruptSignal() == 0) {
        const QString path = folder.filePath(QStringLiteral("mohrwalk-scorm12.zip"));
        written(path, WriteCoursePackage(edition, path));
    }
    if (failure.isEmpty()) {
        // Once the figures are moved into place, they are the result: a late signal waits until then.
        const TInterruptsHeld held;
        if (InterruptSignal() == 0)
            failure = output.Commit();
    }
    if (const int signal = InterruptSignal(); signal != 0 && failure.isEmpty() && !output.Committed()) {
        output.Discard();
        err << "mohrwalk-figures: Interrupted (" << InterruptName(signal) << "); nothing was written.\n";
        err.flush();
        return InterruptStatus(signal);
    }
    if (!failure.isEmpty()) {
        output.Discard();
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
