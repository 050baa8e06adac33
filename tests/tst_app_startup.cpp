// The one-shot screen-width check a second after start-up, with the real warning dialog.

#include "Check.h"
#include "about.h"
#include "main.h"
#include "platform.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace mohr;

namespace {

// Answers the screen width the test wants and shows modal dialogs for real, after handing them to
// `WhileModal`, which closes them the way the case needs.
class TScreenPlatform : public TPlatform {
public:
    explicit TScreenPlatform(int width) : width_(width) {}
    int Modals = 0;
    int Beeps = 0;
    std::function<void(QDialog*)> WhileModal;

    int PrimaryScreenWidth() override {
        ++widthQueries;
        return width_;
    }
    void MessageBeep() override { ++Beeps; }
    int ExecModal(QDialog* dialog) override {
        ++Modals;
        if (WhileModal) {
            // Runs inside the dialog's own event loop, once it is on screen.
            QTimer::singleShot(0, dialog, [this, dialog] {
                QTRY_VERIFY(dialog->isVisible());
                WhileModal(dialog);
            });
        }
        return TPlatform::ExecModal(dialog);
    }
    int widthQueries = 0;

private:
    int width_;
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
    QCOMPARE(platform.widthQueries, 0);
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
    QTRY_COMPARE_WITH_TIMEOUT(platform.widthQueries, 1, 5000);
    QVERIFY(!form.Timer1->isActive());
    QCOMPARE(platform.Modals, 0);
    QVERIFY(form.isVisible());
    QVERIFY(!check.isVisible());
    // The check ran once; the timer is not re-armed.
    QTest::qWait(0);
    QVERIFY(!form.Timer1->isActive());
    QCOMPARE(platform.widthQueries, 1);
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
    QCOMPARE(platform.Modals, 1);
    QVERIFY(modalWhileShown);
    QVERIFY(mainStillShown);
    QVERIFY(!check.isVisible());
    QCOMPARE(platform.widthQueries, 1);
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
    QCOMPARE(platform.Modals, 2);
    QVERIFY(!about.isVisible());
    QVERIFY(!form.isVisible());
}

QTEST_MAIN(TestStartup)
#include "tst_app_startup.moc"
