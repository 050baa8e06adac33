// The check dialog and the about dialog: layout, texts, fonts, colours, how they close, and where they go.
#include "Check.h"
#include "about.h"
#include "appwindow.h"
#include "pictures.h"
#include "placement.h"
#include "testsupport.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>
#include <QtTest>

using mohr::TAboutForm;
using mohr::TCheckForm;
using mohr::test::CountPixels;

namespace {

constexpr QRgb Navy = qRgb(0, 0, 128);
constexpr QRgb White = qRgb(255, 255, 255);

struct TControlRow {
    const char* Name;
    QRect Geometry;
};

// Navy text, smoothed at its edges against the white form: red and green equal, well below blue.
bool NavyInk(QRgb c) {
    return qRed(c) == qGreen(c) && qBlue(c) - qRed(c) >= 64;
}

template <typename T> T* Child(QWidget* dialog, const char* name) {
    return dialog->findChild<T*>(QString::fromLatin1(name));
}

// The four maker's labels: navy, bold, the given character height, a text that fits its box, and
// navy pixels actually painted inside the box.
void CheckMakersLabels(QWidget* dialog, int pixelHeight) {
    const QImage shot = dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (const char* name : {"Label1", "Label2", "Label3", "Label4"}) {
        auto* label = Child<QLabel>(dialog, name);
        QVERIFY2(label, name);
        QVERIFY(!label->text().trimmed().isEmpty());
        QCOMPARE(label->font().pixelSize(), pixelHeight);
        QVERIFY(label->font().bold());
        QCOMPARE(label->palette().color(QPalette::WindowText).rgb(), Navy);
        const QFontMetrics metrics(label->font());
        QVERIFY2(metrics.horizontalAdvance(label->text()) <= label->width(), name);
        // The text's ink, drawn from the box's top, ends inside the box: nothing is cut off.
        QVERIFY2(metrics.ascent() + metrics.tightBoundingRect(label->text()).bottom() < label->height(),
                 name);
        const int navy = CountPixels(shot, label->geometry(), NavyInk);
        QVERIFY2(navy > 40, name);
    }
    // The four texts are the maker's: one institution, one faculty, one section, one notice.
    QVERIFY(Child<QLabel>(dialog, "Label4")->text().contains(QChar(0x00A9)));
}

// The stretched logo shows its colours in the picture box.
void CheckLogoBox(QWidget* dialog) {
    auto* image = Child<QLabel>(dialog, "Image1");
    QVERIFY(image);
    QVERIFY(image->hasScaledContents());
    // The shared half-size logo: still at least twice the box, so it stays sharp on dense screens.
    QCOMPARE(image->pixmap().size(), QSize(384, 150));
    QVERIFY(image->pixmap().width() >= 2 * image->width() && image->pixmap().height() >= 2 * image->height());
    QCOMPARE(image->pixmap().cacheKey(), mohr::LogoPixmap().cacheKey());
    const QImage shot = dialog->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int yellow = CountPixels(shot, image->geometry(),
                                   [](QRgb c) { return qRed(c) > 200 && qGreen(c) > 160 && qBlue(c) < 100; });
    const int red = CountPixels(shot, image->geometry(),
                                [](QRgb c) { return qRed(c) > 150 && qGreen(c) < 80 && qBlue(c) < 90; });
    QVERIFY(yellow > 50);
    QVERIFY(red > 10);
}

void CheckCentred(QWidget* dialog) {
    const QRect desktop = dialog->screen()->availableGeometry();
    const QPoint offset = dialog->frameGeometry().center() - desktop.center();
    QVERIFY2(std::abs(offset.x()) <= 1 && std::abs(offset.y()) <= 1,
             qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void checkFormLayout();
    void checkFormTextsAndLook();
    void checkFormFocusOrder();
    void checkFormClosesByButtonOrCloseBox();
    void checkFormModalRunEndsEitherWay();
    void checkFormBuiltWhenShownIsTheSameDialog();
    void aboutFormLayout();
    void aboutFormTextsAndLook();
    void aboutFormIsSizeableAndKeepsItsSize();
    void aboutFormClosesByButtonOrCloseBox();
    void dialogIsCentredAgainWhenItsFrameComesLate();
};

void TestDialogs::checkFormLayout() {
    TCheckForm form;
    QCOMPARE(form.objectName(), QStringLiteral("CheckForm"));
    QCOMPARE(form.windowTitle(), QStringLiteral("CheckForm"));
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // Stored for 120 pixels per inch (441 x 187, text 16 pixels high), shown here at 96 (text 13).
    QCOMPARE(form.screen()->logicalDotsPerInchY(), 96.0);
    QCOMPARE(form.size(), QSize(358, 152));
    QCOMPARE(form.minimumSize(), QSize(358, 152));
    QCOMPARE(form.maximumSize(), QSize(358, 152));
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(form.windowFlags() & Qt::WindowMinimizeButtonHint));
    QVERIFY(form.windowFlags() & Qt::WindowCloseButtonHint);
    CheckCentred(&form);

    // Every edge scaled by 13/16 and rounded: the stored picture box (9, 9) 128 x 49 becomes the about
    // box's 104 x 40 at (7, 7), and the labels stand where the about box has them.
    const TControlRow rows[] = {
        {"Image1", QRect(7, 7, 104, 40)}, {"BitBtn1", QRect(221, 119, 131, 26)},
        {"Memo1", QRect(7, 78, 345, 40)}, {"Label1", QRect(8, 59, 0, 0)},
        {"Label3", QRect(210, 20, 0, 0)}, {"Label2", QRect(210, 39, 0, 0)},
        {"Label4", QRect(210, 59, 0, 0)},
    };
    for (const auto& row : rows) {
        auto* control = Child<QWidget>(&form, row.Name);
        QVERIFY2(control, row.Name);
        QCOMPARE(control->parentWidget(), &form);
        if (row.Geometry.isEmpty()) { // a label, sized to its text
            QCOMPARE(control->pos(), row.Geometry.topLeft());
            QCOMPARE(control->size(), control->sizeHint());
        } else {
            QCOMPARE(control->geometry(), row.Geometry);
        }
        QVERIFY2(form.rect().contains(control->geometry()), row.Name);
    }
}

void TestDialogs::checkFormTextsAndLook() {
    TCheckForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));

    // The stored 13- and 15-pixel fonts, scaled by 13/16.
    QCOMPARE(form.font().pixelSize(), 11);
    // White form: the empty strip under the memo left of the button.
    const QImage shot = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(CountPixels(shot, QRect(0, 121, 218, 31), [](QRgb c) { return c != White; }), 0);

    CheckMakersLabels(&form, 12);
    CheckLogoBox(&form);

    auto* button = Child<QPushButton>(&form, "BitBtn1");
    QCOMPARE(button->text(), QStringLiteral("Programma afsluiten"));
    const QImage cross = button->icon().pixmap(QSize(16, 16)).toImage();
    QVERIFY(!cross.isNull());
    QVERIFY(CountPixels(cross, cross.rect(), [](QRgb c) {
                return qAlpha(c) == 255 && qRed(c) > 200 && qGreen(c) < 60 && qBlue(c) < 60;
            }) > 20);

    auto* memo = Child<QPlainTextEdit>(&form, "Memo1");
    QVERIFY(memo->isReadOnly());
    QCOMPARE(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(memo->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
    QCOMPARE(memo->font().pixelSize(), 11);
    QCOMPARE(memo->toPlainText(),
             QStringLiteral("Dit programma vereist een minimale schermresolutie van 800x600.\n"
                            "Wijzig de instellingen van het beeldscherm en herstart dit "
                            "programma."));
    QCOMPARE(memo->document()->blockCount(), 2);
    // Both lines show whole, without wrapping, in the memo's box.
    const QFontMetrics metrics(memo->font());
    for (QTextBlock line = memo->document()->firstBlock(); line.isValid(); line = line.next())
        QCOMPARE(line.layout()->lineCount(), 1);
    QVERIFY(2 * metrics.lineSpacing() <= memo->viewport()->height());
}

void TestDialogs::checkFormFocusOrder() {
    TCheckForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    auto* button = Child<QPushButton>(&form, "BitBtn1");
    auto* memo = Child<QPlainTextEdit>(&form, "Memo1");
    QTRY_COMPARE(QApplication::focusWidget(), button);
    QTest::keyClick(&form, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), memo);
    // The memo takes Tab as focus movement only (it is read-only), back to the button.
    QTest::keyClick(memo, Qt::Key_Tab);
    QTRY_COMPARE(QApplication::focusWidget(), button);
}

