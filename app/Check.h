#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class CheckForm;
}

namespace mohr {

// The screen-resolution warning: shown modally once when the screen is too narrow, after which the
// program ends. Created once at start-up; closing it (button, close box or Escape) only hides it.
class TCheckForm : public QDialog {
    Q_OBJECT
public:
    // When its controls are made: at once, or when the dialog is first shown. Most screens are wide
    // enough, and the program's start need not lay out a warning that is then never seen.
    enum class TBuild { AtOnce, WhenShown };

    explicit TCheckForm(QWidget* parent = nullptr, TBuild build = TBuild::AtOnce);
    ~TCheckForm() override;

    void setVisible(bool visible) override;

public slots:
    // The abort button: closes the dialog with the reject result.
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void Build();

    std::unique_ptr<Ui::CheckForm> ui_;
};

} // namespace mohr
