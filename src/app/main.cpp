#include "ui/registry/ScreenRegistry.h"
#include "ui/registry/Screens.h"
#include "ui/registry/Startup.h"
#include "ui/shell/TfrmPassword.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    Startup::beforeApplication();
    QApplication app(argc, argv);
    Startup::configure(app);
    app.setQuitOnLastWindowClosed(false);

    Screens::createAll();
    Screens::frmPassword->showScreen();
    const int code = app.exec();
    Screens::destroyAll();
    return code;
}