void TestDialogs::checkFormClosesByButtonOrCloseBox() {
    QPointer<TCheckForm> form = new TCheckForm;
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    QTest::mouseClick(Child<QPushButton>(form, "BitBtn1"), Qt::LeftButton);
    QVERIFY(!form->isVisible());
    QCOMPARE(form->result(), int(QDialog::Rejected));

    // Shown again it is the same window, centred again; the close box only hides it as well.
    form->move(0, 0);
    form->show();
    QVERIFY(QTest::qWaitForWindowExposed(form));
    CheckCentred(form);
    QVERIFY(form->close());
    QVERIFY(!form->isVisible());
    QCoreApplication::processEvents();
    QVERIFY(!form.isNull());
    delete form;
}

void TestDialogs::checkFormModalRunEndsEitherWay() {
    TCheckForm form;
    // By the button.
    QTimer::singleShot(0, &form, [&form] { Child<QPushButton>(&form, "BitBtn1")->click(); });
    QCOMPARE(form.exec(), int(QDialog::Rejected));
    QVERIFY(!form.isVisible());
    // By the close box.
    QTimer::singleShot(0, &form, [&form] { form.close(); });
    QCOMPARE(form.exec(), int(QDialog::Rejected));
    QVERIFY(!form.isVisible());
    // By Escape.
    QTimer::singleShot(0, &form, [&form] { QTest::keyClick(&form, Qt::Key_Escape); });
    QCOMPARE(form.exec(), int(QDialog::Rejected));
    QVERIFY(!form.isVisible());
}

