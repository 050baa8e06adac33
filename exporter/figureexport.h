#pragma once

#include "figures/canvas.h"
#include "figures/figures.h"
#include "walkthrough/dispatch.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>

class QTextStream;

namespace mohr {

// What a repaint of one panel starts from: its size, the canvas's pen, brush and font, and the font
// the repaint gives it.
struct TPanelStart {
    QSize Size;
    TPen Pen;
    TBrush Brush;
    TCanvasFont Font;
    TCanvasFont PanelFont;
};

// Everything both panels are drawn from after a step, so that they can be drawn again on any canvas.
struct TPanelsState {
    TPanelStart Element;
    TPanelStart Diagram;
    TFigureLayers Layers;
    TElementOptions Options;
    std::int32_t EnglishMode = 0;
    // The axis parts that the coordinate-system nodes draw before the vertical axis exists: on the
    // student's panel, though no layer records them.
    bool AxisPartsShown = false;
};

// Draws the panels again through the program's own figure code, as a repaint would draw them now:
// white, then every layer that is set, from the panels' pen, brush and font. A null canvas is skipped.
void DrawPanels(const TPanelsState& state, TCanvas* element, TCanvas* diagram);

// The captions of the panels' group boxes in the main window, in the walk's language.
struct TPanelCaptions {
    QString Element;
    QString Diagram;
};

// The two panels after one step of the walkthrough, as a lecturer gets them.
struct TStepFigures {
    int Index = 0;       // absolute index of the step's node, 0 to 30
    int StepCount = 0;   // how many steps the walk has
    int Level = 0;       // 0 topic, 1 step, 2 sub-step
    QString Text;        // the node's text without the completion mark
    QString Path;        // the texts from the topic down to the node, "tensorkring › assenstelsel"
    QString Explanation; // what the explanation box shows after the step
    TPanelCaptions Captions;
    // Exactly what the program's panels show after the step.
    QImage Element;
    QImage Diagram;
    // The same figures drawn again through the canvas at twice the resolution, and as vector drawings.
    QImage Element2x;
    QImage Diagram2x;
    QByteArray ElementSvg;
    QByteArray DiagramSvg;
    // What they are drawn from, to draw them on other canvases.
    TPanelsState Panels;
};

// Takes every step of the walkthrough in order, in a main window of its own on the current platform
// (no dialogs, no beeps), and hands the figures after each step to `sink`. Returns an empty string, or
// a sentence saying why the walk could not be completed.
QString WalkThroughSteps(TStepLanguage language, const std::function<void(const TStepFigures&)>& sink);

// The whole program `mohrwalk-figures OUTDIR`: progress goes to `out`, a refusal or failure to `err`.
// Returns the process exit code.
int RunFigureExport(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace mohr
