#include "launch.h"

#include <QApplication>
#include <QScreen>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace mohr {

namespace {

// The desktop entry's name without ".desktop": the Wayland app id and the X11 window class.
constexpr char DesktopId[] = "org.mohrwalk.MohrWalk";

// Qt's own option `name` (given as -name or --name) followed by its value; the last one counts, as in Qt.
QByteArray OptionValue(const QByteArrayList& arguments, const char* name) {
    QByteArray value;
    for (qsizetype i = 0; i + 1 < arguments.size(); ++i) {
        QByteArray option = arguments[i];
        if (option.startsWith("--"))
            option.remove(0, 1);
        if (option == QByteArray("-") + name)
            value = arguments[++i];
    }
    return value;
}

// The platforms asked for, in the order Qt tries them, without their options ("xcb:foo" is "xcb").
// Empty when none is: Qt then takes the desktop's, X11 or Wayland.
QByteArrayList AskedPlatforms(const QByteArrayList& arguments) {
    QByteArray names = OptionValue(arguments, "platform");
    if (names.isEmpty())
        names = qgetenv("QT_QPA_PLATFORM");
    QByteArrayList platforms;
    for (const QByteArray& name : names.split(';')) {
        const qsizetype options = name.indexOf(':');
        const QByteArray bare = (options < 0 ? name : name.left(options)).trimmed();
        if (!bare.isEmpty())
            platforms << bare;
    }
    return platforms;
}

QByteArray XDisplay(const QByteArrayList& arguments) {
    const QByteArray display = OptionValue(arguments, "display");
    return display.isEmpty() ? qgetenv("DISPLAY") : display;
}

// The variable that names the display of a platform when it is unset, or null when the platform had one:
// a display is named, or the platform needs none that this knows of (offscreen, minimal, vnc, ...; the
// framebuffer ones say for themselves that they found no screen).
const char* UnsetDisplay(const QByteArray& platform, const QByteArrayList& arguments) {
    if (platform == "xcb")
        return XDisplay(arguments).isEmpty() ? "DISPLAY" : nullptr;
    // A Wayland session's compositor may also be found at its default socket.
    if (platform.startsWith("wayland") && qgetenv("WAYLAND_DISPLAY").isEmpty() &&
        qgetenv("WAYLAND_SOCKET").isEmpty() && qgetenv("XDG_SESSION_TYPE") != "wayland")
        return "WAYLAND_DISPLAY";
    return nullptr;
}

QByteArray Quoted(const QByteArray& text) {
    return '"' + text + '"';
}

// The one sentence the user gets when no window can be shown.
QByteArray Sentence(const QByteArray& reason) {
    return "mohrwalk is a desktop program and needs a display to show its window, but " + reason + '.';
}

// Why no platform that Qt tried could start, once Qt has said so; `displayRefused` when Qt said the X
// display did not answer. The plainest cause first: no platform tried had a display named at all.
QByteArray PlatformFailure(const QByteArrayList& arguments, bool displayRefused) {
    const QByteArrayList asked = AskedPlatforms(arguments);
    QByteArrayList unset;
    for (const QByteArray& platform : asked.isEmpty() ? QByteArrayList{"xcb", "wayland"} : asked) {
        const char* variable = UnsetDisplay(platform, arguments);
        if (!variable) {
            unset.clear();
            break;
        }
        if (!unset.contains(variable))
            unset << variable;
    }
    if (unset.size() == 2)
        return Sentence("neither " + unset.join(" nor ") + " is set");
    if (!unset.isEmpty())
        return Sentence(unset.join() + " is not set");
    if (displayRefused && !XDisplay(arguments).isEmpty())
        return Sentence("the X display " + Quoted(XDisplay(arguments)) + " cannot be opened");
    if (asked.isEmpty())
        return Sentence("Qt could not start its platform plugin for it");
    QByteArrayList quoted;
    for (const QByteArray& platform : asked)
        quoted << Quoted(platform);
    return Sentence("Qt could not start its platform plugin " + quoted.join(" or "));
}

// Qt's own command-line options (of the application objects and the X11 platform), with whether each
// takes a value; Qt accepts them with one dash or two, and those with a value also as -option=value.
bool IsQtOption(QByteArray argument, bool& takesValue) {
    static const QByteArrayList withValue = {"platform",
                                             "platformpluginpath",
                                             "platformtheme",
                                             "plugin",
                                             "qwindowgeometry",
                                             "qwindowicon",
                                             "qwindowtitle",
                                             "session",
                                             "style",
                                             "stylesheet",
                                             "display",
                                             "geometry",
                                             "title",
                                             "icon",
                                             "name",
                                             "visual",
                                             "ncols",
                                             "cmap",
                                             "dialogs",
                                             "qmljsdebugger"};
    static const QByteArrayList alone = {"reverse", "widgetcount", "nograb", "dograb", "sync", "testability"};
    if (!argument.startsWith('-'))
        return false;
    argument.remove(0, argument.startsWith("--") ? 2 : 1);
    const qsizetype equals = argument.indexOf('=');
    if (equals > 0 && withValue.contains(argument.left(equals))) {
        takesValue = false;
        return true;
    }
    takesValue = withValue.contains(argument);
    return takesValue || alone.contains(argument);
}

// The first argument that is neither the program's nor one of Qt's, or empty.
QByteArray UnknownArgument(const QByteArrayList& arguments) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        bool takesValue = false;
        if (!IsQtOption(arguments[i], takesValue))
            return arguments[i];
        if (takesValue)
            ++i;
    }
    return {};
}

