#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class AboutForm;
}

namespace mohr {

// The about dialog, shown modally from the main window's about button. It may be resized, minimised
// and maximised; created once at start-up, closing it (OK, close box or Escape) only hides it.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(QWidget* parent = nullptr);
    ~TAboutForm() override;

public slots:
    // The OK button: closes the dialog with the accept result.
    void BitBtn1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::unique_ptr<Ui::AboutForm> ui_;
};

} // namespace mohr
