#include "Check.h"
#include "about.h"
#include "launch.h"
#include "main.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    if (const std::optional<int> status = mohr::AnswerBeforeStart(argc, argv))
        return *status;
    mohr::SetDesktopIdentity();
    mohr::TPlatformStartGuard platformStart(mohr::ArgumentsOf(argc, argv));
    QApplication application(argc, argv);
    if (const std::optional<int> status = platformStart.RefuseWithoutScreen())
        return *status;
    platformStart.Release();
    if (const std::optional<int> status = mohr::RefuseLeftoverArguments(argc, argv))
        return *status;
    mohr::TMainForm MainForm;
    mohr::TCheckForm CheckForm(nullptr, mohr::TCheckForm::TBuild::WhenShown);
    mohr::TAboutForm AboutForm;
    MainForm.CheckForm = &CheckForm;
    MainForm.AboutForm = &AboutForm;
    MainForm.show();
    return application.exec();
}
