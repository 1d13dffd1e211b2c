#include "TfrmStampaScheda.h"

#include "ui/shell/Controls.h"
#include "ui/report/CardReport.h"
#include "print/report/Report.h"
#include "print/report/ReportPaginator.h"
#include "ui/report/ReportPrinter.h"
#include "ui/shell/Picture.h"
#include "ui/shell/ScreenDirectory.h"

#include <QFrame>
#include <QPushButton>

namespace {

} // namespace

TfrmStampaScheda::TfrmStampaScheda(QWidget* owner, CardSheet sheet)
    : TForm(owner, Kind::Dialog, sheet.windowCaption, {364, 287})
    , m_sheet(std::move(sheet))
    , m_repDocumento(CardReport::createTemplate(m_sheet))
{
    setBackgroundGradient(QColor(0x74, 0x94, 0xB3), Qt::white);
    QWidget* pan = panContainer();

    auto* sfondo = new QFrame(pan);
    sfondo->setObjectName(QStringLiteral("shpSfondo"));
    sfondo->setGeometry(18, 18, 326, 215);
    sfondo->setStyleSheet(QStringLiteral("background: white;"));
    new Picture(QStringLiteral("imgLogo01"), QStringLiteral("stampa_scheda"), pan, {22, m_sheet.logoTop, 318, 190}, false);

    QPushButton* annulla = Controls::button(
        pan, QStringLiteral("btnAnnulla"), QStringLiteral("Annulla"), {18, 243, 137, 28}, Controls::verdana(8));
    QPushButton* stampa = Controls::button(
        pan, QStringLiteral("btnStampa"), QStringLiteral("Stampa"), {208, 243, 137, 28}, Controls::verdana(8));
    setTabOrder(annulla, stampa);
    connect(annulla, &QPushButton::clicked, this, &TfrmStampaScheda::btnAnnullaClick);
    connect(stampa, &QPushButton::clicked, this, &TfrmStampaScheda::btnStampaClick);
}

TfrmStampaScheda::~TfrmStampaScheda() = default;

void TfrmStampaScheda::btnStampaClick()
{
    Report& report = *m_repDocumento;
    report.setOrientation(QPageLayout::Portrait);
    CardReport::fill(report, m_sheet, Screens::cardFor(m_sheet.cardTag));
    // Confirmed or cancelled, the screen closes; a printer that failed has
    // been reported, and the screen stays for another try.
    if (ReportPrinter::print(this, ReportPaginator::paginate(report)) != ReportPrinter::Result::Failed)
        close();
}

void TfrmStampaScheda::btnAnnullaClick()
{
    close();
}
