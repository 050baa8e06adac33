#pragma once

#include "app/platform.h"

#include <QString>

namespace mohr {

// The desktop services of the main window, answered at once and silently: the export runs unattended.
// A refusal of a step would mean the walk went wrong, so it is remembered.
class TQuietPlatform : public TPlatform {
public:
    void MessageBeep() override {}
    int PrimaryScreenWidth() override { return 1024; }
    int ExecModal(QDialog*) override { return 0; }
    void Information(QWidget*, const QString& text) override { Refusal = text; }
    void Popup(QMenu*, QPoint) override {}

    QString Refusal;
};

} // namespace mohr
