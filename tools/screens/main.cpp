// Grabs the screens as a user sees them, into PNG files, for the README and
// for looking at a layout after a change:
//   QT_QPA_PLATFORM=offscreen tomaria-screens OUTPUT_FOLDER [PROGRAM_FOLDER]
#include "core/storage/ProgramFolder.h"
#include "ui/registry/ScreenRegistry.h"
#include "ui/registry/Startup.h"
#include "ui/registry/Screens.h"
#include "ui/shell/TForm.h"
#include "ui/backup/TfrmCopie.h"
#include "ui/tools/TfrmCatalogoInRete.h"
#include "ui/transfer/TfrmTrasferimento.h"
#include "ui/labels/TfrmEtichette.h"
#include "ui/desk/TfrmBancoPrestiti.h"
#include "ui/desk/TfrmInventario.h"
#include "ui/loans/TfrmPrestiti.h"
#include "ui/tools/TfrmStrumenti.h"
#include "ui/report/PrintDialog.h"
#include "ui/stats/TfrmStatistiche.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QPrinter>
#include <QCheckBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>

#include <cstdio>

namespace {

void grab(TForm* screen, const QString& file)
{
    if (screen->kind() == TForm::Kind::FullScreen)
        screen->resize(1016, 713);
    screen->show();
    QApplication::processEvents();
    screen->grab().save(file);
    screen->hide();
}

} // namespace

int main(int argc, char* argv[])
{
    Startup::beforeApplication();
    QApplication app(argc, argv);
    Startup::configure(app);
    if (argc < 2) {
        std::fprintf(stderr, "uso: tomaria-screens CARTELLA_IMMAGINI [CARTELLA_PROGRAMMA]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    if (argc > 2)
        ProgramFolder::setPath(QString::fromLocal8Bit(argv[2]));
    Screens::createAll();
    for (int i = 0; i < static_cast<int>(Screens::Id::Count); ++i) {
        TForm* s = Screens::get(static_cast<Screens::Id>(i));
        grab(s, QDir(out).filePath(s->objectName() + QStringLiteral(".png")));
    }
    {
        // Not in the registry: the main menu creates it for each use.
        TfrmPrestiti loans(Screens::get(Screens::Id::Avvio));
        grab(&loans, QDir(out).filePath(loans.objectName() + QStringLiteral(".png")));
        TfrmStrumenti tools(Screens::get(Screens::Id::Avvio));
        grab(&tools, QDir(out).filePath(tools.objectName() + QStringLiteral(".png")));
        TfrmCopie copies(Screens::get(Screens::Id::Avvio));
        grab(&copies, QDir(out).filePath(copies.objectName() + QStringLiteral(".png")));
        TfrmTrasferimento transfer(Screens::get(Screens::Id::Avvio));
        grab(&transfer, QDir(out).filePath(transfer.objectName() + QStringLiteral(".png")));
        TfrmEtichette labels(Screens::get(Screens::Id::Avvio));
        grab(&labels, QDir(out).filePath(labels.objectName() + QStringLiteral(".png")));
        TfrmBancoPrestiti desk(Screens::get(Screens::Id::Avvio));
        grab(&desk, QDir(out).filePath(desk.objectName() + QStringLiteral(".png")));
        TfrmInventario stocktake(Screens::get(Screens::Id::Avvio));
        grab(&stocktake, QDir(out).filePath(stocktake.objectName() + QStringLiteral(".png")));
    }
    {
        // Off, then on with its poster as a PDF.
        TfrmCatalogoInRete net(Screens::get(Screens::Id::Avvio));
        grab(&net, QDir(out).filePath(net.objectName() + QStringLiteral(".png")));
        net.spnPorta()->setValue(38517);
        net.chkAttivo()->setChecked(true);
        grab(&net, QDir(out).filePath(net.objectName() + QStringLiteral("Attivo.png")));
        const QString pdf = QDir(out).filePath(QStringLiteral("AvvisoCatalogoInRete.pdf"));
        PrintDialog::setHandler([&](QPrinter& printer, const PreparedReport&) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
        net.btnStampaClick();
        PrintDialog::setHandler({});
        net.chkAttivo()->setChecked(false);
    }
    {
        // Also created for each use; its whole printed set goes beside the
        // pictures as a PDF, to turn its pages.
        TfrmStatistiche stats(Screens::get(Screens::Id::Avvio));
        grab(&stats, QDir(out).filePath(stats.objectName() + QStringLiteral(".png")));
        const QString pdf = QDir(out).filePath(stats.objectName() + QStringLiteral(".pdf"));
        PrintDialog::setHandler([&](QPrinter& printer, const PreparedReport&) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(pdf);
            return true;
        });
        stats.findChild<QPushButton*>(QStringLiteral("btnStampaTutto"))->click();
        PrintDialog::setHandler({});
    }
    Screens::destroyAll();
    return 0;
}
