#include "TfrmBancoPrestiti.h"

#include "core/collections/Collection.h"
#include "core/desk/DeskSettings.h"
#include "core/desk/Readers.h"
#include "core/loans/LoanList.h"
#include "core/loans/LoanSettings.h"
#include "core/access/SettingsFile.h"
#include "core/text/Clock.h"
#include "core/text/Text.h"
#include "ui/shell/Controls.h"

#include <QCompleter>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QStringListModel>
#include <QTreeWidget>

namespace {

// "per i DVD": the collections whose loan date is the day the item is due.
QString duePlurals()
{
    return Text::listed(Collection::plurals([](const Collection& c) { return LoanList::keepsLoans(c) && c.loans->dateIsDue; }, true));
}

} // namespace

TfrmBancoPrestiti::TfrmBancoPrestiti(QWidget* owner)
    : DeskForm(owner,
        {QStringLiteral("TfrmBancoPrestiti"), QStringLiteral("Banco prestiti"), QStringLiteral("ico_banco"),
            QStringLiteral("Guida al banco prestiti."), QStringLiteral("banco")})
{
    QWidget* pan = panContainer();
    addCodeField({110, 64, 300, 36}, [this] { txtCodiceEnter(); });
    addMessageLine({426, 60, 530, 44});

    auto* scheda = new QFrame(pan);
    scheda->setObjectName(QStringLiteral("panScheda"));
    scheda->setGeometry(16, 112, 939, 176);
    scheda->setStyleSheet(QStringLiteral("QFrame#panScheda { background: white; border: 1px solid #9DBDE3; }"));
    m_lblTitolo = addLabel(
        scheda, QStringLiteral("lblTitolo"), QString(), {16, 10, 907, 40}, Controls::verdana(18, true), QStringLiteral("color: #1F4E8C;"));
    m_lblAutore = addLabel(scheda, QStringLiteral("lblAutore"), QString(), {16, 54, 907, 26}, Controls::verdana(13));
    m_lblPosto = addLabel(scheda, QStringLiteral("lblPosto"), QString(), {16, 86, 907, 24}, Controls::verdana(11));
    m_lblStato = addLabel(scheda, QStringLiteral("lblStato"), QString(), {16, 124, 907, 34}, Controls::verdana(15, true));
    m_lstSchede = new QListWidget(scheda);
    m_lstSchede->setObjectName(QStringLiteral("lstSchede"));
    m_lstSchede->setGeometry(8, 8, 923, 160);
    m_lstSchede->setFont(Controls::verdana(11));
    m_lstSchede->hide();
    connect(m_lstSchede, &QListWidget::itemActivated, this, [this] { lstSchedePick(); });

    addLabel(pan, QStringLiteral("lblLettore"), QStringLiteral("Lettore:"), {16, 304, 90, 24}, Controls::verdana(11, true));
    m_txtLettore = new QLineEdit(pan);
    m_txtLettore->setObjectName(QStringLiteral("txtLettore"));
    m_txtLettore->setGeometry(110, 300, 360, 32);
    m_txtLettore->setFont(Controls::verdana(12));
    m_readerModel = new QStringListModel(this);
    auto* completer = new QCompleter(m_readerModel, this);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    m_txtLettore->setCompleter(completer);
    connect(m_txtLettore, &QLineEdit::returnPressed, this, [this] { btnPrestaClick(); });
    m_btnPresta = Controls::button(
        pan, QStringLiteral("btnPresta"), QStringLiteral("Presta"), {486, 301, 140, 30}, Controls::verdana(10, true));
    connect(m_btnPresta, &QPushButton::clicked, this, [this] { btnPrestaClick(); });
    m_btnRestituisci = Controls::button(
        pan, QStringLiteral("btnRestituisci"), QStringLiteral("Restituisci"), {640, 301, 160, 30}, Controls::verdana(10, true));
    connect(m_btnRestituisci, &QPushButton::clicked, this, [this] { btnRestituisciClick(); });

    addLabel(pan, QStringLiteral("lblDurata"), QStringLiteral("Durata del prestito per %1:").arg(duePlurals()), {16, 346, 260, 22},
        Controls::verdana(9));
    m_txtDurata = new QSpinBox(pan);
    m_txtDurata->setObjectName(QStringLiteral("txtDurata"));
    m_txtDurata->setRange(1, LoanSettings::kMaxDays);
    m_txtDurata->setValue(DeskSettings::loanDays());
    m_txtDurata->setFont(Controls::verdana(10, true));
    m_txtDurata->setGeometry(280, 344, 70, 24);
    addLabel(pan, QStringLiteral("lblDurata2"), QStringLiteral("giorni."), {358, 346, 80, 22}, Controls::verdana(9));
    connect(m_txtDurata, &QSpinBox::valueChanged, this, [this] { txtDurataChange(); });

    addLabel(pan, QStringLiteral("lblMovimenti"), QStringLiteral("Movimenti dall'apertura del banco:"), {16, 380, 400, 20},
        Controls::verdana(9, true));
    m_lstMovimenti = new QTreeWidget(pan);
    m_lstMovimenti->setObjectName(QStringLiteral("lstMovimenti"));
    m_lstMovimenti->setGeometry(16, 402, 939, 160);
    m_lstMovimenti->setRootIsDecorated(false);
    m_lstMovimenti->setFocusPolicy(Qt::NoFocus);
    m_lstMovimenti->setHeaderLabels({QStringLiteral("Ora"), QStringLiteral("Movimento"), QStringLiteral("Codice"), QStringLiteral("Titolo"),
        QStringLiteral("Lettore")});
    m_lstMovimenti->setColumnWidth(0, 70);
    m_lstMovimenti->setColumnWidth(1, 110);
    m_lstMovimenti->setColumnWidth(2, 140);
    m_lstMovimenti->setColumnWidth(3, 400);

    auto* chiudi = Controls::button(
        pan, QStringLiteral("btnChiudi"), QStringLiteral("Chiudi"), {8, 570, 150, 30}, Controls::verdana(9, true));
    connect(chiudi, &QPushButton::clicked, this, [this] { btnChiudiClick(); });
    m_btnAnnulla = Controls::button(
        pan, QStringLiteral("btnAnnulla"), QStringLiteral("Annulla ultimo"), {805, 570, 150, 30}, Controls::verdana(9, true));
    connect(m_btnAnnulla, &QPushButton::clicked, this, [this] { btnAnnullaClick(); });
    // The mouse is never needed: the buttons are reached by Enter where the
    // work leads, not by Tab from the code field.
    for (QPushButton* b : {m_btnPresta, m_btnRestituisci, m_btnAnnulla, chiudi})
        b->setAutoDefault(false);
    m_btnRestituisci->setAutoDefault(true);
    clearCard();
}

