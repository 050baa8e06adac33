#include "platform.h"

#include <QApplication>
#include <QDialog>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QWindow>

namespace mohr {

TPlatform::~TPlatform() = default;

void TPlatform::MessageBeep() {
    QApplication::beep();
}

int TPlatform::PrimaryScreenWidth() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    // Without a screen there is nothing to warn on; let the program run.
    return screen ? screen->geometry().width() : 800;
}

QRect TPlatform::AvailableGeometry(QWidget* window) {
    const QScreen* screen = window && window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

QMargins TPlatform::FrameMargins(const QWidget* window) {
    // The native window's own record: the widget's copy of it may lag behind for good when the window
    // manager frames the window late.
    return window && window->windowHandle() ? window->windowHandle()->frameMargins() : QMargins();
}

int TPlatform::ExecModal(QDialog* dialog) {
    // The dialogs centre themselves on the desktop when shown.
    return dialog ? dialog->exec() : QDialog::Rejected;
}

void TPlatform::Information(QWidget* parent, const QString& text) {
    NewInformationBox(parent, text)->exec();
}

void TPlatform::Popup(QMenu* menu, QPoint screenPoint) {
    if (menu)
        menu->popup(screenPoint);
}

std::unique_ptr<QMessageBox> NewInformationBox(QWidget* parent, const QString& text) {
    return std::make_unique<QMessageBox>(QMessageBox::Information, QStringLiteral("Information"), text,
                                         QMessageBox::Ok, parent);
}

} // namespace mohr
