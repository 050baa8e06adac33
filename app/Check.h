#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class CheckForm;
}

// The screen-resolution warning: shown modally once when the screen is too narrow, after which the
// program ends. Created once at start-up; closing it (button, close box or Escape) only hides it.
class TCheckForm : public QDialog {
    Q_OBJECT
public:
    explicit TCheckForm(QWidget* parent = nullptr);
    ~TCheckForm() override;

public slots:
    // The abort button: closes the dialog with the reject result.
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::CheckForm> ui;
};
