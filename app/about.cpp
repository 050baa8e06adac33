#include "about.h"

#include "pictures.h"
#include "placement.h"
#include "ui_aboutform.h"

#include <QLabel>
#include <QPushButton>

constexpr int FormFontHeight = 10;
constexpr int LabelFontHeight = 12;
// The designed size includes the window frame.
constexpr QSize OuterSize(445, 166);

TAboutForm::TAboutForm(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      ui(std::make_unique<Ui::AboutForm>()) {
    ui->setupUi(this);

    setFont(mohr::DialogFont(FormFontHeight));
    for (QLabel* label : {ui->Label1, ui->Label2, ui->Label3, ui->Label4})
        label->setFont(mohr::DialogFont(LabelFontHeight, true));

    mohr::ShowLogoWhenShown(ui->Image1);

    ui->BitBtn1->setIcon(mohr::PictureIcon(QStringLiteral(":/pictures/ok.xpm")));
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TAboutForm::BitBtn1Click);

    // The first showing gets the designed outer size; later showings keep what the user made of it.
    new mohr::TPlacement(this, mohr::TOuterSize::AtFirstShowing, OuterSize);
}

TAboutForm::~TAboutForm() = default;

void TAboutForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ui->BitBtn1->setFocus(Qt::OtherFocusReason);
}

void TAboutForm::BitBtn1Click() {
    accept();
}
