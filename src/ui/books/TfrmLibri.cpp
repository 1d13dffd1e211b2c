#include "TfrmLibri.h"

#include "core/text/Clock.h"
#include "core/text/HelpText.h"
#include "ui/shell/Msg.h"
#include "ui/shell/Picture.h"
#include "core/text/ResourceText.h"
#include "ui/shell/Screens.h"
#include "ui/shell/TMisc.h"
#include "ui/shell/TfrmAvvio.h"
#include "ui/shell/TfrmGuida.h"
#include "core/text/WebSearch.h"
#include "ui/books/TfrmCodici_Dewey.h"
#include "ui/books/TfrmExpLibri.h"
#include "ui/books/TfrmTrovaDisponibili.h"
#include "ui/books/TfrmTrovaLibri.h"
#include "ui/books/TfrmStampaLibro.h"
#include "core/storage/Layouts.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/RecordStore.h"
#include "core/storage/Text.h"
#include "ui/cards/TfrmAllegaCartella.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {

// Columns of the sections: captions right-aligned before 262-wide fields on
// the left and 276-wide fields on the right; full-width fields are 660 wide.
constexpr int kLeftCaption = 116, kLeftField = 232, kRightCaption = 506, kRightField = 628;
constexpr int kCaptionWidth = 110, kLeftWidth = 262, kRightWidth = 276, kFullWidth = 672;
constexpr int kRowHeight = 32, kFieldHeight = 22, kFirstRow = 14;

constexpr int rowY(int row) { return kFirstRow + (row - 1) * kRowHeight; }

} // namespace

TfrmLibri::TfrmLibri(QWidget* owner)
    : CardScreen(owner, QStringLiteral(" Tomaria - Archivio Libri"), TSchedaLibro,
        {
            {QStringLiteral("txtTitolo"), QStringLiteral("Attenzione: per salvare la scheda è necessario indicare il titolo del libro.")},
            {QStringLiteral("txtCodice"), QStringLiteral("Attenzione: per salvare la scheda è necessario indicare il codice identificativo del libro.")},
            {QStringLiteral("txtAutore"), QStringLiteral("Attenzione: per salvare la scheda è necessario indicare l'autore del libro.")},
        })
{
    setObjectName(QStringLiteral("TfrmLibri"));
    buildCommandBar();
    buildSections();
    createInfoLine(QStringLiteral("Pronto per archiviare una nuova scheda..."));

    auto* convalida = addEdit(panContainer(), QStringLiteral("txtConvalida"), {0, 0, 40, 22});
    convalida->setText(QStringLiteral("No"));
    convalida->hide();
    for (const char* slot : {"01", "02", "03"}) {
        addHidden(QStringLiteral("lblFile") + QLatin1String(slot), QStringLiteral("File") + QLatin1String(slot));
        addHidden(QStringLiteral("lblDesc") + QLatin1String(slot), QStringLiteral("Desc") + QLatin1String(slot));
    }

    applyCapacities(TSchedaLibro);
    createFocusHighlights();

    // The Enter chain follows the tab order and closes into a ring.
    const char* chain[] = {"txtTitolo", "txtCodice", "txtScaffale", "txtAutore", "txtNazione", "txtCuratore",
        "txtDewey", "txtPagine", "txtGenere", "txtGiudizio", "txtEditore", "txtIsbn", "txtCitta", "txtAnno",
        "txtVolumi", "txtPrezzo", "txtCollana", "txtFormato", "txtOriginale", "txtLingua", "txtPrima",
        "txtTraduttore", "txtVersione", "txtNote", "txtPrestato", "txtScadenza"};
    std::vector<std::pair<QWidget*, QWidget*>> links;
    QWidget* previous = nullptr;
    for (const char* name : chain) {
        QWidget* w = control(QLatin1String(name));
        if (previous)
            links.emplace_back(previous, w);
        setTabOrder(previous ? previous : w, w);
        previous = w;
    }
    links.emplace_back(previous, control(QStringLiteral("txtTitolo")));
    setEnterChain(links);
    control(QStringLiteral("txtIsbn"))->installEventFilter(this);
}

QString TfrmLibri::archivePath() const
{
    return ProgramFolder::file(QStringLiteral("Libri.pro"));
}

