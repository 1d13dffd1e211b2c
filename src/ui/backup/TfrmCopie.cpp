#include "TfrmCopie.h"

#include "core/backup/Restore.h"
#include "core/collections/Collection.h"
#include "core/text/Clock.h"
#include "core/text/Text.h"
#include "ui/cards/CardScreen.h"
#include "ui/shell/Controls.h"
#include "ui/shell/Msg.h"
#include "ui/shell/Picture.h"
#include "ui/shell/TfrmGuida.h"

#include <algorithm>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>

#include <algorithm>

namespace {

constexpr QSize kClient{800, 470};

QString when(const SafetyCopy::Info& c)
{
    return Clock::shortDate(c.when.date()) + QLatin1Char(' ') + c.when.time().toString(QStringLiteral("HH:mm:ss"));
}

QString sizeText(qint64 bytes)
{
    return QLocale(QLocale::Italian).formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

} // namespace

TfrmCopie::TfrmCopie(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Copie di sicurezza del catalogo"), kClient)
    , m_folder(SafetyCopy::folder())
{
    setObjectName(QStringLiteral("TfrmCopie"));
    setBackgroundGradient(Qt::black, Qt::white);
    setPanelSize(kClient - QSize(29, 31));
    QWidget* pan = panContainer();
    Controls::styleListPanel(pan);
    QFrame* banner = Controls::listBanner(pan, kClient.width() - 45);
    auto* heading = new QLabel(QStringLiteral("Copie di sicurezza"), banner);
    heading->setObjectName(QStringLiteral("lblTitolo"));
    heading->setFont(Controls::verdana(13, true));
    heading->setStyleSheet(QStringLiteral("color: #1F4E8C;"));
    heading->move(290, 14);
    heading->adjustSize();
    new Picture(QStringLiteral("icoCopie"), QStringLiteral("ico_copie"), banner, {banner->width() - 107, 4, 44, 44}, false);
    TfrmGuida::bannerButton(
        banner, QStringLiteral("Guida alle copie di sicurezza."), QStringLiteral("Copie di sicurezza."), QStringLiteral("copie"));

    auto* rigo = new QLabel(QStringLiteral("Ogni copia è uno zip con gli archivi, gli allegati, il file delle password e le "
                                           "impostazioni, verificato dopo la scrittura.\nTomaria ne crea una da sé alla chiusura "
                                           "quando il catalogo è cambiato e l'ultima ha più di un giorno."),
        pan);
    rigo->setObjectName(QStringLiteral("lblRigo01"));
    rigo->setGeometry(8, 62, kClient.width() - 45, 34);
    auto* cartella = new QLabel(QStringLiteral("Cartella delle copie: ") + QDir::toNativeSeparators(m_folder), pan);
    cartella->setObjectName(QStringLiteral("lblCartella"));
    cartella->setGeometry(8, 100, kClient.width() - 45, 18);
    cartella->setStyleSheet(QStringLiteral("color: #1F4E8C; font-weight: bold;"));

    m_lstCopie = new QTreeWidget(pan);
    m_lstCopie->setObjectName(QStringLiteral("lstCopie"));
    m_lstCopie->setGeometry(8, 124, kClient.width() - 45, 240);
    m_lstCopie->setRootIsDecorated(false);
    m_lstCopie->setHeaderLabels({QStringLiteral("Data"), QStringLiteral("Dimensione"), QStringLiteral("Schede"), QStringLiteral("File")});
    m_lstCopie->header()->resizeSection(0, 150);
    m_lstCopie->header()->resizeSection(1, 90);
    m_lstCopie->header()->resizeSection(2, 260);
    connect(m_lstCopie, &QTreeWidget::itemDoubleClicked, this, [this] { btnRipristinaClick(); });

    m_lblStato = new QLabel(pan);
    m_lblStato->setObjectName(QStringLiteral("lblStato"));
    m_lblStato->setGeometry(8, 372, kClient.width() - 45, 20);
    m_lblStato->setStyleSheet(QStringLiteral("color: #008B8B; font-weight: bold;"));

    const QFont font = Controls::verdana(9, true);
    const int y = kClient.height() - 31 - 42;
    auto* chiudi = Controls::button(pan, QStringLiteral("btnChiudi"), QStringLiteral("Chiudi"), {8, y, 150, 30}, font);
    connect(chiudi, &QPushButton::clicked, this, [this] { btnChiudiClick(); });
    auto* crea = Controls::button(pan, QStringLiteral("btnCrea"), QStringLiteral("Crea una copia ora"), {380, y, 180, 30}, font);
    connect(crea, &QPushButton::clicked, this, [this] { btnCreaClick(); });
    auto* ripristina = Controls::button(
        pan, QStringLiteral("btnRipristina"), QStringLiteral("Ripristina la copia scelta"), {570, y, 196, 30}, font);
    connect(ripristina, &QPushButton::clicked, this, [this] { btnRipristinaClick(); });
}

void TfrmCopie::formShow()
{
    refill();
}

void TfrmCopie::refill()
{
    m_copies = SafetyCopy::list(m_folder);
    m_lstCopie->clear();
    for (const SafetyCopy::Info& c : m_copies) {
        auto* item = new QTreeWidgetItem(m_lstCopie,
            QStringList{when(c), sizeText(c.size), c.readable ? SafetyCopy::cardsText(c.cards) : QStringLiteral("zip illeggibile"),
                QFileInfo(c.path).fileName()});
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    // The cards of each archive show whole: the file's name, last, gives
    // up its room first (it keeps at least kFileRoom).
    constexpr int kFileRoom = 120;
    const int room = m_lstCopie->viewport()->width() - m_lstCopie->header()->sectionSize(0) - m_lstCopie->header()->sectionSize(1)
        - kFileRoom;
    m_lstCopie->resizeColumnToContents(2);
    m_lstCopie->header()->resizeSection(2, std::clamp(m_lstCopie->header()->sectionSize(2) + 12, 260, std::max(260, room)));
    if (!m_copies.isEmpty())
        m_lstCopie->setCurrentItem(m_lstCopie->topLevelItem(0));
    setStatus(m_copies.isEmpty() ? QStringLiteral("Nessuna copia di sicurezza in questa cartella.")
                                 : Text::counted(m_copies.size(), u"copia di sicurezza", u"copie di sicurezza")
                + (m_copies.size() == 1 ? QStringLiteral(".") : QStringLiteral(", la più recente in alto.")));
}

void TfrmCopie::setStatus(const QString& text)
{
    m_lblStato->setText(text);
    m_lblStato->repaint();
}

void TfrmCopie::btnCreaClick()
{
    setStatus(QStringLiteral("Copia di sicurezza in corso..."));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const SafetyCopy::Outcome made = SafetyCopy::make(m_folder);
    if (made.ok)
        SafetyCopy::rotate(m_folder, SafetyCopy::keep(), made.path);
    QApplication::restoreOverrideCursor();
    refill();
    if (made.ok)
        Msg::information(
            this, QStringLiteral("La copia di sicurezza è stata creata e verificata:\r\n\r\n%1").arg(QDir::toNativeSeparators(made.path)));
    else
        Msg::error(this, SafetyCopy::failureMessage(made.error));
}

void TfrmCopie::btnRipristinaClick()
{
    const int row = m_lstCopie->indexOfTopLevelItem(m_lstCopie->currentItem());
    if (row < 0 || row >= m_copies.size()) {
        Msg::warning(this, QStringLiteral("Scegliere nell'elenco la copia da ripristinare."));
        return;
    }
    const SafetyCopy::Info chosen = m_copies[row];
    const Restore::Preview preview = Restore::preview(chosen.path);
    QString question;
    if (preview.ofAnotherCatalogue)
        question = QStringLiteral("Attenzione: questa copia è di un altro catalogo%1, non di questo.\r\n\r\n")
                       .arg(preview.otherCatalogue.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(preview.otherCatalogue));
    question += QStringLiteral("Ripristinare il catalogo com'era nella copia del %1?\r\n\r\n").arg(when(chosen));
    if (preview.error.isEmpty())
        question += Restore::describe(preview).replace(QLatin1Char('\n'), QStringLiteral("\r\n")) + QStringLiteral("\r\n\r\n");
    question += QStringLiteral("Il catalogo attuale sarà prima salvato in una copia a sé, così che il ripristino possa "
                               "essere annullato. Anche la password di accesso e le impostazioni torneranno come erano "
                               "al momento della copia, tranne la cartella e il numero delle copie.");
    if (!Msg::confirmDefaultNo(this, question))
        return;
    setStatus(QStringLiteral("Ripristino in corso..."));
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const Restore::Outcome done = Restore::restore(chosen.path, m_folder);
    QApplication::restoreOverrideCursor();
    refill();
    if (done.ok) {
        // A card screen still holding a card of the catalogue just replaced
        // would write it back over the restored one at its next Salva.
        for (const Collection* c : Collection::all()) {
            if (CardScreen* card = cardScreenFor(Text::latin1(c->callerTag)))
                card->ClearCard();
        }
        QString text = QStringLiteral("Il catalogo è stato ripristinato dalla copia del %1.").arg(when(chosen));
        if (!done.aside.isEmpty())
            text += QStringLiteral("\r\n\r\nIl catalogo di prima è nella copia:\r\n%1").arg(QDir::toNativeSeparators(done.aside));
        Msg::information(this, text);
    } else {
        QString text = QStringLiteral("Il ripristino non è stato eseguito: %1.").arg(done.error);
        if (done.unchanged)
            text += QStringLiteral("\r\n\r\nIl catalogo non è stato modificato.");
        if (!done.aside.isEmpty())
            text += QStringLiteral("\r\n\r\nIl catalogo di prima è anche nella copia:\r\n%1").arg(QDir::toNativeSeparators(done.aside));
        Msg::error(this, text);
    }
}

void TfrmCopie::open(QWidget* owner)
{
    TfrmCopie screen(owner);
    screen.execModal(true);
}
