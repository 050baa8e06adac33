#include "exporter/walk.h"

#include "app/main.h"
#include "app/paintbox.h"
#include "walkthrough/progression.h"

#include <QApplication>
#include <QBuffer>
#include <QGroupBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QSvgGenerator>
#include <QTreeWidget>

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
        if (!platform.Refusal.isEmpty())
            return QStringLiteral("Step %1 was refused: %2").arg(index + 1).arg(platform.Refusal);
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

} // namespace mohr
