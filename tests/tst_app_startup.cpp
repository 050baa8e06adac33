// The one-shot screen-width check a second after start-up, with the real warning dialog.

#include "Check.h"
#include "about.h"
#include "appwindow.h"
#include "main.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstddef>

using namespace mohr;

namespace {

// The fake platform with the screen width the test wants; a case that sets `WhileModal` sees the
// warning shown modally for real and closes it the way it needs.
struct TScreenPlatform : test::TFakePlatform {
    explicit TScreenPlatform(int width) { ScreenWidth = width; }
};

} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void timerIsArmedOnceForOneSecond();
    void wideEnoughScreensPass_data();
    void wideEnoughScreensPass();
    void narrowScreenWarnsThenCloses_data();
    void narrowScreenWarnsThenCloses();
    void warningEndsTheProgramWithTheAboutBoxOpen();
};

void TestStartup::timerIsArmedOnceForOneSecond() {
    TScreenPlatform platform(1024);
    TMainForm form(&platform);
    QCOMPARE(form.Timer1->objectName(), QStringLiteral("Timer1"));
    QVERIFY(form.Timer1->isActive());
    QVERIFY(form.Timer1->isSingleShot());
    QCOMPARE(form.Timer1->interval(), 1000);
    QCOMPARE(platform.WidthQueries, 0);
}

void TestStartup::wideEnoughScreensPass_data() {
    QTest::addColumn<int>("width");
    QTest::newRow("exactly 800") << 800;
    QTest::newRow("1024 x 480, only the width counts") << 1024;
}

void TestStartup::wideEnoughScreensPass() {
    QFETCH(int, width);
    TScreenPlatform platform(width);
    TMainForm form(&platform);
    TCheckForm check;
    form.CheckForm = &check;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTRY_COMPARE_WITH_TIMEOUT(platform.WidthQueries, 1, 5000);
    QVERIFY(!form.Timer1->isActive());
    QVERIFY(platform.Modals.empty());
    QVERIFY(form.isVisible());
    QVERIFY(!check.isVisible());
    // The check ran once; the timer is not re-armed.
    QTest::qWait(0);
    QVERIFY(!form.Timer1->isActive());
    QCOMPARE(platform.WidthQueries, 1);
    QCOMPARE(platform.Beeps, 0);
}

void TestStartup::narrowScreenWarnsThenCloses_data() {
    QTest::addColumn<bool>("byButton");
    QTest::newRow("closed by its button") << true;
    QTest::newRow("closed by its close box") << false;
}

void TestStartup::narrowScreenWarnsThenCloses() {
    QFETCH(bool, byButton);
    TScreenPlatform platform(799);
    TMainForm form(&platform);
    TCheckForm check;
    form.CheckForm = &check;
    bool modalWhileShown = false;
    bool mainStillShown = false;
    platform.WhileModal = [&](QDialog* dialog) {
        modalWhileShown = QApplication::activeModalWidget() == dialog;
        mainStillShown = form.isVisible();
        if (byButton) {
            auto* button = dialog->findChild<QPushButton*>(QStringLiteral("BitBtn1"));
            QVERIFY(button);
            QTest::mouseClick(button, Qt::LeftButton);
        } else {
            dialog->close(); // what the close box does
        }
    };
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTRY_VERIFY_WITH_TIMEOUT(!form.isVisible(), 5000);
    QCOMPARE(platform.Modals.size(), std::size_t(1));
    QVERIFY(modalWhileShown);
    QVERIFY(mainStillShown);
    QVERIFY(!check.isVisible());
    QCOMPARE(platform.WidthQueries, 1);
    QVERIFY(!form.Timer1->isActive());
}

void TestStartup::warningEndsTheProgramWithTheAboutBoxOpen() {
    // The about box is open when the check finds the narrow screen; once the warning over it is closed,
    // the program's event loop ends (not after half a minute), the about box closed with it.
    TScreenPlatform platform(799);
    TMainForm form(&platform);
    TCheckForm check;
    TAboutForm about;
    form.CheckForm = &check;
    form.AboutForm = &about;
    platform.WhileModal = [&](QDialog* dialog) {
        if (dialog == &check && about.isVisible())
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("BitBtn1")), Qt::LeftButton);
    };
    form.show();
    QTimer::singleShot(0, &form, [&form] { form.SpeedButton1Click(); });
    QTimer stayed;
    connect(&stayed, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
    stayed.start(30000);
    QCOMPARE(QApplication::exec(), 0);
    QCOMPARE(platform.Modals.size(), std::size_t(2));
    QVERIFY(!about.isVisible());
    QVERIFY(!form.isVisible());
}

QTEST_MAIN(TestStartup)
#include "tst_app_startup.moc"
