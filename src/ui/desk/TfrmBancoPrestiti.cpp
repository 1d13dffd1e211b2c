#include "TfrmBancoPrestiti.h"

#include "core/collections/Collection.h"
#include "core/desk/DeskSettings.h"
#include "core/desk/Readers.h"
#include "core/loans/LoanList.h"
#include "core/access/SettingsFile.h"
#include "core/text/Clock.h"
#include "core/text/Text.h"
#include "ui/shell/Controls.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
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
    completer->popup()->setFont(m_txtLettore->font());
    m_txtLettore->setCompleter(completer);
    connect(m_txtLettore, &QLineEdit::returnPressed, this, [this] { txtLettoreEnter(); });
    m_btnPresta = Controls::button(
        pan, QStringLiteral("btnPresta"), QStringLiteral("Presta"), {482, 301, 130, 30}, Controls::verdana(10, true));
    connect(m_btnPresta, &QPushButton::clicked, this, [this] { btnPrestaClick(); });
    m_btnRestituisci = Controls::button(
        pan, QStringLiteral("btnRestituisci"), QStringLiteral("Restituisci"), {622, 301, 160, 30}, Controls::verdana(10, true));
    connect(m_btnRestituisci, &QPushButton::clicked, this, [this] { btnRestituisciClick(); });
    m_btnFineLettore = Controls::button(
        pan, QStringLiteral("btnFineLettore"), QStringLiteral("Fine lettore"), {805, 301, 150, 30}, Controls::verdana(10, true));
    connect(m_btnFineLettore, &QPushButton::clicked, this, [this] { btnFineLettoreClick(); });

    addLabel(pan, QStringLiteral("lblDurata"), QStringLiteral("Durata del prestito per %1:").arg(duePlurals()), {16, 346, 260, 22},
        Controls::verdana(9));
    m_days = DeskSettings::loanDays();
    m_txtDurata = new QSpinBox(pan);
    m_txtDurata->setObjectName(QStringLiteral("txtDurata"));
    m_txtDurata->setRange(1, DeskSettings::kMaxLoanDays);
    m_txtDurata->setValue(m_days);
    m_txtDurata->setFont(Controls::verdana(10, true));
    m_txtDurata->setGeometry(280, 344, 70, 24);
    addLabel(pan, QStringLiteral("lblDurata2"), QStringLiteral("giorni."), {358, 346, 60, 22}, Controls::verdana(9));
    connect(m_txtDurata, &QSpinBox::valueChanged, this, [this] { txtDurataChange(); });
    m_btnDurata = Controls::button(
        pan, QStringLiteral("btnDurata"), QStringLiteral("Conferma durata"), {420, 341, 150, 28}, Controls::verdana(9, true));
    connect(m_btnDurata, &QPushButton::clicked, this, [this] { btnDurataClick(); });

    addLabel(pan, QStringLiteral("lblMovimenti"), QStringLiteral("Movimenti dall'apertura del banco:"), {16, 380, 400, 20},
        Controls::verdana(9, true));
    m_lstMovimenti = new QTreeWidget(pan);
    m_lstMovimenti->setObjectName(QStringLiteral("lstMovimenti"));
    m_lstMovimenti->setGeometry(16, 402, 939, 160);
    m_lstMovimenti->setRootIsDecorated(false);
    m_lstMovimenti->setFocusPolicy(Qt::ClickFocus);
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
    for (QPushButton* b : {m_btnPresta, m_btnRestituisci, m_btnAnnulla, m_btnFineLettore, m_btnDurata, chiudi})
        b->setAutoDefault(false);
    m_btnRestituisci->setAutoDefault(true);
    // What takes no typed text sends what is typed to the code field: a
    // scan made while one of these has the focus is still a scan.
    const QList<QWidget*> redirected{
        m_txtDurata, m_lstSchede, m_lstMovimenti, m_btnPresta, m_btnRestituisci, m_btnAnnulla, m_btnFineLettore, m_btnDurata, chiudi};
    for (QWidget* w : redirected)
        w->installEventFilter(this);
    if (QLineEdit* typed = m_txtDurata->findChild<QLineEdit*>())
        typed->installEventFilter(this);
    holdReader({});
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

bool TfrmBancoPrestiti::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched != txtCodice()) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        const bool typed = !text.isEmpty() && text.at(0).isPrint() && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (typed) {
            // The code field takes it, as if it had had the focus all along.
            if (QApplication::focusWidget() != txtCodice()) {
                txtCodice()->setFocus(Qt::OtherFocusReason);
                txtCodice()->selectAll();
            }
            QKeyEvent copy(QEvent::KeyPress, key->key(), key->modifiers(), text, key->isAutoRepeat(), ushort(key->count()));
            QCoreApplication::sendEvent(txtCodice(), &copy);
            return true;
        }
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (watched == m_txtDurata || watched == m_txtDurata->findChild<QLineEdit*>())) {
            btnDurataClick();
            return true;
        }
    }
    return DeskForm::eventFilter(watched, event);
}

