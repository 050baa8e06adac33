#include "figures/figures.h"

namespace mohr {

void TFigures::DrawElement(bool, bool, bool) { FigureLayers.Element = true; }
void TFigures::DrawFaceAxes() { FigureLayers.FaceAxes = true; }
void TFigures::DrawFinalStresses() { FigureLayers.FinalStresses = true; }

} // namespace mohr
