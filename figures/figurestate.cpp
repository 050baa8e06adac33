#include "figures/figures.h"

#include <QStringList>

namespace mohr {

std::array<bool*, TFigureLayers::Count> TFigureLayers::Fields() {
    return {&Element,      &FaceAxes,     &DiagramGrid,  &AxisDefinition,     &DiagramAxes,  &Circle,
            &PrincipalStresses, &PrincipalDirections, &NormalLineBC, &NormalLineED, &PointED, &PointBC,
            &CentreConstruction, &FaceAxisAE, &FaceAxisAB, &FaceAxisCD, &FacePointAE, &FacePointAB,
            &FacePointCD, &FaceSketchAE, &FaceSketchAB, &FaceSketchCD, &FinalStresses};
}

std::array<const bool*, TFigureLayers::Count> TFigureLayers::Fields() const {
    auto fields = const_cast<TFigureLayers*>(this)->Fields();
    std::array<const bool*, Count> result{};
    for (int i = 0; i < Count; ++i)
        result[i] = fields[i];
    return result;
}

TFigures::TFigures(TCanvas& elementCanvas, TCanvas& diagramCanvas)
    : element_(elementCanvas), diagram_(diagramCanvas) {}

TFigures::~TFigures() = default;

void TFigures::SetAllLayers(bool Value) {
    for (bool* field : FigureLayers.Fields())
        *field = Value;
}

void TFigures::SetElementOptions(bool Value) {
    ElementOptions.ShowGrid = Value;
    ElementOptions.ShowDimensions = Value;
    ElementOptions.ShowAxes = Value;
}

void TFigures::CreateSaveSlot() {
    savedPen_ = std::make_unique<TPen>();
    savedBrush_ = std::make_unique<TBrush>();
}

void TFigures::FreeSaveSlot() {
    savedPen_.reset();
    savedBrush_.reset();
}

// Style, then width, then colour.
void TFigures::SavePen(const TPen& Pen) {
    if (!savedPen_)
        return;
    savedPen_->Style = Pen.Style;
    savedPen_->Width = Pen.Width;
    savedPen_->Color = Pen.Color;
}

void TFigures::RestorePen(TPen& Pen) const {
    if (!savedPen_)
        return;
    Pen.Style = savedPen_->Style;
    Pen.Width = savedPen_->Width;
    Pen.Color = savedPen_->Color;
}

// Style, then colour: a clear brush is stored solid, in its own colour.
void TFigures::SaveBrush(const TBrush& Brush) {
    if (!savedBrush_)
        return;
    savedBrush_->SetStyle(Brush.Style());
    savedBrush_->SetColor(Brush.Color());
}

void TFigures::RestoreBrush(TBrush& Brush) const {
    if (!savedBrush_)
        return;
    Brush.SetStyle(savedBrush_->Style());
    Brush.SetColor(savedBrush_->Color());
}

bool TFigures::symbolInstalled() const {
    return SymbolInstalled();
}

void TFigures::PaintBox2Paint() {
    if (FigureLayers.Element)
        DrawElement(ElementOptions.ShowGrid, ElementOptions.ShowDimensions, ElementOptions.ShowAxes);
    if (FigureLayers.FinalStresses)
        DrawFinalStresses();
    if (FigureLayers.FaceAxes)
        DrawFaceAxes();
}

void TFigures::PaintBox1Paint() {
    if (FigureLayers.AxisDefinition)
        DrawAxisDefinition();
    if (FigureLayers.DiagramAxes) {
        DrawDiagramAxes(1);
        DrawDiagramAxes(2);
        DrawDiagramAxes(3);
    }
    if (FigureLayers.DiagramGrid)
        DrawDiagramGrid();
    if (FigureLayers.PointED)
        DrawPointED();
    if (FigureLayers.PointBC)
        DrawPointBC();
    if (FigureLayers.CentreConstruction)
        DrawCentreConstruction();
    if (FigureLayers.Circle)
        DrawCircle();
    if (FigureLayers.NormalLineBC)
        DrawNormalLineBC();
    if (FigureLayers.NormalLineED)
        DrawNormalLineED();
    if (FigureLayers.PrincipalStresses)
        DrawPrincipalStresses();
    if (FigureLayers.PrincipalDirections)
        DrawPrincipalDirections();
    // Each face in turn, with a single id: axes first, then points, then sketches.
    const bool axes[] = {FigureLayers.FaceAxisAE, FigureLayers.FaceAxisAB, FigureLayers.FaceAxisCD};
    const bool points[] = {FigureLayers.FacePointAE, FigureLayers.FacePointAB, FigureLayers.FacePointCD};
    const bool sketches[] = {FigureLayers.FaceSketchAE, FigureLayers.FaceSketchAB, FigureLayers.FaceSketchCD};
    const QString faces[] = {QStringLiteral("AE"), QStringLiteral("AB"), QStringLiteral("CD")};
    for (int i = 0; i < 3; ++i)
        if (axes[i])
            DrawFaceAxis(faces[i]);
    for (int i = 0; i < 3; ++i)
        if (points[i])
            DrawFacePoint(faces[i]);
    for (int i = 0; i < 3; ++i)
        if (sketches[i])
            DrawFaceSketch(faces[i]);
}

} // namespace mohr