QByteArray HelpText() {
    return "Usage: mohrwalk [--help | --version]\n"
           "\n"
           "A teaching program: it walks a student, one click at a time, through the graphical\n"
           "solution of a plane-stress exercise with Mohr's circle, in Dutch and English.\n"
           "\n"
           "  -h, --help     show this help and exit\n"
           "      --version  show the version and exit\n"
           "\n"
           "Qt's own options (-platform, -display, -style, -reverse, ...) are accepted as well.\n"
           "mohrwalk is a desktop program: it needs an X11 or Wayland display.\n";
}

QByteArray VersionText() {
    return "mohrwalk " MOHRWALK_VERSION "\n"
           "Copyright (C) 2026 The mohrwalk developers\n"
           "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>.\n"
           "This is free software: you are free to change and redistribute it.\n"
           "There is NO WARRANTY, to the extent permitted by law.\n";
}

void Print(FILE* stream, const QByteArray& text) {
    std::fputs(text.constData(), stream);
    std::fflush(stream);
}

// Qt may log from its own threads (the X event reader) while the application object is made.
std::mutex guardMutex;
TPlatformStartGuard* activeGuard = nullptr;

} // namespace

QByteArrayList ArgumentsOf(int argc, char* argv[]) {
    QByteArrayList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    return arguments;
}

std::optional<int> AnswerBeforeStart(int argc, char* argv[]) {
    const QByteArrayList arguments = ArgumentsOf(argc, argv);
    for (const QByteArray& argument : arguments) {
        if (argument == "--help" || argument == "-h") {
            Print(stdout, HelpText());
            return 0;
        }
        if (argument == "--version") {
            Print(stdout, VersionText());
            return 0;
        }
    }
    // A mistyped argument is said as such, whether or not there is a display.
    if (const QByteArray unknown = UnknownArgument(arguments); !unknown.isEmpty()) {
        Print(stderr, "mohrwalk: unknown argument " + Quoted(unknown) + "; see mohrwalk --help.\n");
        return 2;
    }
    return std::nullopt;
}

std::optional<int> RefuseLeftoverArguments(int argc, char* argv[]) {
    if (argc < 2)
        return std::nullopt;
    Print(stderr, "mohrwalk: unknown argument " + Quoted(argv[1]) + "; see mohrwalk --help.\n");
    return 2;
}

void SetDesktopIdentity() {
    QCoreApplication::setApplicationName(QString::fromLatin1(DesktopId));
    QCoreApplication::setApplicationVersion(QStringLiteral(MOHRWALK_VERSION));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(DesktopId));
}

TPlatformStartGuard::TPlatformStartGuard(QByteArrayList arguments) : arguments_(std::move(arguments)) {
    const std::lock_guard lock(guardMutex);
    activeGuard = this;
    previous_ = qInstallMessageHandler(Handle);
}

TPlatformStartGuard::~TPlatformStartGuard() {
    Release();
}

void TPlatformStartGuard::Release() {
    std::vector<THeld> held;
    {
        const std::lock_guard lock(guardMutex);
        if (!active_)
            return;
        active_ = false;
        qInstallMessageHandler(previous_);
        activeGuard = nullptr;
        held.swap(held_);
    }
    for (const THeld& message : held) {
        const QMessageLogContext context(nullptr, 0, nullptr, message.category.constData());
        qt_message_output(QtMsgType(message.type), context, QString::fromUtf8(message.message));
    }
}

std::optional<int> TPlatformStartGuard::RefuseWithoutScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    QByteArray reason;
    if (!screen) {
        const QByteArray platform = QGuiApplication::platformName().toUtf8();
        reason = "Qt's platform plugin " + Quoted(platform) + " found no screen";
    } else if (!(screen->devicePixelRatio() > 0) || screen->geometry().isEmpty()) {
        // Compared, not measured: a scale factor of zero gives a geometry whose width overflows.
        reason = "the screen Qt reports has no usable size";
        if (const QByteArray factor = qgetenv("QT_SCALE_FACTOR"); !factor.isEmpty())
            reason += " (QT_SCALE_FACTOR is " + Quoted(factor) + ")";
    }
    if (reason.isEmpty())
        return std::nullopt;
    {
        // Qt's own account of it goes unsaid: the sentence says it all.
        const std::lock_guard lock(guardMutex);
        held_.clear();
    }
    Release();
    Print(stderr, Sentence(reason) + '\n');
    return 1;
}

void TPlatformStartGuard::Handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    std::unique_lock lock(guardMutex);
    TPlatformStartGuard* guard = activeGuard;
    if (guard && type != QtFatalMsg) {
        guard->held_.push_back(
            {int(type), QByteArray(context.category ? context.category : "default"), message.toUtf8()});
        return;
    }
    if (guard && message.contains(QLatin1String("platform plugin"), Qt::CaseInsensitive)) {
        // Qt's chatter about the plugins it tried goes with the failure: the sentence says it all.
        const bool displayRefused =
            std::any_of(guard->held_.begin(), guard->held_.end(), [](const THeld& held) {
                return held.message.contains("could not connect to display");
            });
        Print(stderr, PlatformFailure(guard->arguments_, displayRefused) + '\n');
        std::_Exit(1);
    }
    lock.unlock();
    if (guard)
        guard->Release();
    qt_message_output(type, context, message);
}

} // namespace mohr
