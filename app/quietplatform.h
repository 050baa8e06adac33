#pragma once

#include "platform.h"

#include <QDialog>
#include <QStringList>

#include <utility>
#include <vector>

namespace mohr {

// The desktop services answered at once and silently, every call recorded: for runs nobody watches
// (the figure export, the benchmarks, the memory check), where a modal dialog would wait forever. A
// refused step shows as an information text.
class TQuietPlatform : public TPlatform {
public:
    int ScreenWidth = 1024;
    int Beeps = 0;
    std::vector<QDialog*> Modals;
    QStringList Informations;
    std::vector<std::pair<QMenu*, QPoint>> Popups;

    void MessageBeep() override { ++Beeps; }
    int PrimaryScreenWidth() override { return ScreenWidth; }
    int ExecModal(QDialog* dialog) override {
        Modals.push_back(dialog);
        return QDialog::Accepted;
    }
    void Information(QWidget*, const QString& text) override { Informations << text; }
    void Popup(QMenu* menu, QPoint screenPoint) override { Popups.emplace_back(menu, screenPoint); }
};

} // namespace mohr
