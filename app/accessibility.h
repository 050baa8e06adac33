#pragma once

class QWidget;

namespace mohr {

class TFigures;

// Gives every control of the main window its accessible name in the interface language (a tool
// button says what its hint says) and each drawing panel a description of what it shows right now.
// Called whenever the language, the figures or the hints may have changed.
void UpdateAccessibility(QWidget* mainForm, const TFigures& figures);

} // namespace mohr
