#include "TfrmAvvio.h"

#include "core/collections/Collection.h"
#include "core/text/HelpText.h"
#include "core/text/Maker.h"
#include "core/text/Text.h"
#include "ui/cards/CardForm.h"
#include "ui/registry/CollectionList.h"
#include "ui/shell/Controls.h"
#include "ui/shell/Picture.h"
#include "ui/shell/ScreenDirectory.h"
#include "ui/shell/TMisc.h"
#include "ui/shell/TfrmGuida.h"
#include "ui/shell/TfrmInfo.h"
#include "ui/shell/TfrmSplash.h"
#include "ui/tools/TfrmStrumenti.h"
#include "ui/desk/TfrmBancoPrestiti.h"

#include <QShortcut>

#include <QFrame>
#include <QLabel>

#include <algorithm>
#include <tuple>

TfrmAvvio::TfrmAvvio(QWidget* owner)
    : TForm(owner, Kind::FullScreen, QStringLiteral(" Tomaria"))
{
    setObjectName(QStringLiteral("TfrmAvvio"));
    setBackgroundGradient(QColor(0x1F, 0x4E, 0x8C), QColor(0xDC, 0xEB, 0xF8));
    QWidget* pan = panContainer();

    Controls::menuPanel(pan);

    new Picture(QStringLiteral("imgTitolo"), QStringLiteral("title"), pan, {217, 22, 560, 96}, false);

    Controls::menuStrip(pan, QStringLiteral("lblSottotitolo"),
        QStringLiteral("Il catalogo di libri, DVD e articoli giornalistici per lettori e biblioteche"), {97, 132, 800, 32});

    // The tiles share the width the first three had, 60 apart; more tiles
    // than three get narrower, in proportion.
    constexpr int kLeft = 47, kSpan = 900, kGap = 60, kTileWidth = 260, kTileHeight = 220;
    const auto entries = CollectionList::all();
    const int n = static_cast<int>(entries.size());
    const int w = n > 0 ? std::min(kTileWidth, (kSpan - (n - 1) * kGap) / n) : kTileWidth;
    const int h = kTileHeight * w / kTileWidth;
    int x = kLeft + (kSpan - (n * w + (n - 1) * kGap)) / 2;
    for (const CollectionScreens* entry : entries) {
        const QString name = Text::utf8(entry->menuName);
        const QString picture = Text::utf8(entry->collection->picture);
        for (auto [prefix, svg, at] :
            {std::tuple{"img", "tile_", QRect(x, 196 + kTileHeight - h, w, h)}, std::tuple{"btn", "btn_", QRect(x, 426, w, 44)}}) {
            auto* p = new Picture(QLatin1String(prefix) + name, QLatin1String(svg) + picture, pan, at, true);
            connect(p, &Picture::clicked, this, [this, entry] { openCollection(*entry); });
        }
        x += w + kGap;
    }

    addPicture(QStringLiteral("imgInfo"), QStringLiteral("ico_info"), {20, 20, 48, 48}, &TfrmAvvio::imgInfoClick);
    addPicture(QStringLiteral("imgGuida"), QStringLiteral("ico_guida"), {927, 20, 48, 48}, &TfrmAvvio::imgGuidaClick);
    // Beside the help icon, clear of every other element of the menu: the
    // one way to the additions (loans, safety copies, ...).
    addPicture(QStringLiteral("imgStrumenti"), QStringLiteral("ico_strumenti"), {871, 20, 48, 48}, &TfrmAvvio::imgStrumentiClick)
        ->setToolTip(QStringLiteral("Strumenti: prestiti, copie di sicurezza e altro."));
    // The lending desk is used many times a day: one key from the menu.
    auto* banco = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_B), this);
    banco->setObjectName(QStringLiteral("keyBanco"));
    connect(banco, &QShortcut::activated, this, [this] { TfrmBancoPrestiti::open(this); });
    addPicture(QStringLiteral("imgCopyright"), QStringLiteral("ico_copyright"), {20, 624, 48, 48}, &TfrmAvvio::imgCopyrightClick);
    addPicture(QStringLiteral("imgEsci"), QStringLiteral("ico_esci"), {927, 624, 48, 48}, &TfrmAvvio::imgEsciClick);

    auto* striscia = new QLabel(Maker::kName + QStringLiteral("  \u2022  ") + Maker::kSiteWithoutScheme, pan);
    striscia->setObjectName(QStringLiteral("lblProduttore"));
    striscia->setGeometry(297, 560, 400, 30);
    striscia->setAlignment(Qt::AlignCenter);
    striscia->setStyleSheet(QStringLiteral("color: #1F4E8C; font-weight: bold; border-top: 2px solid #C9A227;"));
    addPicture(QStringLiteral("imgSito"), QStringLiteral("ico_sito"), {473, 596, 48, 48}, &TfrmAvvio::imgSitoClick);
}

Picture* TfrmAvvio::addPicture(const QString& name, const QString& svg, QRect at, void (TfrmAvvio::*handler)())
{
    auto* p = new Picture(name, svg, panContainer(), at, true);
    connect(p, &Picture::clicked, this, handler);
    return p;
}

void TfrmAvvio::openCollection(const CollectionScreens& entry)
{
    const std::string_view screen = entry.menuScreen.empty() ? entry.form->objectName : entry.menuScreen;
    handOver(Screens::named(Text::utf8(screen)));
}

void TfrmAvvio::imgInfoClick()
{
    TfrmInfo info(this);
    info.execModal();
}

void TfrmAvvio::imgCopyrightClick()
{
    TfrmSplash splash(this);
    splash.execModal(true);
}

void TfrmAvvio::imgGuidaClick()
{
    TfrmGuida::showTopic(this, QStringLiteral("Uno sguardo a Tomaria."), HelpText::topic(QStringLiteral("avvio")));
}

void TfrmAvvio::imgStrumentiClick()
{
    TfrmStrumenti::open(this);
}

void TfrmAvvio::imgSitoClick()
{
    TMisc::Open(Maker::kSite);
}

void TfrmAvvio::imgEsciClick()
{
    Screens::endApplication();
}

void TfrmAvvio::formClose()
{
    Screens::endApplication();
}
