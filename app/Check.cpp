#include "Check.h"

#include "fonts.h"
#include "paintbox.h"
#include "pictures.h"
#include "placement.h"
#include "ui_checkform.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

namespace mohr {

namespace {

// The warning's layout is stored for 120 pixels per inch, where the window font is 16 pixels high, and
// is scaled once, fonts included, by the ratio of the screen's text height to that.
constexpr int StoredTextHeight = 16;
constexpr int FormFontHeight = 13;
constexpr int LabelFontHeight = 15;
constexpr QSize ClientSize(441, 187);

} // namespace

TCheckForm::TCheckForm(QWidget* parent, TBuild build)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    if (build == TBuild::AtOnce)
        Build();
}

TCheckForm::~TCheckForm() = default;

void TCheckForm::setVisible(bool visible) {
    if (visible)
        Build();
    QDialog::setVisible(visible);
}

void TCheckForm::Build() {
    if (ui_)
        return;
    ui_ = std::make_unique<Ui::CheckForm>();
    ui_->setupUi(this);
    SetBlackOnWhite(this);

    // The screen's text height follows its logical resolution: 13 pixels at 96 pixels per inch.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int screenTextHeight = screen ? qRound(13 * screen->logicalDotsPerInchY() / 96) : StoredTextHeight;
    // Rounded edge by edge, so that controls that meet in the stored layout still meet.
    const auto scale = [screenTextHeight](int stored) {
        return (stored * screenTextHeight + StoredTextHeight / 2) / StoredTextHeight;
    };
    for (QWidget* control : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        const QRect stored = control->geometry();
        control->setGeometry(QRect(QPoint(scale(stored.left()), scale(stored.top())),
                                   QPoint(scale(stored.right() + 1) - 1, scale(stored.bottom() + 1) - 1)));
    }
    setFixedSize(scale(ClientSize.width()), scale(ClientSize.height()));

    setFont(DialogFont(scale(FormFontHeight)));
    for (QLabel* label : {ui_->Label1, ui_->Label2, ui_->Label3, ui_->Label4}) {
        label->setFont(DialogFont(scale(LabelFontHeight), true));
        label->adjustSize(); // sized to its text
    }

    // A classic text box keeps about a pixel between its frame and its text; the default wider margin
    // would wrap the longer line in the scaled box.
    ui_->Memo1->document()->setDocumentMargin(1);

    ShowLogoWhenShown(ui_->Image1);

    ui_->BitBtn1->setIcon(PictureIcon(QStringLiteral(":/pictures/abort.xpm")));
    connect(ui_->BitBtn1, &QPushButton::clicked, this, &TCheckForm::BitBtn1Click);

    // Centred on the desktop each time it is shown, at the size laid out above.
    new mohr::TPlacement(this, mohr::TOuterSize::Own);
}

void TCheckForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ui_->BitBtn1->setFocus(Qt::OtherFocusReason);
}

void TCheckForm::BitBtn1Click() {
    reject();
}

} // namespace mohr