void TfrmBancoPrestiti::keyPressEvent(QKeyEvent* event)
{
    // Esc lets the held reader go, or drops the move waiting; the screen
    // itself is left only by "Chiudi".
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        if (!m_held.isEmpty()) {
            btnFineLettoreClick();
            return;
        }
        if (!pending().isEmpty()) {
            const QString what = dropPending();
            clearCard();
            say(QStringLiteral("Annullato: %1.").arg(what), false);
        }
        readyForScan(false);
        return;
    }
    DeskForm::keyPressEvent(event);
}

void TfrmBancoPrestiti::readyForScan(bool selectCode)
{
    txtCodice()->setFocus(Qt::OtherFocusReason);
    if (selectCode)
        txtCodice()->selectAll();
    else
        txtCodice()->clear();
}

void TfrmBancoPrestiti::holdReader(const QString& name)
{
    m_held = name;
    m_txtLettore->setText(name);
    m_txtLettore->setReadOnly(!name.isEmpty());
    m_txtLettore->setStyleSheet(name.isEmpty() ? QString() : QStringLiteral("QLineEdit { background: #FFF4C2; }"));
    m_btnFineLettore->setEnabled(!name.isEmpty());
}

void TfrmBancoPrestiti::clearCard()
{
    m_card.reset();
    m_choices.clear();
    m_choiceCode.clear();
    m_lstSchede->clear();
    m_lstSchede->hide();
    for (QLabel* l : {m_lblTitolo, m_lblAutore, m_lblPosto, m_lblStato})
        l->clear();
    if (m_held.isEmpty())
        m_txtLettore->clear();
    m_btnPresta->setEnabled(false);
    m_btnRestituisci->setEnabled(false);
    m_btnAnnulla->setEnabled(!m_desk.moves().empty());
}

QString TfrmBancoPrestiti::pending() const
{
    if (!m_choices.empty())
        return QStringLiteral("la scelta fra le %1 schede del codice %2").arg(m_choices.size()).arg(m_choiceCode);
    if (m_card && m_held.isEmpty() && LendingDesk::refusal(*m_card).isEmpty())
        return QStringLiteral("il prestito di %1").arg(m_card->line());
    return {};
}

QString TfrmBancoPrestiti::dropPending()
{
    const QString what = pending();
    m_choices.clear();
    m_lstSchede->hide();
    return what;
}

void TfrmBancoPrestiti::showCard(const DeskCard& card)
{
    clearCard();
    m_card = card;
    m_lblTitolo->setText(elided(card.title, m_lblTitolo));
    m_lblTitolo->setToolTip(card.title);
    m_lblAutore->setText(elided(card.author, m_lblAutore));
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
    m_btnPresta->setEnabled(true);
    m_txtLettore->setFocus(Qt::OtherFocusReason);
    say(QStringLiteral("Scrivere il nome del lettore, poi Invio per il prestito."), false);
}

QString TfrmBancoPrestiti::availableText() const
{
    if (!m_card || !m_card->collection->loans->dateIsDue)
        return QStringLiteral("Disponibile.");
    return QStringLiteral("Disponibile: scadenza del prestito %1.").arg(LendingDesk::loanDate(*m_card->collection, Clock::today(), m_days));
}

void TfrmBancoPrestiti::txtCodiceEnter()
{
    const QString code = Text::trimmed(txtCodice()->text());
    if (code.isEmpty()) {
        if (m_card && m_card->onLoan() && !m_card->cancelled)
            btnRestituisciClick();
        return;
    }
    scan(code);
}

void TfrmBancoPrestiti::scan(const QString& code)
{
    // What the scan interrupts is left unwritten and said first.
    QString note;
    if (const QString what = dropPending(); !what.isEmpty())
        note = QStringLiteral("Non registrato: %1. ").arg(what);
    if (m_txtDurata->value() != m_days) {
        const QSignalBlocker quiet(m_txtDurata);
        m_txtDurata->setValue(m_days);
        note += QStringLiteral("La durata resta di %1 giorni. ").arg(m_days);
    }
    std::vector<DeskCard> cards;
    if (!m_desk.find(code, cards)) {
        clearCard();
        say(note + QStringLiteral("Impossibile cercare il codice: %1.").arg(m_desk.errorString()), true);
        readyForScan(true);
        return;
    }
    if (cards.empty()) {
        clearCard();
        say(note + QStringLiteral("Nessuna scheda ha il codice %1.").arg(code), true);
        readyForScan(true);
        return;
    }
    if (cards.size() == 1) {
        cardChosen(cards.front());
        if (!note.isEmpty())
            say(note + lblMessaggio()->text(), true);
        return;
    }
    clearCard();
    m_choices = cards;
    m_choiceCode = code;
    for (const DeskCard& c : m_choices) {
        m_lstSchede->addItem(c.line() + (c.shelf.isEmpty() ? QString() : QStringLiteral(", scaffale ") + c.shelf)
            + (c.cancelled       ? QStringLiteral("  (annullata)")
                    : c.onLoan() ? QStringLiteral("  (in prestito)")
                                 : QString()));
    }
    m_lstSchede->show();
    m_lstSchede->setCurrentRow(0);
    m_lstSchede->setFocus(Qt::OtherFocusReason);
    txtCodice()->clear();
    say(note + QStringLiteral("Il codice %1 è di %2 schede: scegliere quale con le frecce e Invio.").arg(code).arg(cards.size()), true);
}

