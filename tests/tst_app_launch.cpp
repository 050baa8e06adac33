// Before the window: which display the program decides it can have, from the environment and Qt's
// own options (the sentences themselves are checked end to end), and the desktop identity the window's
// class, the Wayland app id and the menu entry must share.

#include "launch.h"

#include <QApplication>
#include <QFile>
#include <QMap>
#include <QSet>
#include <QTest>

using namespace mohr;

namespace {

// A machine of the test's making: its environment and the sockets that exist.
class TFakeProbe : public TDisplayProbe {
public:
    TFakeProbe(const QByteArrayList& environment, const QByteArrayList& sockets)
        : sockets_(sockets.begin(), sockets.end()) {
        for (const QByteArray& pair : environment)
            environment_.insert(pair.left(pair.indexOf('=')), pair.mid(pair.indexOf('=') + 1));
    }

    QByteArray Variable(const char* name) override { return environment_.value(name); }
    bool SocketExists(const QByteArray& path) override { return sockets_.contains(path); }

private:
    QMap<QByteArray, QByteArray> environment_;
    QSet<QByteArray> sockets_;
};

} // namespace

class TestLaunch : public QObject {
    Q_OBJECT

private slots:
    void displayDecision_data();
    void displayDecision();
    void identityMatchesTheDesktopEntry();
};

void TestLaunch::displayDecision_data() {
    QTest::addColumn<QByteArrayList>("arguments");
    QTest::addColumn<QByteArrayList>("environment");
    QTest::addColumn<QByteArrayList>("sockets");
    // Empty: the program goes on to Qt. Otherwise the end of the sentence it prints.
    QTest::addColumn<QByteArray>("missing");

    const QByteArrayList none;
    const QByteArray runtime = "XDG_RUNTIME_DIR=/run/user/1000";
    QTest::newRow("an X display") << none << QByteArrayList{"DISPLAY=:0"} << none << QByteArray();
    QTest::newRow("-display instead of DISPLAY")
        << QByteArrayList{"--display", ":7"} << none << none << QByteArray();
    QTest::newRow("the compositor's default socket")
        << none << QByteArrayList{runtime} << QByteArrayList{"/run/user/1000/wayland-0"} << QByteArray();
    QTest::newRow("a named Wayland display that is gone")
        << none << QByteArrayList{runtime, "WAYLAND_DISPLAY=wayland-1"}
        << QByteArrayList{"/run/user/1000/wayland-0"}
        << QByteArray("the Wayland display \"wayland-1\" cannot be found.");
    QTest::newRow("offscreen needs nothing")
        << none << QByteArrayList{"QT_QPA_PLATFORM=offscreen"} << none << QByteArray();
    QTest::newRow("-platform before QT_QPA_PLATFORM")
        << QByteArrayList{"-platform", "xcb"} << QByteArrayList{"QT_QPA_PLATFORM=offscreen"} << none
        << QByteArray("but DISPLAY is not set.");
    QTest::newRow("a list with options falls back")
        << none << QByteArrayList{"QT_QPA_PLATFORM=wayland;xcb:nograb", "DISPLAY=:0"} << none << QByteArray();
    QTest::newRow("a list of which none can be had")
        << none << QByteArrayList{"QT_QPA_PLATFORM=wayland;xcb", runtime} << none
        << QByteArray("but WAYLAND_DISPLAY is not set and DISPLAY is not set.");
    QTest::newRow("a platform left to Qt")
        << none << QByteArrayList{"QT_QPA_PLATFORM=vnc"} << none << QByteArray();
}

void TestLaunch::displayDecision() {
    QFETCH(QByteArrayList, arguments);
    QFETCH(QByteArrayList, environment);
    QFETCH(QByteArrayList, sockets);
    QFETCH(QByteArray, missing);
    TFakeProbe probe(environment, sockets);
    const QByteArray sentence = MissingDisplay(arguments, probe);
    if (missing.isEmpty())
        QVERIFY2(sentence.isEmpty(), sentence.constData());
    else
        QVERIFY2(sentence.startsWith("mohrwalk is a desktop program") && sentence.endsWith(missing),
                 sentence.constData());
}

// A dock matches the running window to the menu entry by the window's class on X11 (the application
// name) and by the app id on Wayland (the desktop file name).
void TestLaunch::identityMatchesTheDesktopEntry() {
    SetDesktopIdentity();
    QFile entry(
        QStringLiteral(MOHRWALK_SOURCE_DIR "/packaging/%1.desktop").arg(QGuiApplication::desktopFileName()));
    QVERIFY2(entry.open(QIODevice::ReadOnly), qPrintable(entry.fileName()));
    const QByteArrayList lines = entry.readAll().split('\n');
    QVERIFY(lines.contains("StartupWMClass=" + QCoreApplication::applicationName().toUtf8()));
}

QTEST_MAIN(TestLaunch)
#include "tst_app_launch.moc"
