#pragma once

#include "walkthrough/dispatch.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <functional>

class QTextStream;

namespace mohr {

// The two panels after one step of the walkthrough, as a lecturer gets them.
struct TStepFigures {
    int Index = 0; // absolute index of the step's node, 0 to 30
    int Level = 0; // 0 topic, 1 step, 2 sub-step
    QString Text;  // the node's text without the completion mark
    // Exactly what the program's panels show after the step.
    QImage Element;
    QImage Diagram;
    // The same figures drawn again through the canvas at twice the resolution and as vector graphics.
    QImage Element2x;
    QImage Diagram2x;
    QByteArray ElementSvg;
    QByteArray DiagramSvg;
};

// Takes every step of the walkthrough in order, in a main window of its own on the current platform
// (no dialogs, no beeps), and hands the figures after each step to `sink`. Returns an empty string, or
// a sentence saying why the walk could not be completed.
QString WalkThroughSteps(TStepLanguage language, const std::function<void(const TStepFigures&)>& sink);

// Empty when the figures can be written to `outDir`, otherwise one sentence saying why not.
QString OutputFolderProblem(const QString& outDir);

// The whole program `mohrwalk-figures OUTDIR`: progress goes to `out`, a refusal or failure to `err`.
// Returns the process exit code.
int RunFigureExport(const QStringList& arguments, QTextStream& out, QTextStream& err);

} // namespace mohr
