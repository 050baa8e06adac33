#include "Check.h"
#include "about.h"
#include "fonts.h"
#include "launch.h"
#include "main.h"

#include <QApplication>
#include <QScopeGuard>

int main(int argc, char* argv[]) {
    if (const std::optional<int> status = mohr::AnswerBeforeStart(argc, argv))
        return *status;
    mohr::SetDesktopIdentity();
    mohr::TPlatformStartGuard platformStart(mohr::ArgumentsOf(argc, argv));
    mohr::TFontWarmUp fonts;
    QApplication application(argc, argv);
    // The font thread ends before the application object does, on every way out.
    const auto joinFonts = qScopeGuard([&fonts] { fonts.Join(); });
    if (const std::optional<int> status = platformStart.RefuseWithoutScreen())
        return *status;
    platformStart.Release();
    if (const std::optional<int> status = mohr::RefuseLeftoverArguments(argc, argv))
        return *status;
    // The window font, and the application's font in which the explanation box's text starts out.
    fonts.Continue({mohr::WindowFont(), QFont()});
    mohr::TMainForm MainForm;
    mohr::TCheckForm CheckForm(nullptr, mohr::TCheckForm::TBuild::WhenShown);
    mohr::TAboutForm AboutForm;
    fonts.Join();
    MainForm.CheckForm = &CheckForm;
    MainForm.AboutForm = &AboutForm;
    MainForm.show();
    return application.exec();
}
