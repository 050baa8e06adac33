#pragma once

// The real main window for tests: a fake platform that records every call and answers at once, so
// nothing modal ever blocks, and plain dialogs standing in for the check and about dialogs.

#include "main.h"
#include "paintbox.h"
#include "platform.h"

#include <QDialog>
#include <QPlainTextEdit>
#include <QTest>

#include <optional>
#include <utility>
#include <vector>

namespace mohr::test {

class TFakePlatform : public TPlatform {
public:
    int Beeps = 0;
    int ScreenWidth = 1024;
    std::vector<QDialog*> Modals;
    QStringList Informations;
    std::vector<std::pair<QMenu*, QPoint>> Popups;
    // The desktop area and the window frame; left empty, the real ones answer.
    std::optional<QRect> Desktop;
    std::optional<QMargins> Frame;

    void MessageBeep() override { ++Beeps; }
    int PrimaryScreenWidth() override { return ScreenWidth; }
    int ExecModal(QDialog* dialog) override {
        Modals.push_back(dialog);
        return QDialog::Accepted;
    }
    void Information(QWidget*, const QString& text) override { Informations << text; }
    // Popups are only recorded, unless the test wants them shown as the real platform shows them.
    bool ShowPopups = false;
    void Popup(QMenu* menu, QPoint at) override {
        Popups.emplace_back(menu, at);
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
