#include "Check.h"
#include "about.h"
#include "main.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    mohr::TMainForm MainForm;
    TCheckForm CheckForm;
    TAboutForm AboutForm;
    MainForm.CheckForm = &CheckForm;
    MainForm.AboutForm = &AboutForm;
    MainForm.show();
    return application.exec();
}