void TfrmLibri::buildCommandBar()
{
    constexpr int y = 6, h = 51, top = 6;
    auto cmd = [this](QWidget* group, const char* name, const char* svg, int x, int w, const char* hint, void (TfrmLibri::*handler)()) {
        addCommand(group, QLatin1String(name), QLatin1String(svg), {x, top, w, 39}, QString::fromUtf8(hint),
            [this, handler] { (this->*handler)(); });
    };

    QFrame* g1 = addGroup({8, y, 176, h});
    cmd(g1, "cmdNuovo", "cmd_nuovo", 6, 37, "Predisponi la schermata per l'inserimento di una nuova scheda.", &TfrmLibri::cmdNuovoClick);
    cmd(g1, "cmdDuplica", "cmd_duplica", 48, 37, "Prepara la schermata per la registrazione di una nuova scheda duplicando i dati correnti.", &TfrmLibri::cmdDuplicaClick);
    cmd(g1, "cmdSalva", "cmd_salva", 90, 37, "Salva la scheda corrente in archivio.", &TfrmLibri::cmdSalvaClick);
    cmd(g1, "cmdTrova", "cmd_trova", 132, 37, "Trova una scheda in archivio.", &TfrmLibri::cmdTrovaClick);

    QFrame* g2 = addGroup({209, y, 124, h});
    cmd(g2, "cmdFile", "cmd_allega", 6, 112, "Allega file alla scheda corrente.", &TfrmLibri::cmdFileClick);

    QFrame* g3 = addGroup({358, y, 112, h});
    cmd(g3, "cmdStampa", "cmd_stampa", 6, 100, "Stampa la scheda corrente.", &TfrmLibri::cmdStampaClick);

    QFrame* g4 = addGroup({495, y, 256, h});
    cmd(g4, "cmdPrimo", "cmd_primo", 6, 37, "Visualizza la prima scheda in archivio.", &TfrmLibri::cmdPrimoClick);
    cmd(g4, "cmdIndietro", "cmd_indietro", 47, 37, "Visualizza la scheda precedente in archivio.", &TfrmLibri::cmdIndietroClick);
    createPositionLabel(g4, {90, top, 74, 39});
    cmd(g4, "cmdAvanti", "cmd_avanti", 170, 37, "Visualizza la scheda successiva in archivio.", &TfrmLibri::cmdAvantiClick);
    cmd(g4, "cmdUltimo", "cmd_ultimo", 211, 37, "Visualizza l'ultima scheda in archivio.", &TfrmLibri::cmdUltimoClick);

    QFrame* g5 = addGroup({776, y, 92, h});
    cmd(g5, "cmdEsporta", "cmd_esporta", 6, 37, "Esporta tutte le schede in archivio in un file di Microsoft Excel.", &TfrmLibri::cmdEsportaClick);
    cmd(g5, "cmdDisponibili", "cmd_disponibili", 48, 37, "Trova un libro in archivio fra quelli disponibili per il prestito.", &TfrmLibri::cmdDisponibiliClick);

    QFrame* g6 = addGroup({893, y, 92, h});
    cmd(g6, "cmdGuida", "cmd_guida", 6, 37, "Visualizza la pagina della guida sensibile al contesto.", &TfrmLibri::cmdGuidaClick);
    cmd(g6, "cmdEsci", "cmd_esci", 48, 37, "Esci da questa schermata di lavoro.", &TfrmLibri::cmdEsciClick);
}

