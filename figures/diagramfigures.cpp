#include "figures/figures.h"

namespace mohr {

void TFigures::DrawDiagramAxes(int kind) {
    if (kind == 3)
        FigureLayers.DiagramAxes = true;
}
void TFigures::DrawAxisDefinition() { FigureLayers.AxisDefinition = true; }
void TFigures::DrawDiagramGrid() { FigureLayers.DiagramGrid = true; }
void TFigures::DrawPointED() { FigureLayers.PointED = true; }
void TFigures::DrawPointBC() { FigureLayers.PointBC = true; }
void TFigures::DrawCentreConstruction() { FigureLayers.CentreConstruction = true; }
void TFigures::DrawCircle() { FigureLayers.Circle = true; }
void TFigures::DrawNormalLineBC() { FigureLayers.NormalLineBC = true; }
void TFigures::DrawNormalLineED() { FigureLayers.NormalLineED = true; }
void TFigures::DrawPrincipalStresses() { FigureLayers.PrincipalStresses = true; }
void TFigures::DrawPrincipalDirections() { FigureLayers.PrincipalDirections = true; }

} // namespace mohr
