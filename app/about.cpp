#include "about.h"

#include "fonts.h"
#include "pictures.h"
#include "placement.h"
#include "ui_aboutform.h"

#include <QLabel>
#include <QPushButton>

namespace mohr {

namespace {

constexpr int FormFontHeight = 10;
constexpr int LabelFontHeight = 12;
// The designed size includes the window frame.
constexpr QSize OuterSize(445, 166);

} // namespace

TAboutForm::TAboutForm(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      ui_(std::make_unique<Ui::AboutForm>()) {
    ui_->setupUi(this);

    setFont(DialogFont(FormFontHeight));
    for (QLabel* label : {ui_->Label1, ui_->Label2, ui_->Label3, ui_->Label4})
        label->setFont(DialogFont(LabelFontHeight, true));

    ShowLogoWhenShown(ui_->Image1);

    ui_->BitBtn1->setIcon(PictureIcon(QStringLiteral(":/pictures/ok.xpm")));
    connect(ui_->BitBtn1, &QPushButton::clicked, this, &TAboutForm::BitBtn1Click);

    // The first showing gets the designed outer size; later showings keep what the user made of it.
    new mohr::TPlacement(this, mohr::TOuterSize::AtFirstShowing, OuterSize);
}

TAboutForm::~TAboutForm() = default;

void TAboutForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ui_->BitBtn1->setFocus(Qt::OtherFocusReason);
}

void TAboutForm::BitBtn1Click() {
    accept();
}

} // namespace mohr