void TfrmLibri::buildSections()
{
    struct Field {
        int section;
        int row;
        int column; // 0 left, 1 right, 2 full width
        const char* name;
        const char* caption;
    };
    static const Field fields[] = {
        {1, 1, 2, "txtTitolo", "Titolo libro:"},
        {1, 2, 0, "txtCodice", "Codice:"},       {1, 2, 1, "txtScaffale", "Scaffale:"},
        {1, 3, 0, "txtAutore", "Autore:"},       {1, 3, 1, "txtNazione", "Nazione:"},
        {1, 4, 0, "txtCuratore", "Curatore:"},   {1, 4, 1, "txtDewey", "Dewey:"},
        {1, 5, 0, "txtGenere", "Genere:"},       {1, 5, 1, "txtGiudizio", "Giudizio:"},
        {2, 1, 0, "txtEditore", "Casa editrice:"}, {2, 1, 1, "txtIsbn", "ISBN:"},
        {2, 2, 0, "txtCitta", "Città:"},         {2, 2, 1, "txtAnno", "Anno:"},
        {2, 3, 0, "txtVolumi", "Volumi:"},       {2, 3, 1, "txtPrezzo", "Prezzo:"},
        {2, 4, 0, "txtCollana", "Collana:"},     {2, 4, 1, "txtFormato", "Formato:"},
        {3, 1, 2, "txtOriginale", "Titolo originale:"},
        {3, 2, 0, "txtLingua", "Lingua:"},       {3, 2, 1, "txtPrima", "1^ pubbl."},
        {3, 3, 0, "txtTraduttore", "Traduttore:"}, {3, 3, 1, "txtVersione", "Versione:"},
        {4, 1, 2, "txtNote", "Note:"},
        {4, 2, 0, "txtPrestato", "Prestato a:"}, {4, 2, 1, "txtScadenza", "Data prestito:"},
    };
    // Section frames: rows, top, picture.
    struct Section {
        const char* name;
        int rows;
        const char* svg;
    };
    static const Section sections[] = {
        {"shpSezione1", 5, "sec_libro"},
        {"shpSezione2", 4, "sec_editoria"},
        {"shpSezione3", 3, "sec_lingua"},
        {"shpSezione4", 2, "sec_prestito"},
    };
    QFrame* frames[4];
    int top = 66;
    for (int i = 0; i < 4; ++i) {
        const int height = sections[i].rows * kRowHeight + 20;
        frames[i] = addSection(QLatin1String(sections[i].name), {8, top, 979, height}, QLatin1String(sections[i].svg));
        top += height + 10;
    }

    const QStringList generi = ResourceText::lines(QStringLiteral(":/lists/generi_libri.txt"));
    const QStringList lingue = ResourceText::lines(QStringLiteral(":/lists/lingue.txt"));

    for (const Field& f : fields) {
        QFrame* parent = frames[f.section - 1];
        const int y = rowY(f.row);
        const QString caption = QString::fromUtf8(f.caption);
        const QString name = QLatin1String(f.name);
        QRect at;
        if (f.column == 1) {
            addCaption(parent, caption, {kRightCaption, y, kCaptionWidth, kFieldHeight});
            at = {kRightField, y, kRightWidth, kFieldHeight};
        } else {
            addCaption(parent, caption, {kLeftCaption, y, kCaptionWidth, kFieldHeight});
            at = {kLeftField, y, f.column == 2 ? kFullWidth : kLeftWidth, kFieldHeight};
        }
        if (name == QLatin1String("txtGenere"))
            addCombo(parent, name, at, generi);
        else if (name == QLatin1String("txtLingua"))
            addCombo(parent, name, at, lingue);
        else if (name == QLatin1String("txtDewey"))
            addEdit(parent, name, {kRightField, y, 54, kFieldHeight});
        else if (name == QLatin1String("txtIsbn"))
            addEdit(parent, name, {kRightField, y, kRightWidth - 28, kFieldHeight});
        else if (name == QLatin1String("txtScadenza"))
            addEdit(parent, name, {kRightField, y, 110, kFieldHeight})->setStyleSheet(QStringLiteral("color: #DC143C;"));
        else
            addEdit(parent, name, at);
    }

    // Row 4 of the first section: Dewey code, its table button, then the pages.
    QFrame* s1 = frames[0];
    addCommand(s1, QStringLiteral("btnDewey"), QStringLiteral("btn_freccia"), {kRightField + 58, rowY(4) + 1, 20, 20},
        QStringLiteral("Visualizza la Tabella dei Codici Dewey."), [this] { btnDeweyClick(); });
    addCaption(s1, QStringLiteral("Pagine:"), {kRightField + 84, rowY(4), 58, kFieldHeight});
    addEdit(s1, QStringLiteral("txtPagine"), {kRightField + 146, rowY(4), kRightWidth - 146, kFieldHeight});

    addCommand(frames[1], QStringLiteral("btnGoogle"), QStringLiteral("btn_web"), {kRightField + kRightWidth - 24, rowY(1) - 1, 24, 24},
        QStringLiteral("Cerca sul Web, tramite Google, informazioni relative al libro con l'ISBN indicato."),
        [this] { btnGoogleClick(); });

    QFrame* s4 = frames[3];
    addCommand(s4, QStringLiteral("btnScadenza"), QStringLiteral("btn_freccia"), {kRightField + 114, rowY(2) + 1, 20, 20},
        QStringLiteral("Inserisci la data corrente."), [this] { btnScadenzaClick(); });
    auto* patch = new QFrame(s4);
    patch->setGeometry(kRightField + 142, rowY(2) - 3, 134, 28);
    patch->setStyleSheet(QStringLiteral("background: white; border: 1px solid #C9D7E6; border-radius: 4px;"));
    setBlankArea(patch);
    new Picture(QStringLiteral("icoAnnullata"), QStringLiteral("ico_annullata"), patch, {6, 4, 20, 20}, false);
    auto* chk = new QCheckBox(QStringLiteral("Annullata"), patch);
    chk->setObjectName(QStringLiteral("chkAnnullata"));
    chk->setGeometry(32, 3, 98, 22);
    setHint(chk, QStringLiteral("Contrassegna la scheda del libro come annullata per escluderla dai risultati di ricerca."));
}

void TfrmLibri::formClose()
{
    handOver(Screens::frmAvvio);
}

void TfrmLibri::cmdNuovoClick()
{
    ClearCard();
}

