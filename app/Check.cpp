#include "Check.h"

#include "pictures.h"
#include "ui_checkform.h"

#include <QLabel>
#include <QPushButton>

// The warning's layout is fixed in pixels for a 13-pixel window font.
constexpr int FormFontHeight = 13;
constexpr int LabelFontHeight = 15;
constexpr QSize ClientSize(441, 187);

TCheckForm::TCheckForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint),
      ui(std::make_unique<Ui::CheckForm>()) {
    ui->setupUi(this);
    setFixedSize(ClientSize);

    setFont(mohr::DialogFont(FormFontHeight));
    for (QLabel* label : {ui->Label1, ui->Label2, ui->Label3, ui->Label4})
        label->setFont(mohr::DialogFont(LabelFontHeight, true));

    mohr::ShowLogoWhenShown(ui->Image1);

    ui->BitBtn1->setIcon(QIcon(QStringLiteral(":/pictures/abort.xpm")));
    connect(ui->BitBtn1, &QPushButton::clicked, this, &TCheckForm::BitBtn1Click);

    mohr::KeepCentredWhenShown(this);
}

TCheckForm::~TCheckForm() = default;

void TCheckForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    ui->BitBtn1->setFocus(Qt::OtherFocusReason);
}

void TCheckForm::BitBtn1Click() {
    reject();
}
