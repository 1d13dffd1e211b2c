#include "TfrmCreaRTF.h"

#include "core/collections/Articles.h"
#include "core/export/RtfDocument.h"
#include "core/storage/ProgramFolder.h"
#include "core/collections/Collection.h"
#include "core/text/Text.h"
#include "ui/shell/Controls.h"
#include "ui/shell/Msg.h"
#include "ui/shell/Picture.h"
#include "ui/cards/CardScreen.h"
#include "ui/shell/TMisc.h"

#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// The document's name in the program folder.
const QString kFileName = QStringLiteral("Scheda_Articolo.rtf");

// clang-format off
constexpr RtfDocument::Row kRows[] = {
    {"Titolo articolo:", "Titolo"}, {"Data pubblicazione:", "DataPub"}, {"Genere:", "Genere"},
    {"Nome autore:", "Autore"}, {"Nome testata:", "Testata"}, {"Numero testata:", "NumTestata"},
    {"Testo articolo:", "Testo"}, {"Sintesi:", "Sintesi"}, {"Valutazione:", "Valutazione"}, {"Note:", "Note"},
};
// clang-format on
constexpr RtfDocument::Card kCard{"SCHEDA ARTICOLO", kRows};

} // namespace

TfrmCreaRTF::TfrmCreaRTF(QWidget* owner)
    : TForm(owner, Kind::Dialog, QStringLiteral(" Esporta scheda in RTF"), {377, 292})
{
    setObjectName(QStringLiteral("TfrmCreaRTF"));
    setBackgroundGradient(QColor(0x46, 0x82, 0xB4), Qt::white); // steel blue
    QWidget* pan = panContainer();

    auto* sfondo = new QFrame(pan);
    sfondo->setObjectName(QStringLiteral("shpSfondo"));
    sfondo->setGeometry(18, 18, 340, 207);
    sfondo->setStyleSheet(QStringLiteral("background: white;"));
    new Picture(QStringLiteral("imgEsporta01"), QStringLiteral("esporta_rtf"), pan, {24, 26, 328, 198}, false);

    auto* memory = new QLabel(pan);
    memory->setObjectName(QStringLiteral("lblMemory"));
    memory->hide();

    QPushButton* annulla = Controls::button(
        pan, QStringLiteral("btnAnnulla"), QStringLiteral("Annulla"), {18, 244, 145, 28}, Controls::verdana(8));
    QPushButton* stampa = Controls::button(
        pan, QStringLiteral("btnStampa"), QStringLiteral("Esporta e stampa"), {214, 244, 145, 28}, Controls::verdana(8));
    setTabOrder(annulla, stampa);
    connect(annulla, &QPushButton::clicked, this, &TfrmCreaRTF::btnAnnullaClick);
    connect(stampa, &QPushButton::clicked, this, &TfrmCreaRTF::btnStampaClick);
}

void TfrmCreaRTF::btnStampaClick()
{
    if (callerTag() != Text::utf8(Articles::collection().callerTag))
        return;
    CreaDocumento();
    close();
}

void TfrmCreaRTF::btnAnnullaClick()
{
    close();
}

void TfrmCreaRTF::CreaDocumento()
{
    if (!Msg::confirm(this,
            QStringLiteral("Questa procedura esporterà la scheda corrente in un documento in formato RTF.") + Msg::kCrLfCrLf
                + QStringLiteral("Si conferma la creazione del file?")))
        return;

    // What the card shows, saved or not.
    const CardScreen* card = cardScreenFor(Text::utf8(Articles::collection().callerTag));
    const auto values = [card](std::string_view field) {
        const QWidget* control = card ? card->control(QStringLiteral("txt") + Text::utf8(field)) : nullptr;
        // The document breaks lines at CR LF only. The text's lines are
        // joined by CR LF, whatever breaks a text written elsewhere holds; a
        // one-line field shows a stored break as a blank, and so does the
        // document.
        const QString text = Controls::text(control);
        if (!qobject_cast<const QPlainTextEdit*>(control))
            return Controls::oneLine(text);
        QString lines = text;
        lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        return lines.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    };
    const QString path = ProgramFolder::file(kFileName);
    if (!RtfDocument::save(kCard, values, path)) {
        Msg::plain(this,
            QStringLiteral("Attenzione: il sistema non permette di esportare i dati.") + Msg::kLfCrLfCr
                + QStringLiteral("Accertarsi che il documento non sia già aperto."));
        return;
    }
    // Whether the word processor opens it is the desktop's business.
    if (Msg::confirm(this,
            QStringLiteral("Il file RTF è stato creato con successo.") + Msg::kCrLfCrLf + QStringLiteral("Si vuole aprire il documento?")))
        TMisc::Open(QLatin1Char('"') + path + QLatin1Char('"'));
}
