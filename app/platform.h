#pragma once

#include <QPoint>
#include <QString>

class QDialog;
class QMenu;
class QWidget;

namespace mohr {

// The few services of the desktop that the main window uses: beep, screen width, modal dialogs,
// the information box and the popup menu. Tests put in their own version that records the calls and
// answers at once.
class TPlatform {
public:
    virtual ~TPlatform();

    // The system's default beep.
    virtual void MessageBeep();
    // Width in pixels of the primary screen.
    virtual int PrimaryScreenWidth();
    // Shows the dialog modally and waits until it closes.
    virtual int ExecModal(QDialog* dialog);
    // A modal information box with a single OK button.
    virtual void Information(QWidget* parent, const QString& text);
    // Opens the menu with its top-left corner at the screen point.
    virtual void Popup(QMenu* menu, QPoint screenPoint);
};

} // namespace mohr
