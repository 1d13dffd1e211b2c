#include "core/search/SearchIndexKeeper.h"
#include "ui/backup/CopyAtClose.h"
#include "ui/registry/ScreenRegistry.h"
#include "ui/registry/Screens.h"
#include "ui/registry/Startup.h"
#include "ui/shell/TfrmPassword.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    Startup::beforeApplication();
    // Cards saved, lent, returned or imported keep the archive's compact
    // search copy true, so the next search need not read the whole archive.
    SearchIndexKeeper::install();
    QApplication app(argc, argv);
    Startup::configure(app);
    app.setQuitOnLastWindowClosed(false);

    Screens::createAll();
    Screens::frmPassword->showScreen();
    const int code = app.exec();
    // After the user's last screen, while the main menu can still show it.
    CopyAtClose::run(Screens::get(Screens::Id::Avvio));
    Screens::destroyAll();
    return code;
}
