#include "TfrmInfo.h"

#include "core/text/Maker.h"
#include "ui/shell/Controls.h"
#include "ui/shell/Picture.h"
#include "ui/shell/TMisc.h"
#include "ui/shell/TextLink.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace {

QLabel* addText(QWidget* parent, const QString& name, const QString& text, QRect at, const QString& style)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(at);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    l->setStyleSheet(style);
    return l;
}

} // namespace

TfrmInfo::TfrmInfo(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Informazioni su Tomaria"), {473, 579})
{
    setObjectName(QStringLiteral("TfrmInfo"));
    setBackgroundGradient(QColor(0xEE, 0xF4, 0xFB), QColor(0xDC, 0xEB, 0xF8));
    QWidget* pan = panContainer();

    auto* band = new QFrame(pan);
    band->setObjectName(QStringLiteral("shpTestata"));
    band->setGeometry(0, 0, 473, 86);
    band->setStyleSheet(QStringLiteral("#shpTestata { background: white; border-bottom: 2px solid #C9A227; }"));
    new Picture(QStringLiteral("imgLogo"), QStringLiteral("info_testata"), band, {16, 8, 440, 70}, false);

    // The information panel: the product, what it does, who makes it.
    auto* panel = Controls::panel(pan, QStringLiteral("shpPannello"), {16, 100, 441, 336}, 10);
    // The drawing takes the left 446 of the picture's 560 units: centre it.
    new Picture(QStringLiteral("imgProdotto"), QStringLiteral("title"), panel, {61, 16, 400, 69}, false);
    addText(panel, QStringLiteral("lblSottotitolo"),
        QStringLiteral("Il catalogo di libri, DVD e articoli giornalistici per lettori e biblioteche"), {12, 96, 417, 36},
        QStringLiteral("color: #1F4E8C; font-style: italic; font-size: 8pt;"));
    addText(panel, QStringLiteral("lblDescrizione"),
        QStringLiteral("Un solo programma per tenere in ordine la propria collezione: schede complete per ogni "
                       "libro, DVD e articolo, ricerche con più filtri contemporaneamente, gestione dei prestiti, "
                       "stampa delle schede, file allegati ed esportazione degli archivi in Microsoft Excel. "
                       "Tutti i dati restano nella cartella del programma, pronti da copiare per una copia di sicurezza."),
        {24, 142, 393, 110}, QStringLiteral("color: #23303F;"));
    auto* rule = new QFrame(panel);
    rule->setGeometry(120, 262, 201, 2);
    rule->setStyleSheet(QStringLiteral("background: #C9A227; border: none;"));
    addText(panel, QStringLiteral("lblProduttore"), QStringLiteral("Realizzato da ") + Maker::kName, {20, 274, 401, 22},
        QStringLiteral("color: #1F4E8C; font-weight: bold;"));
    addText(panel, QStringLiteral("lblSito"), Maker::kSiteWithoutScheme, {20, 298, 401, 22}, QStringLiteral("color: #6B7B8E;"));

    addText(pan, QStringLiteral("lblContatti"), QStringLiteral("Per informazioni e assistenza scrivete a:"), {16, 452, 441, 20},
        QStringLiteral("color: #23303F;"));
    auto* email = new Picture(QStringLiteral("imgEmail"), QStringLiteral("busta"), pan, {96, 478, 40, 30}, true);
    m_lnkWeb = new TextLink(QStringLiteral("lnkWeb"), Maker::kEmail, pan, {144, 483, 280, 20});
    m_lnkWeb->bindPicture(email);
    connect(m_lnkWeb, &TextLink::clicked, this, &TfrmInfo::lnkWebClick);

    auto* chiudi = new QPushButton(QStringLiteral("Chiudi"), pan);
    chiudi->setObjectName(QStringLiteral("btnChiudi"));
    chiudi->setGeometry(186, 530, 100, 30);
    connect(chiudi, &QPushButton::clicked, this, &TfrmInfo::btnChiudiClick);
}

QString TfrmInfo::mailCommand()
{
    return QLatin1Char('"') + QStringLiteral("mailto:") + Maker::kEmail + QStringLiteral("?subject=") + QStringLiteral("Software Tomaria")
        + QStringLiteral("&body=") + QStringLiteral("Salve, desidererei avere le seguenti informazioni sul software in oggetto:")
        + QLatin1Char('"');
}

void TfrmInfo::lnkWebClick()
{
    m_lnkWeb->setColour(TextLink::kRest);
    TMisc::Open(mailCommand());
}
