#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class CheckForm;
}

// The height in pixels of the window font's text on a screen of the given logical resolution: 13 at
// 96 pixels per inch, 16 at 120.
int ScreenTextHeight(qreal logicalDpi);

// The screen-resolution warning: shown modally once when the screen is too narrow, after which the
// program ends. Created once at start-up; closing it (button, close box or Escape) only hides it.
class TCheckForm : public QDialog {
    Q_OBJECT
public:
    // Laid out for a screen whose window font is `screenTextHeight` pixels high; by default the primary
    // screen's.
    explicit TCheckForm(QWidget* parent = nullptr, int screenTextHeight = 0);
    ~TCheckForm() override;

public slots:
    // The abort button: closes the dialog with the reject result.
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::CheckForm> ui;
};