void TfrmBancoPrestiti::formShow()
{
    LoanList loans;
    if (loans.load())
        m_readers = Readers::names(loans);
    m_readerModel->setStringList(m_readers);
    readyForScan(false);
}

void TfrmBancoPrestiti::readyForScan(bool selectCode)
{
    txtCodice()->setFocus(Qt::OtherFocusReason);
    if (selectCode)
        txtCodice()->selectAll();
    else
        txtCodice()->clear();
}

void TfrmBancoPrestiti::clearCard()
{
    m_card.reset();
    m_choices.clear();
    m_lstSchede->hide();
    for (QLabel* l : {m_lblTitolo, m_lblAutore, m_lblPosto, m_lblStato})
        l->clear();
    m_txtLettore->clear();
    m_txtLettore->setEnabled(false);
    m_btnPresta->setEnabled(false);
    m_btnRestituisci->setEnabled(false);
    m_btnAnnulla->setEnabled(!m_desk.moves().empty());
}

void TfrmBancoPrestiti::showCard(const DeskCard& card)
{
    clearCard();
    m_card = card;
    m_lblTitolo->setText(card.title);
    m_lblAutore->setText(card.author);
    m_lblPosto->setText(QStringLiteral("%1   Codice: %2   Scaffale: %3   Posizione: %4")
                            .arg(card.kindName(), card.code, card.shelf.isEmpty() ? QStringLiteral("-") : card.shelf, card.position()));
    const bool due = card.collection->loans->dateIsDue;
    if (card.cancelled) {
        m_lblStato->setStyleSheet(QStringLiteral("color: #808080;"));
        m_lblStato->setText(QStringLiteral("Scheda annullata: non si può prestare."));
        say(QStringLiteral("La scheda del codice %1 è annullata (Annullata: %2).").arg(card.code, card.flag), true);
        readyForScan(true);
        return;
    }
    if (card.onLoan()) {
        m_lblStato->setStyleSheet(QStringLiteral("color: #DC143C;"));
        QString state = QStringLiteral("In prestito a %1").arg(card.borrower.isEmpty() ? QStringLiteral("?") : card.borrower);
        if (!card.date.isEmpty())
            state += (due ? QStringLiteral(", scadenza %1") : QStringLiteral(" dal %1")).arg(card.date);
        m_lblStato->setText(state + QLatin1Char('.'));
        m_btnRestituisci->setEnabled(true);
        // The code field keeps the focus: Enter returns the card, a new
        // scan shows another one.
        readyForScan(false);
        say(QStringLiteral("Invio per la restituzione."), false);
        return;
    }
    m_lblStato->setStyleSheet(QStringLiteral("color: #2E7D32;"));
    m_lblStato->setText(availableText());
    m_txtLettore->setEnabled(true);
    m_btnPresta->setEnabled(true);
    m_txtLettore->setFocus(Qt::OtherFocusReason);
    say(QStringLiteral("Scrivere il nome del lettore, poi Invio per il prestito."), false);
}

QString TfrmBancoPrestiti::availableText() const
{
    if (!m_card || !m_card->collection->loans->dateIsDue)
        return QStringLiteral("Disponibile.");
    return QStringLiteral("Disponibile: scadenza del prestito %1.")
        .arg(LendingDesk::loanDate(*m_card->collection, Clock::today(), m_txtDurata->value()));
}

