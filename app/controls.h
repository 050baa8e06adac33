#pragma once

#include <QGroupBox>

namespace mohr {

// A classic group box: an etched frame, a 2-pixel groove in the palette's mid colour starting 6 pixels
// below the top, with the caption on its top line 8 pixels in from the left. Its frame and contents
// need no font, so building the window measures no text before it is first shown.
class TGroupBox : public QGroupBox {
public:
    explicit TGroupBox(QWidget* parent = nullptr);
};

// A page of the page control. Pages are built before they are put in the page control, so a page takes
// the window font itself: its controls never measure text in the application's font first.
class TTabSheet : public QWidget {
public:
    explicit TTabSheet(QWidget* parent = nullptr);
};

} // namespace mohr
