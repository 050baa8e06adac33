#pragma once

// The real main window for tests: a fake platform that records every call and answers at once, so
// nothing modal ever blocks unless a test asks for it, and plain dialogs standing in for the check and
// about dialogs.

#include "main.h"
#include "paintbox.h"
#include "quietplatform.h"

#include <QDialog>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace mohr::test {

class TFakePlatform : public TQuietPlatform {
public:
    // How often the screen width was asked for.
    int WidthQueries = 0;
    // The desktop area and the window frame; left empty, the real ones answer.
    std::optional<QRect> Desktop;
    std::optional<QMargins> Frame;
    // Popups are only recorded, unless the test wants them shown as the real platform shows them.
    bool ShowPopups = false;
    // When set, a modal dialog is recorded and then shown modally for real: once it is on screen, inside
    // its own event loop, it is handed to this, which must close it.
    std::function<void(QDialog*)> WhileModal;

    int PrimaryScreenWidth() override {
        ++WidthQueries;
        return TQuietPlatform::PrimaryScreenWidth();
    }
    int ExecModal(QDialog* dialog) override {
        TQuietPlatform::ExecModal(dialog);
        if (!WhileModal)
            return QDialog::Accepted;
        QTimer::singleShot(0, dialog, [this, dialog] {
            QTRY_VERIFY(dialog->isVisible());
            WhileModal(dialog);
        });
        return TPlatform::ExecModal(dialog);
    }
    void Popup(QMenu* menu, QPoint at) override {
        TQuietPlatform::Popup(menu, at);
        if (ShowPopups)
            TPlatform::Popup(menu, at);
    }
    QRect AvailableGeometry(QWidget* window) override {
        return Desktop ? *Desktop : TPlatform::AvailableGeometry(window);
    }
    QMargins FrameMargins(const QWidget* window) override {
        return Frame ? *Frame : TPlatform::FrameMargins(window);
    }
};

// One shown main window with the fake platform and two stand-in dialogs.
struct TWindow {
    TFakePlatform Platform;
    TMainForm Form{&Platform};
    QDialog Check;
    QDialog About;

    // `show` false leaves the window hidden, for the test to set the platform up first.
    explicit TWindow(bool show = true) {
        Form.CheckForm = &Check;
        Form.AboutForm = &About;
        if (show)
            Form.show();
    }
    template <typename T = QWidget> T* Get(const char* name) {
        T* child = Form.findChild<T*>(QString::fromLatin1(name));
        if (!child)
            qFatal("no control named %s", name);
        return child;
    }
    TPaintBox* Diagram() { return Get<TPaintBox>("PaintBox1"); }
    TPaintBox* Element() { return Get<TPaintBox>("PaintBox2"); }
    QPlainTextEdit* Memo() { return Get<QPlainTextEdit>("Memo1"); }
    // Lets every pending panel repaint run.
    void Settle() {
        for (TPaintBox* panel : {Diagram(), Element()})
            QTRY_VERIFY(!panel->RefreshPending());
    }
};

} // namespace mohr::test