void TfrmLibri::cmdDuplicaClick()
{
    if (Text::trimmed(lblPosizione()->text()).isEmpty()) {
        Msg::warning(this, QStringLiteral("Attenzione: la duplicazione di una scheda può avvenire soltanto dopo che questa è stata inserita in archivio."));
        return;
    }
    // A new card copied from the one on display: code, loan, cancelled flag
    // and attachments belong to the original only.
    control<QLineEdit>(QStringLiteral("txtConvalida"))->setText(QStringLiteral("No"));
    for (const char* name : {"txtPrestato", "txtScadenza", "txtCodice"})
        control<QLineEdit>(QLatin1String(name))->clear();
    control<QCheckBox>(QStringLiteral("chkAnnullata"))->setChecked(false);
    for (const char* slot : {"01", "02", "03"}) {
        control<QLabel>(QStringLiteral("lblFile") + QLatin1String(slot))->clear();
        control<QLabel>(QStringLiteral("lblDesc") + QLatin1String(slot))->clear();
    }
    lblPosizione()->clear();

    // The Save to come must find the archive: check it can be reached now.
    RecordStore store;
    if (!store.open(archivePath(), layout().size)) {
        Msg::warning(this, Msg::accessMessage());
        return;
    }
    control(QStringLiteral("txtCodice"))->setFocus(Qt::OtherFocusReason);
    store.close();
    Msg::information(this, QStringLiteral("E' ora possibile apportare le proprie modifiche alla scheda corrente.") + Msg::kLfCrLfCr
            + QStringLiteral("Al termine premere Salva per inserire la scheda in archivio."));
}

void TfrmLibri::cmdTrovaClick()
{
    TfrmTrovaLibri search(this);
    search.setCallerTag(QStringLiteral("libri"));
    search.execModal();
}

void TfrmLibri::cmdFileClick()
{
    // The screen writes the slots back into the hidden labels on apply;
    // they reach the archive only with the next Save.
    TfrmAllegaCartella::openFor(this, QStringLiteral("libri"));
}

void TfrmLibri::cmdStampaClick()
{
    TfrmStampaLibro print(this);
    print.execModal(true);
}

void TfrmLibri::cmdEsportaClick()
{
    TfrmExpLibri exportScreen(this);
    exportScreen.execModal();
}

void TfrmLibri::cmdDisponibiliClick()
{
    TfrmTrovaDisponibili search(this);
    search.setCallerTag(QStringLiteral("libri"));
    search.execModal();
}

void TfrmLibri::cmdGuidaClick()
{
    TfrmGuida::showTopic(this, QStringLiteral("Applicazione Archivio Libri."), HelpText::topic(QStringLiteral("libri")));
}

void TfrmLibri::btnDeweyClick()
{
    TfrmCodici_Dewey table(this);
    table.setCallerTag(QStringLiteral("libri"));
    table.execModal();
}

void TfrmLibri::btnGoogleClick()
{
    auto* isbn = control<QLineEdit>(QStringLiteral("txtIsbn"));
    const QString value = Text::trimmed(isbn->text());
    if (value.isEmpty()) {
        Msg::warning(this, QStringLiteral("Attenzione: per poter effettuare una ricerca sul Web è necessario compilare il campo relativo all'ISBN del libro."));
        isbn->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!TMisc::Open(QLatin1Char('"') + WebSearch::address(QStringLiteral("ISBN:") + value) + QLatin1Char('"')))
        Msg::warning(this, QStringLiteral("Attenzione: il sistema non permette di collegarsi al motore di ricerca di Google.") + Msg::kLfCrLfCr
                + QStringLiteral("Accertarsi che la propria connessione a Internet funzioni correttamente."));
}

void TfrmLibri::btnScadenzaClick()
{
    control<QLineEdit>(QStringLiteral("txtScadenza"))->setText(Clock::shortDate(Clock::today()));
}

void TfrmLibri::txtIsbnKeyUp()
{
    // Trimmed and A-Z upper-cased; accented letters stay as typed.
    auto* isbn = control<QLineEdit>(QStringLiteral("txtIsbn"));
    const QString before = isbn->text();
    const QString after = Text::upperAZ(Text::trimmed(before));
    if (after == before)
        return;
    int leading = 0;
    while (leading < before.size() && Text::isBlank(before.at(leading).unicode()))
        ++leading;
    const int cursor = isbn->cursorPosition() - leading;
    isbn->setText(after);
    isbn->setCursorPosition(std::clamp(cursor, 0, static_cast<int>(after.size())));
}

bool TfrmLibri::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyRelease && watched == control(QStringLiteral("txtIsbn")))
        txtIsbnKeyUp();
    return CardScreen::eventFilter(watched, event);
}
