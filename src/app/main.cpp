#include "ui/TApplication.h"
#include "ui/TMainForm.h"

int main(int argc, char** argv) {
    TApplication application(argc, argv);
    TApplication::setApplicationName(QStringLiteral("Quillshift for RVLT"));
    TApplication::setDesktopFileName(QStringLiteral("org.reelvault.Quillshift"));
    TMainForm mainForm;
    application.setErrorGuard(&mainForm.errorGuard());
    mainForm.show();
    mainForm.openStartupArguments(TApplication::arguments().mid(1));
    return TApplication::exec();
}
