#include "figures/figures.h"

namespace mohr {

void TFigures::DrawFaceAxis(const QString&) {}
void TFigures::DrawFacePoint(const QString&) {}
void TFigures::DrawFaceSketch(const QString&) {}

} // namespace mohr
