#pragma once

#include "figures/canvas.h"

#include <QByteArray>
#include <QJsonObject>
#include <QSize>
#include <QString>
#include <QStringList>

namespace mohr {

// What a repaint and the drawing operations start from on the two panels, taken from the live window.
struct TWebPanels {
    QSize ElementSize;
    QSize DiagramSize;
    TPen ElementPen, DiagramPen;
    TBrush ElementBrush, DiagramBrush;
    TCanvasFont ElementFont, DiagramFont;
    QPoint ElementPos, DiagramPos;
    TCanvasFont ElementPanelFont, DiagramPanelFont;
};

class TFigures;

// Whether a drawing operation ("DrawCircle", "DrawFaceAxis(AE)", ...) draws on the element panel.
bool IsElementOperation(const QString& op);
// Runs one drawing operation, named as the draw observer names it, on the figures.
void RunDrawOperation(TFigures& figures, const QString& op);

// What a drawing operation finds when it begins, and leaves: its panel canvas's pen, brush, font and
// position, the shared save slot's pen and brush, and the language.
struct TDrawState {
    TPen Pen;
    TBrush Brush;
    TCanvasFont Font;
    QPoint Pos;
    TPen SlotPen;
    TBrush SlotBrush;
    int English = 0;
};
// One operation drawn alone on the vector canvas, from `start`, as an SVG document of a panel of `size`;
// `end`, when given, gets the state it leaves.
QByteArray DrawOperationSvg(QSize size, const QString& op, const TDrawState& start,
                            TDrawState* end = nullptr);

// The panels' drawing as the page replays it: every operation in `operations` (with the layer it sets,
// in `figures["ops"]`) drawn alone on the vector canvas from every canvas state and save-slot state it
// can meet, found by a closure from the start states through every operation and the repaint's erase,
// in both languages. Fills `start`, `erase`, `ops.<op>.panel`/`by`, `fragments`, `states`; returns an
// empty string or why it could not.
QString CollectWebFigures(const TWebPanels& panels, const QStringList& operations, QJsonObject& figures);

} // namespace mohr