void TfrmBancoPrestiti::txtCodiceEnter()
{
    const QString code = Text::trimmed(txtCodice()->text());
    if (code.isEmpty()) {
        if (m_card && m_card->onLoan() && !m_card->cancelled)
            btnRestituisciClick();
        return;
    }
    std::vector<DeskCard> cards;
    if (!m_desk.find(code, cards)) {
        clearCard();
        say(QStringLiteral("Impossibile cercare il codice: %1.").arg(m_desk.errorString()), true);
        readyForScan(true);
        return;
    }
    if (cards.empty()) {
        clearCard();
        say(QStringLiteral("Nessuna scheda ha il codice %1.").arg(code), true);
        readyForScan(true);
        return;
    }
    if (cards.size() == 1) {
        showCard(cards.front());
        return;
    }
    clearCard();
    m_choices = cards;
    for (const DeskCard& c : m_choices) {
        m_lstSchede->addItem(
            QStringLiteral("%1  \"%2\"  posizione %3%4%5")
                .arg(c.kindName(), c.title, c.position(), c.shelf.isEmpty() ? QString() : QStringLiteral(", scaffale ") + c.shelf,
                    c.cancelled      ? QStringLiteral("  (annullata)")
                        : c.onLoan() ? QStringLiteral("  (in prestito)")
                                     : QString()));
    }
    m_lstSchede->show();
    m_lstSchede->setCurrentRow(0);
    m_lstSchede->setFocus(Qt::OtherFocusReason);
    say(QStringLiteral("Il codice %1 è di %2 schede: scegliere quale con le frecce e Invio.").arg(code).arg(cards.size()), true);
}

void TfrmBancoPrestiti::lstSchedePick()
{
    const int row = m_lstSchede->currentRow();
    if (row < 0 || row >= static_cast<int>(m_choices.size()))
        return;
    const DeskCard card = m_choices[static_cast<std::size_t>(row)];
    showCard(card);
}

void TfrmBancoPrestiti::moveFailed()
{
    say((m_desk.changedMeanwhile() ? QStringLiteral("Nessuna modifica: %1. Leggere di nuovo il codice per vedere la scheda com'è ora.")
                                   : QStringLiteral("Nessuna modifica: %1."))
            .arg(m_desk.errorString()),
        true);
    clearCard();
    readyForScan(false);
}

void TfrmBancoPrestiti::btnPrestaClick()
{
    if (!m_card || !m_txtLettore->isEnabled())
        return;
    if (Text::trimmed(m_txtLettore->text()).isEmpty()) {
        say(QStringLiteral("Scrivere il nome del lettore."), true);
        m_txtLettore->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!m_desk.lend(*m_card, m_txtLettore->text(), Clock::today(), m_txtDurata->value())) {
        moveFailed();
        return;
    }
    const DeskMove& move = m_desk.moves().back();
    if (!m_readers.contains(move.reader, Qt::CaseInsensitive)) {
        m_readers << move.reader;
        m_readerModel->setStringList(m_readers);
    }
    addMove(move);
    say(QStringLiteral("Prestato a %1: %2.").arg(move.reader, move.title), false);
    clearCard();
    readyForScan(false);
}

void TfrmBancoPrestiti::btnRestituisciClick()
{
    if (!m_card || !m_card->onLoan() || m_card->cancelled)
        return;
    if (!m_desk.giveBack(*m_card)) {
        moveFailed();
        return;
    }
    const DeskMove& move = m_desk.moves().back();
    addMove(move);
    say(QStringLiteral("Restituito da %1: %2.").arg(move.reader, move.title), false);
    clearCard();
    readyForScan(false);
}

void TfrmBancoPrestiti::btnAnnullaClick()
{
    if (m_desk.moves().empty())
        return;
    const DeskMove last = m_desk.moves().back();
    if (!m_desk.undoLast()) {
        say(QStringLiteral("Impossibile annullare: %1.").arg(m_desk.errorString()), true);
        readyForScan(false);
        return;
    }
    delete m_lstMovimenti->takeTopLevelItem(0);
    say(QStringLiteral("Annullato: %1 di %2 (%3).").arg(last.kindText().toLower(), last.title, last.reader), false);
    clearCard();
    readyForScan(false);
}

void TfrmBancoPrestiti::addMove(const DeskMove& move)
{
    // The newest on top, where the eye is after a scan.
    auto* item = new QTreeWidgetItem(
        {move.when.time().toString(QStringLiteral("HH:mm")), move.kindText(), move.code, move.title, move.reader});
    m_lstMovimenti->insertTopLevelItem(0, item);
}

void TfrmBancoPrestiti::txtDurataChange()
{
    if (!DeskSettings::setLoanDays(m_txtDurata->value()))
        say(QStringLiteral("Impossibile salvare la durata del prestito in %1.").arg(SettingsFile::name()), true);
    if (m_card && !m_card->onLoan() && !m_card->cancelled)
        m_lblStato->setText(availableText());
}

void TfrmBancoPrestiti::open(QWidget* owner)
{
    TfrmBancoPrestiti desk(owner);
    desk.execModal();
}
