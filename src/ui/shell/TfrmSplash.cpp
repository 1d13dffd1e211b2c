#include "TfrmSplash.h"

#include "core/text/Maker.h"
#include "ui/shell/Picture.h"
#include "ui/shell/TMisc.h"
#include "ui/shell/TextLink.h"

#include <QLabel>
#include <QPushButton>

namespace {

QLabel* addText(QWidget* parent, const QString& name, const QString& text, QRect at, const QString& style)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setGeometry(at);
    l->setAlignment(Qt::AlignCenter);
    l->setStyleSheet(style);
    return l;
}

} // namespace

TfrmSplash::TfrmSplash(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Tomaria - Realizzato da ") + Maker::kName, {661, 467})
{
    setObjectName(QStringLiteral("TfrmSplash"));
    setBackgroundGradient(QColor(0xEE, 0xF4, 0xFB), QColor(0xDC, 0xEB, 0xF8));
    QWidget* pan = panContainer();

    // The credits picture; the maker's name and address are written over it
    // from the one place that holds them.
    auto* logo = new Picture(QStringLiteral("imgLogo"), QStringLiteral("crediti"), pan, {18, 14, 625, 380}, false);
    // The title picture's drawing takes its left 446 of 560 units: shifted
    // so that the drawing, not the picture, is centred.
    new Picture(QStringLiteral("imgTitolo"), QStringLiteral("title"), logo, {110, 40, 509, 87}, false);
    addText(logo, QStringLiteral("lblSottotitolo"),
        QStringLiteral("Il catalogo di libri, DVD e articoli giornalistici per lettori e biblioteche"), {40, 136, 545, 24},
        QStringLiteral("color: #1F4E8C; font-style: italic; font-size: 10pt;"));
    addText(logo, QStringLiteral("lblIdeato"), QStringLiteral("Ideato, progettato e realizzato da"), {40, 196, 545, 22},
        QStringLiteral("color: #6B7B8E; font-size: 9pt;"));
    addText(logo, QStringLiteral("lblProduttore"), Maker::kName, {40, 220, 545, 40},
        QStringLiteral("color: #1F4E8C; font-family: Georgia; font-weight: bold; font-size: 20pt;"));
    addText(
        logo, QStringLiteral("lblSito"), Maker::kSiteWithoutScheme, {40, 262, 545, 22}, QStringLiteral("color: #23303F; font-size: 10pt;"));
    addText(logo, QStringLiteral("lblDiritti"), QStringLiteral("Tutti i diritti riservati."), {11, 318, 603, 51},
        QStringLiteral("color: white; font-weight: bold; font-size: 10pt;"));

    auto* web = new Picture(QStringLiteral("imgWeb"), QStringLiteral("ico_sito"), pan, {18, 412, 36, 36}, true);
    m_lnkWeb = new TextLink(QStringLiteral("lnkWeb"), Maker::kSiteWithoutScheme, pan, {62, 420, 300, 20});
    m_lnkWeb->bindPicture(web);
    connect(m_lnkWeb, &TextLink::clicked, this, &TfrmSplash::lnkWebClick);

    auto* chiudi = new QPushButton(QStringLiteral("Chiudi"), pan);
    chiudi->setObjectName(QStringLiteral("btnChiudi"));
    chiudi->setGeometry(543, 415, 100, 30);
    connect(chiudi, &QPushButton::clicked, this, &TfrmSplash::btnChiudiClick);
}

void TfrmSplash::lnkWebClick()
{
    m_lnkWeb->setColour(TextLink::kRest);
    TMisc::Open(Maker::kSite);
}
