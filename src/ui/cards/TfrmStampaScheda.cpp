#include "TfrmStampaScheda.h"

#include "ui/report/CardReport.h"
#include "ui/report/Report.h"
#include "ui/shell/Picture.h"

#include <QFrame>
#include <QPushButton>

namespace {

QPushButton* addButton(QWidget* parent, const QString& name, const QString& caption, QRect at)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setGeometry(at);
    button->setFont(QFont(QStringLiteral("Verdana"), 8));
    button->setCursor(Qt::PointingHandCursor);
    button->setAutoDefault(false);
    return button;
}

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

    QPushButton* annulla = addButton(pan, QStringLiteral("btnAnnulla"), QStringLiteral("Annulla"), {18, 243, 137, 28});
    QPushButton* stampa = addButton(pan, QStringLiteral("btnStampa"), QStringLiteral("Stampa"), {208, 243, 137, 28});
    setTabOrder(annulla, stampa);
    connect(annulla, &QPushButton::clicked, this, &TfrmStampaScheda::btnAnnullaClick);
    connect(stampa, &QPushButton::clicked, this, &TfrmStampaScheda::btnStampaClick);
}

TfrmStampaScheda::~TfrmStampaScheda() = default;

void TfrmStampaScheda::btnStampaClick()
{
    Report& report = *m_repDocumento;
    report.setOrientation(QPageLayout::Portrait);
    CardReport::fill(report, m_sheet, m_sheet.cardScreen ? m_sheet.cardScreen() : nullptr);
    report.prepare();
    // Confirmed or cancelled, the screen closes; a printer that failed has
    // been reported, and the screen stays for another try.
    if (report.print(this) != Report::PrintResult::Failed)
        close();
}

void TfrmStampaScheda::btnAnnullaClick()
{
    close();
}
