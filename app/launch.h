#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QtGlobal>

#include <optional>
#include <vector>

namespace mohr {

// The arguments after the program's name, as given to main.
QByteArrayList ArgumentsOf(int argc, char* argv[]);

// Answers --help and --version (the program has no other arguments of its own; Qt's options are Qt's) and
// refuses any other argument that is not one of Qt's options, both before Qt is started, so that neither
// needs a display. Returns the exit status when the program must end here.
std::optional<int> AnswerBeforeStart(int argc, char* argv[]);

// Refuses what is left of the command line once Qt has taken its own options. Returns the exit status
// when the program must end here.
std::optional<int> RefuseLeftoverArguments(int argc, char* argv[]);

// The application name (the X11 window class) and the desktop file name (the Wayland app id), both
// the desktop entry's, so that a dock matches the running window to its menu entry.
void SetDesktopIdentity();

// While the application object is made from `arguments`, Qt's messages are held back: a fatal platform
// failure becomes one sentence on stderr and exit status 1 (no abort, no core), naming the display
// variable left unset when no platform Qt tried had a display named; once released, the held messages go
// out as they would have.
class TPlatformStartGuard {
public:
    explicit TPlatformStartGuard(QByteArrayList arguments);
    ~TPlatformStartGuard();
    TPlatformStartGuard(const TPlatformStartGuard&) = delete;
    TPlatformStartGuard& operator=(const TPlatformStartGuard&) = delete;

    void Release();
    // Once the application object exists: without a screen of a usable size (a framebuffer platform that
    // found none, a scale factor of zero or below), one sentence on stderr instead of Qt's messages and
    // exit status 1, where the program would otherwise abort or wait behind an invisible window.
    std::optional<int> RefuseWithoutScreen();

private:
    struct THeld {
        int type;
        QByteArray category;
        QByteArray message;
    };
    static void Handle(QtMsgType type, const QMessageLogContext& context, const QString& message);

    QByteArrayList arguments_;
    std::vector<THeld> held_;
    QtMessageHandler previous_ = nullptr;
    bool active_ = true;
};

} // namespace mohr
