#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QString>

#include <memory>

class QDialog;
class QMenu;
class QMessageBox;
class QWidget;

namespace mohr {

// The few services of the desktop that the main window uses: beep, screen width and desktop area,
// the window frame, modal dialogs, the information box and the popup menu. Tests put in their own version
// that records the calls and answers at once.
class TPlatform {
public:
    virtual ~TPlatform();

    // The system's default beep.
    virtual void MessageBeep();
    // Width in pixels of the primary screen.
    virtual int PrimaryScreenWidth();
    // The part of the window's screen that windows may take (the primary screen before it has one).
    virtual QRect AvailableGeometry(QWidget* window);
    // The frame the window manager put around the window; none while it is not known yet.
    virtual QMargins FrameMargins(const QWidget* window);
    // Shows the dialog modally and waits until it closes.
    virtual int ExecModal(QDialog* dialog);
    // A modal information box with a single OK button.
    virtual void Information(QWidget* parent, const QString& text);
    // Opens the menu with its top-left corner at the screen point.
    virtual void Popup(QMenu* menu, QPoint screenPoint);
};

// The information box as TPlatform::Information shows it, made but not shown: its title and button are
// the ones the web edition's refusal shows too.
std::unique_ptr<QMessageBox> NewInformationBox(QWidget* parent, const QString& text);

} // namespace mohr
