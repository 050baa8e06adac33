#pragma once

#include <QFont>

// The fonts of the windows. The stand-ins for the classic dialog font are the drawing layer's
// (figures/fonts.h), so the panels and the controls around them agree.

namespace mohr {

// The window font: the classic "MS Sans Serif" at 10 pixels, for which close sans fonts stand in.
QFont WindowFont();

// The sans font that stands in for the dialogs' "MS Sans Serif" here: an installed family of similar
// metrics, at the given character height in pixels. Smoothed: without it, hinting thins the small bold
// labels down to regular strokes.
QFont DialogFont(int pixelHeight, bool bold = false);

} // namespace mohr
