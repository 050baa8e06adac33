#include "figures/figures.h"

namespace mohr {

TArrowHead ArrowHeadCorners(int, int, int X2, int Y2, int) { return {QPoint(X2, Y2), QPoint(), QPoint()}; }

void TFigures::DrawArrow(TCanvas&, int, int, int, int, Colour, PenStyle, int, int) {}

} // namespace mohr
