#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QFont>
#include <QList>
#include <QtGlobal>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace mohr {

// The arguments after the program's name, as given to main.
QByteArrayList ArgumentsOf(int argc, char* argv[]);

// Answers --help and --version (the program has no other arguments of its own; Qt's options are Qt's),
// refuses any other argument that is not one of Qt's options, then checks for a display, all before Qt is
// started. Returns the exit status when the program must end here.
std::optional<int> AnswerBeforeStart(int argc, char* argv[]);

// Refuses what is left of the command line once Qt has taken its own options. Returns the exit status
// when the program must end here.
std::optional<int> RefuseLeftoverArguments(int argc, char* argv[]);

// The application name (the X11 window class) and the desktop file name (the Wayland app id), both
// the desktop entry's, so that a dock matches the running window to its menu entry.
void SetDesktopIdentity();

// While the application object is made from `arguments`, Qt's messages are held back: a fatal platform
// failure becomes one sentence on stderr and exit status 1 (no abort, no core); once released, the held
// messages go out as they would have.
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

// Starts the font system on a second core while the main thread is busy with other work: first the
// system's font configuration (parsed while the application object connects to the display), then, once
// the application object exists, Qt's font database and the fallback font lists of the fonts the main
// window shows first. Those are shared by every thread, under Qt's font lock, so the first text the main
// window measures finds them ready instead of building them itself; the font engines this thread loads
// on the way are its own and go with it. Nothing of the program's own state is touched.
class TFontWarmUp {
public:
    TFontWarmUp();
    // Joins.
    ~TFontWarmUp();
    TFontWarmUp(const TFontWarmUp&) = delete;
    TFontWarmUp& operator=(const TFontWarmUp&) = delete;

    // Once the application object exists: look up the font database and the given fonts. The thread
    // works on fonts of its own made from their descriptions: a QFont shares its data with its copies,
    // which the main thread goes on using.
    void Continue(const QList<QFont>& fonts);
    // Waits until the thread has ended, after the font configuration only unless Continue came first.
    // Must be called before the application object goes.
    void Join();

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable told_;
    bool continued_ = false;
    bool cancelled_ = false;
    QStringList fonts_; // descriptions, QFont::toString()
    std::thread thread_;
};

} // namespace mohr