void TestDialogs::checkFormBuiltWhenShownIsTheSameDialog() {
    // Made at start-up with nothing inside, it gets its controls only when shown, and then is the
    // dialog made whole at once: same size, same controls in the same places, same pixels.
    const auto shown = [](TCheckForm& form) {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QTRY_VERIFY(Child<QPushButton>(&form, "BitBtn1")->hasFocus());
    };
    QImage atOnce;
    QList<QRect> atOnceControls;
    {
        TCheckForm form;
        shown(form);
        atOnce = form.grab().toImage();
        for (const QWidget* control : form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            atOnceControls << control->geometry();
    }
    TCheckForm form(nullptr, TCheckForm::TBuild::WhenShown);
    QVERIFY(form.findChildren<QWidget*>().isEmpty());
    shown(form);
    QCOMPARE(form.objectName(), QStringLiteral("CheckForm"));
    QCOMPARE(form.size(), QSize(358, 152));
    QList<QRect> controls;
    for (const QWidget* control : form.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
        controls << control->geometry();
    QCOMPARE(controls, atOnceControls);
    QCOMPARE(form.grab().toImage(), atOnce);
    CheckCentred(&form);
    // Modal, as the main window shows it, it closes the same way.
    form.hide();
    QTimer::singleShot(0, &form, [&form] { Child<QPushButton>(&form, "BitBtn1")->click(); });
    QCOMPARE(form.exec(), int(QDialog::Rejected));
}

void TestDialogs::aboutFormLayout() {
    TAboutForm form;
    QCOMPARE(form.objectName(), QStringLiteral("AboutForm"));
    QCOMPARE(form.windowTitle(), QStringLiteral("About"));
    QVERIFY(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.frameGeometry().size(), QSize(445, 166));
    CheckCentred(&form);

    const TControlRow rows[] = {
        {"Image1", QRect(7, 7, 104, 40)},    {"Label1", QRect(8, 59, 173, 13)},
        {"Label4", QRect(210, 59, 175, 13)}, {"Label2", QRect(210, 39, 130, 13)},
        {"Label3", QRect(210, 20, 96, 13)},  {"BitBtn1", QRect(208, 80, 53, 25)},
    };
    for (const auto& row : rows) {
        auto* control = Child<QWidget>(&form, row.Name);
        QVERIFY2(control, row.Name);
        QCOMPARE(control->parentWidget(), &form);
        QCOMPARE(control->geometry(), row.Geometry);
    }
    QVERIFY(!Child<QWidget>(&form, "Memo1"));
}

void TestDialogs::aboutFormTextsAndLook() {
    TAboutForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.font().pixelSize(), 10);
    const QImage shot = form.grab().toImage().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(CountPixels(shot, QRect(0, 110, form.width(), form.height() - 110),
                         [](QRgb c) { return c != White; }),
             0);
    CheckMakersLabels(&form, 12);
    CheckLogoBox(&form);

    // The same maker's texts on both dialogs.
    TCheckForm check;
    for (const char* name : {"Label1", "Label2", "Label3", "Label4"})
        QCOMPARE(Child<QLabel>(&form, name)->text(), Child<QLabel>(&check, name)->text());

    auto* button = Child<QPushButton>(&form, "BitBtn1");
    QCOMPARE(button->text(), QStringLiteral("OK"));
    QVERIFY(button->isDefault());
    const QImage tick = button->icon().pixmap(QSize(16, 16)).toImage();
    QVERIFY(CountPixels(tick, tick.rect(), [](QRgb c) {
                return qAlpha(c) == 255 && qGreen(c) > 100 && qRed(c) < 60 && qBlue(c) < 60;
            }) > 15);
}

void TestDialogs::aboutFormIsSizeableAndKeepsItsSize() {
    TAboutForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QVERIFY(form.minimumSize() != form.maximumSize());
    form.resize(600, 300);
    QCOMPARE(form.size(), QSize(600, 300));
    // The controls keep their places.
    QCOMPARE(Child<QWidget>(&form, "BitBtn1")->geometry(), QRect(208, 80, 53, 25));
    form.hide();
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QCOMPARE(form.size(), QSize(600, 300));
    CheckCentred(&form);

    // Minimised and restored, it keeps the size and the place the user gave it.
    form.resize(500, 250);
    form.move(20, 30);
    for (int i = 0; i < 2; ++i) {
        form.setWindowState(Qt::WindowMinimized);
        form.setWindowState(Qt::WindowNoState);
        QCoreApplication::processEvents();
        QCOMPARE(form.size(), QSize(500, 250));
        QCOMPARE(form.frameGeometry().topLeft(), QPoint(20, 30));
    }
}

void TestDialogs::aboutFormClosesByButtonOrCloseBox() {
    TAboutForm form;
    QTimer::singleShot(0, &form,
                       [&form] { QTest::mouseClick(Child<QPushButton>(&form, "BitBtn1"), Qt::LeftButton); });
    QCOMPARE(form.exec(), int(QDialog::Accepted));
    QVERIFY(!form.isVisible());
    QTimer::singleShot(0, &form, [&form] { form.close(); });
    QCOMPARE(form.exec(), int(QDialog::Rejected));
    QVERIFY(!form.isVisible());
    // Enter presses the default OK button.
    QTimer::singleShot(0, &form, [&form] { QTest::keyClick(&form, Qt::Key_Return); });
    QCOMPARE(form.exec(), int(QDialog::Accepted));
    QVERIFY(!form.isVisible());
}

void TestDialogs::dialogIsCentredAgainWhenItsFrameComesLate() {
    // A window manager that frames the dialog only after it is on screen, as the dialogs' placement sees
    // it through the platform.
    mohr::test::TFakePlatform platform;
    platform.Desktop = QRect(100, 50, 1200, 900);
    platform.Frame = QMargins();
    QDialog dialog;
    dialog.resize(300, 200);
    new mohr::TPlacement(&dialog, mohr::TOuterSize::Own, {}, &platform);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTRY_COMPARE(dialog.geometry().topLeft(), QPoint(550, 400));
    auto* watch = dialog.findChild<QTimer*>(QStringLiteral("FrameWatch"));
    QVERIFY(watch && watch->isActive());
    // Moved meanwhile, it is centred again, frame and all, once the frame is known.
    dialog.windowHandle()->setPosition(20, 30);
    QTRY_COMPARE(dialog.geometry().topLeft(), QPoint(20, 30));
    platform.Frame = QMargins(3, 25, 3, 3);
    QVERIFY(QMetaObject::invokeMethod(watch, "timeout"));
    QTRY_COMPARE(dialog.geometry().topLeft(), QPoint(100 + 447 + 3, 50 + 336 + 25));
    QVERIFY(!watch->isActive());
    // Only once: a place the user gives it afterwards stays, whatever else happens to it.
    dialog.windowHandle()->setPosition(20, 30);
    QTRY_COMPARE(dialog.geometry().topLeft(), QPoint(20, 30));
    QWindowStateChangeEvent change(Qt::WindowNoState);
    QCoreApplication::sendEvent(&dialog, &change);
    QTest::qWait(120);
    QCOMPARE(dialog.geometry().topLeft(), QPoint(20, 30));
    QCOMPARE(dialog.size(), QSize(300, 200));
    // Shown again, it is centred again with the frame it has.
    dialog.hide();
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QTRY_COMPARE(dialog.geometry().topLeft(), QPoint(550, 411));
}

QTEST_MAIN(TestDialogs)
#include "tst_app_dialogs.moc"
