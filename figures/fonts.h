#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>

// The fonts of the drawing layer: which families stand in for the classic dialog font, the font a canvas
// text is drawn in (the "Symbol" rule included), and the families a document names for its texts. The
// windows, the vector back end and the handout take their fonts from here.

namespace mohr {

struct TCanvasFont;

// Where the list of installed font families comes from; tests replace it.
using FontFamilyProvider = std::function<QStringList()>;
void SetFontFamilyProvider(FontFamilyProvider provider); // empty provider: the real font database
QStringList InstalledFontFamilies();

// The canvas draws its sigma in "Symbol" when the installed families name it.
bool SymbolInstalled();

// Maps "MS Sans Serif" and its relatives to close sans fonts for every QFont of the process, widgets
// included. Idempotent; RenderFont calls it itself, and the windows before they ask for a font.
void InstallFontSubstitutions();

// The QFont that renders a canvas font: "MS Sans Serif" and friends are mapped to a close sans
// font installed here, at the same pixel height, without antialiasing.
QFont RenderFont(const TCanvasFont& font);

// The font a canvas text is drawn in: RenderFont, kept for reuse, except that a text a "Symbol" font
// cannot show is drawn in the sans fallbacks at the same height.
QFont TextFont(const TCanvasFont& font, const QString& text);

// The families a document (an SVG or PDF figure, the handout) names for its sans texts, ending in a
// generic one so that any viewer finds a sans font.
const QStringList& DocumentFamilies();

// The raster font `rasterFont` as a document names it: same size and style, the document families.
QFont DocumentFont(const QFont& rasterFont);

} // namespace mohr