void TfrmBancoPrestiti::lstSchedePick()
{
    const int row = m_lstSchede->currentRow();
    if (row < 0 || row >= static_cast<int>(m_choices.size()))
        return;
    const DeskCard card = m_choices[static_cast<std::size_t>(row)];
    cardChosen(card);
}

void TfrmBancoPrestiti::cardChosen(const DeskCard& card)
{
    showCard(card);
    // A reader held: the card goes to them at once.
    if (!m_held.isEmpty() && LendingDesk::refusal(card).isEmpty())
        lendTo(m_held);
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

void TfrmBancoPrestiti::txtLettoreEnter()
{
    if (m_txtLettore->isReadOnly())
        return;
    const QString name = Text::trimmed(m_txtLettore->text());
    if (name.isEmpty()) {
        if (m_card) {
            say(QStringLiteral("Scrivere il nome del lettore."), true);
            m_txtLettore->setFocus(Qt::OtherFocusReason);
        } else {
            readyForScan(false);
        }
        return;
    }
    // A code scanned while the reader's field had the focus is a scan,
    // never a reader's name.
    std::vector<DeskCard> cards;
    if (m_desk.find(name, cards) && !cards.empty()) {
        m_txtLettore->clear();
        txtCodice()->setText(name);
        txtCodice()->setFocus(Qt::OtherFocusReason);
        scan(name);
        return;
    }
    if (m_card && m_btnPresta->isEnabled()) {
        lendTo(name);
        return;
    }
    // No card waiting: the reader comes first and is held.
    if (const QString why = LendingDesk::readerRefusal(name); !why.isEmpty()) {
        m_txtLettore->clear();
        say(QStringLiteral("Lettore non accettato: %1.").arg(why), true);
        readyForScan(false);
        return;
    }
    clearCard();
    holdReader(name);
    say(QStringLiteral("Lettore %1: ogni codice letto gli viene prestato. Esc o \"Fine lettore\" per finire.").arg(name), false);
    readyForScan(false);
}

void TfrmBancoPrestiti::btnFineLettoreClick()
{
    if (m_held.isEmpty()) {
        readyForScan(false);
        return;
    }
    const QString name = m_held;
    holdReader({});
    clearCard();
    say(QStringLiteral("Fine dei prestiti a %1.").arg(name), false);
    readyForScan(false);
}

void TfrmBancoPrestiti::btnPrestaClick()
{
    if (!m_card || !m_btnPresta->isEnabled())
        return;
    lendTo(m_held.isEmpty() ? m_txtLettore->text() : m_held);
}

void TfrmBancoPrestiti::lendTo(const QString& reader)
{
    if (!m_card)
        return;
    if (Text::trimmed(reader).isEmpty()) {
        say(QStringLiteral("Scrivere il nome del lettore."), true);
        m_txtLettore->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!m_desk.lend(*m_card, reader, Clock::today(), m_days)) {
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
    if (!m_card || !m_card->onLoan() || m_card->cancelled) {
        readyForScan(false);
        return;
    }
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
    if (m_desk.moves().empty()) {
        readyForScan(false);
        return;
    }
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
    // Only shown until confirmed: nothing is lent or saved with it.
    if (m_txtDurata->value() != m_days)
        say(QStringLiteral("Durata di %1 giorni non ancora in uso: Invio o \"Conferma durata\" per usarla e salvarla.")
                .arg(m_txtDurata->value()),
            false);
}

void TfrmBancoPrestiti::btnDurataClick()
{
    const int days = m_txtDurata->value();
    if (const QString why = DeskSettings::loanDaysRefusal(days); !why.isEmpty()) {
        say(QStringLiteral("Durata non cambiata: %1.").arg(why), true);
    } else if (!DeskSettings::setLoanDays(days)) {
        say(QStringLiteral("Impossibile salvare la durata del prestito in %1.").arg(SettingsFile::name()), true);
    } else {
        m_days = days;
        say(QStringLiteral("Durata del prestito per %1: %2 giorni.").arg(duePlurals()).arg(days), false);
    }
    const QSignalBlocker quiet(m_txtDurata);
    m_txtDurata->setValue(m_days);
    if (m_card && !m_card->onLoan() && !m_card->cancelled)
        m_lblStato->setText(availableText());
    if (m_card && m_btnPresta->isEnabled() && m_held.isEmpty())
        m_txtLettore->setFocus(Qt::OtherFocusReason);
    else
        readyForScan(false);
}

void TfrmBancoPrestiti::open(QWidget* owner)
{
    TfrmBancoPrestiti desk(owner);
    desk.execModal();
}
