#pragma once

#include "figures/figures.h"

#include <QString>
#include <QStringList>

namespace mohr {

// Words for what the drawing panels show, for readers that cannot see them: one short sentence per
// figure layer that is set, in the order the panel's replay draws them, with the figure's numbers.
// Dutch, or English when `english` is true.
QStringList ElementPanelSentences(const TFigureLayers& layers, const TElementOptions& options, bool english);
QStringList DiagramPanelSentences(const TFigureLayers& layers, bool english);

// The sentences joined into one text; a panel with nothing on it says so. The language is the
// interface language held in the figures.
QString ElementPanelDescription(const TFigures& figures);
QString DiagramPanelDescription(const TFigures& figures);

} // namespace mohr
