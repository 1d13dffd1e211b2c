// The lending desk: lend and return by code against the card screen's own
// Save, the desk screen driven as a scanner drives it, undo, a card changed
// by another program meanwhile, a journal left by a dead append, the full
// loop from a printed label to a lent card, the readers and reminder
// letters of the loans overview, the stocktake, and the command line.
#include "TestSupport.h"

#include "cli/CommandLine.h"
#include "core/backup/Catalogue.h"
#include "core/collections/Collection.h"
#include "core/collections/SampleCards.h"
#include "core/desk/DeskSettings.h"
#include "core/desk/LendingDesk.h"
#include "core/desk/Readers.h"
#include "core/desk/Reminders.h"
#include "core/desk/Stocktake.h"
#include "core/labels/LabelCards.h"
#include "core/loans/LoanList.h"
#include "core/storage/AppendJournal.h"
#include "core/collections/Books.h"
#include "core/collections/Dvds.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/Record.h"
#include "core/storage/RecordStore.h"
#include "core/text/Clock.h"
#include "core/text/Text.h"
#include "ui/cards/CardScreen.h"
#include "ui/desk/TfrmBancoPrestiti.h"
#include "ui/desk/TfrmInventario.h"
#include "print/labels/LabelReport.h"
#include "print/desk/DeskReport.h"
#include "ui/loans/TfrmPrestiti.h"
#include "ui/registry/ScreenRegistry.h"
#include "ui/registry/Screens.h"
#include "ui/registry/TfrmAvvio.h"
#include "ui/shell/Controls.h"
#include "ui/tools/TfrmStrumenti.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QShortcut>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>
#include <QTextStream>
#include <QTreeWidget>

namespace {

const QDateTime kToday(QDate(2025, 3, 15), QTime(10, 0));

struct Row {
    const char* code;
    const char* title;
    const char* shelf;
    const char* borrower;
    const char* date;
    const char* cancelled;
};

// Cards as a user's archive holds them: every field filled by the sample
// maker, then the row's own values; a memo with CR LF and, in the first
// card, bytes left after a title by an older program, which a Save clears.
QByteArray archive(const Collection& collection, std::initializer_list<Row> rows)
{
    SampleCards words(7);
    QByteArray bytes;
    int serial = 0;
    for (const Row& r : rows) {
        Record record(*collection.layout);
        words.fill(collection, record, ++serial);
        record.setText("Codice", QString::fromUtf8(r.code));
        record.setText("Titolo", QString::fromUtf8(r.title));
        record.setText("Scaffale", QString::fromUtf8(r.shelf));
        record.setText("Prestato", QString::fromUtf8(r.borrower));
        record.setText("Scadenza", QString::fromUtf8(r.date));
        record.setText("Annullata", QString::fromUtf8(r.cancelled));
        record.setText("Note", QStringLiteral("riga uno\r\nriga due"));
        if (serial == 1) {
            const FieldDef* title = collection.layout->find("Titolo");
            const int used = static_cast<unsigned char>(record.bytes().at(title->offset));
            if (used + 2 < title->capacity)
                record.bytes()[title->offset + 1 + used + 1] = 'x';
        }
        bytes += record.bytes();
    }
    return bytes;
}

void writeArchives(const TestFolder& folder)
{
    folder.write(QStringLiteral("Libri.pro"),
        archive(Books::collection(),
            {
                {"L-001", "Il barone rampante", "A1", "", "", "No"},
                {"L-002", "Le città invisibili", "A1", "Rossi Mario", "01/01/2025", "No"},
                {"l-003", "Marcovaldo", "A1", "", "", "No"},
                {"L-004", "Ritirato", "A1", "", "", "S\u00ec"},
                {"DOPPIO", "Primo doppio", "B2", "", "", "No"},
                {"L-005", "Palomar", "B2", "", "", "No"},
            }));
    folder.write(QStringLiteral("DVD.pro"),
        archive(Dvds::collection(),
            {
                {"D-001", "Nuovo cinema", "V1", "", "", "No"},
                {"D-002", "La strada", "V1", "ROSSI MARIO ", "01/03/2025", "No"},
                {"DOPPIO", "Secondo doppio", "V1", "", "", "No"},
            }));
}

QByteArray recordAt(const QString& archive, int size, qint64 index)
{
    RecordStore store;
    QByteArray bytes;
    if (store.open(ProgramFolder::file(archive), size, RecordStore::Mode::ReadExisting) && store.seek(index))
        store.read(bytes);
    return bytes;
}

// A keyboard-wedge scanner: every character of the code, then Enter, each
// to whatever has the focus at that moment, with no wait in between.
void scanner(const QString& code)
{
    for (const QChar ch : code)
        QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
}

DeskCard only(LendingDesk& desk, const QString& code)
{
    std::vector<DeskCard> cards;
    if (!desk.find(code, cards) || cards.size() != 1)
        return {};
    return cards.front();
}

int cli(const QStringList& args, QString* out = nullptr, QString* err = nullptr)
{
    QString o, e;
    QTextStream so(&o), se(&e);
    const int code = CommandLine::run(QStringList{QStringLiteral("--folder"), ProgramFolder::path()} + args, so, se);
    so.flush();
    se.flush();
    if (out)
        *out = o;
    if (err)
        *err = e;
    return code;
}

// The card screen's Save of the same change on card `index`.
QByteArray savedByCardScreen(const Collection& collection, qint64 index, const QString& borrower, const QString& date)
{
    CardScreen* screen = cardScreenFor(Text::utf8(collection.callerTag));
    if (!screen)
        return {};
    screen->showScreen();
    Record record(*collection.layout);
    record.bytes() = recordAt(collection.archiveName(), collection.layout->size, index);
    screen->showStored(record, index);
    Controls::setText(screen->control(QStringLiteral("txtPrestato")), borrower);
    Controls::setText(screen->control(QStringLiteral("txtScadenza")), date);
    screen->cmdSalvaClick();
    screen->close();
    return recordAt(collection.archiveName(), collection.layout->size, index);
}

} // namespace

class DeskTest : public QObject {
    Q_OBJECT
private slots:
    void init() { Clock::setFixed(kToday); }
    void cleanup() { Clock::setFixed({}); }
    void deskOpensFromTheMenu();
    void findComparesAsTheSearches_data();
    void findComparesAsTheSearches();
    void lendAndReturnMatchTheCardScreen_data();
    void lendAndReturnMatchTheCardScreen();
    void scannerDrivesTheDesk();
    void severalCardsAreChosenFromTheList();
    void scanGoesToTheCodeFieldWhateverHasTheFocus_data();
    void scanGoesToTheCodeFieldWhateverHasTheFocus();
    void readerFirstLendsAPile();
    void longTitleEndsWithAWholeWord();
    void cardChangedMeanwhileIsRefused();
    void undoRefusedAfterAChange();
    void journalOfADeadAppendIsCutBackFirst();
    void labelsReadByAScannerLendTheirCards();
    void readersAndRemindersFromTheOverview();
    void stocktakeLists();
    void stocktakeResumesFromItsFile();
    void commandLineAgreesWithTheDesk_data();
    void commandLineAgreesWithTheDesk();
};

void DeskTest::deskOpensFromTheMenu()
{
    TestFolder folder;
    MessageLog log;
    writeArchives(folder);
    Screens::createAll();
    auto* menu = static_cast<TfrmAvvio*>(Screens::get(Screens::Id::Avvio));
    menu->showScreen();
    // From the tools' list, and with its key: each time a fresh desk whose
    // code field has the focus.
    int opened = 0;
    const auto drive = [&](TfrmBancoPrestiti* desk) {
        if (desk->focusWidget() == desk->txtCodice())
            ++opened;
        desk->btnChiudiClick();
    };
    onNextModal<TfrmStrumenti>([](TfrmStrumenti* list) { list->pick(QStringLiteral("imgBanco")); });
    onNextModal<TfrmBancoPrestiti>(drive, 400);
    menu->imgStrumentiClick();
    auto* key = menu->findChild<QShortcut*>(QStringLiteral("keyBanco"));
    QVERIFY(key);
    QCOMPARE(key->key(), QKeySequence(Qt::CTRL | Qt::Key_B));
    onNextModal<TfrmBancoPrestiti>(drive);
    emit key->activated();
    QCOMPARE(opened, 2);
    QVERIFY(menu->isVisible());
    Screens::destroyAll();
}

// clang-format off
void DeskTest::findComparesAsTheSearches_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("found"); // kind and position
    QTest::newRow("exact") << "L-001" << QStringList{"Libro 1"};
    QTest::newRow("case and blanks") << "  l-001 " << QStringList{"Libro 1"};
    QTest::newRow("stored lower") << "L-003" << QStringList{"Libro 3"};
    QTest::newRow("a part is not the code") << "L-00" << QStringList{};
    QTest::newRow("cancelled is found") << "L-004" << QStringList{"Libro 4"};
    QTest::newRow("book and DVD") << "doppio" << QStringList{"Libro 5", "DVD 3"};
    QTest::newRow("no card") << "ZZZ" << QStringList{};
    QTest::newRow("outside the code page") << "L\u4e00" << QStringList{};
}
// clang-format on

void DeskTest::findComparesAsTheSearches()
{
    QFETCH(QString, typed);
    QFETCH(QStringList, found);
    TestFolder folder;
    writeArchives(folder);
    LendingDesk desk;
    std::vector<DeskCard> cards;
    QVERIFY(desk.find(typed, cards));
    QStringList got;
    for (const DeskCard& c : cards)
        got << c.kindName() + QLatin1Char(' ') + c.position();
    QCOMPARE(got, found);
}

// clang-format off
void DeskTest::lendAndReturnMatchTheCardScreen_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("code");
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("date"); // what the card screen's user types
    QTest::newRow("book: the day lent") << "books" << "L-001" << 0 << "15/03/2025";
    QTest::newRow("DVD: the day due") << "dvd" << "D-001" << 0 << "29/03/2025";
}
// clang-format on

void DeskTest::lendAndReturnMatchTheCardScreen()
{
    QFETCH(QString, key);
    QFETCH(QString, code);
    QFETCH(int, index);
    QFETCH(QString, date);
    const Collection& c = *Collection::find(key.toStdString());
    BookCardSession session;
    writeArchives(session.folder);
    const QString name = c.archiveName();
    const QByteArray original = session.folder.read(name);

    LendingDesk desk;
    QVERIFY(desk.lend(only(desk, code), QStringLiteral("  Bianchi Anna "), Clock::today(), 14));
    const QByteArray lentByDesk = session.folder.read(name);
    QVERIFY(lentByDesk != original);

    session.folder.write(name, original);
    const QByteArray saved = savedByCardScreen(c, index, QStringLiteral("Bianchi Anna"), date);
    QCOMPARE(saved.size(), c.layout->size);
    QCOMPARE(session.folder.read(name), lentByDesk);

    // The return, from the lent card, both ways.
    QVERIFY(desk.giveBack(only(desk, code)));
    const QByteArray returnedByDesk = session.folder.read(name);
    session.folder.write(name, lentByDesk);
    savedByCardScreen(c, index, QString(), QString());
    QCOMPARE(session.folder.read(name), returnedByDesk);
    // Only the one card changed, and the other archive not at all.
    QCOMPARE(returnedByDesk.size(), original.size());
    QCOMPARE(returnedByDesk.mid(c.layout->size), original.mid(c.layout->size));
}

void DeskTest::scannerDrivesTheDesk()
{
    TestFolder folder;
    MessageLog log;
    writeArchives(folder);
    TfrmBancoPrestiti desk;
    desk.show();
    desk.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&desk));
    QCOMPARE(QApplication::focusWidget(), desk.txtCodice());

    // A scanner: the whole code and Enter at once.
    QTest::keyClicks(desk.txtCodice(), QStringLiteral("L-001"));
    QTest::keyClick(desk.txtCodice(), Qt::Key_Return);
    QVERIFY(desk.shown());
    QCOMPARE(desk.control<QLabel>(QStringLiteral("lblTitolo"))->text(), QStringLiteral("Il barone rampante"));
    QCOMPARE(QApplication::focusWidget(), desk.txtLettore());
    QTest::keyClicks(desk.txtLettore(), QStringLiteral("Verdi Carla"));
    QTest::keyClick(desk.txtLettore(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), desk.txtCodice());
    QCOMPARE(recordAt(QStringLiteral("Libri.pro"), TSchedaLibro.size, 0).mid(TSchedaLibro.find("Prestato")->offset + 1, 11),
        QByteArray("Verdi Carla"));

    // The same label again: shown on loan, Enter returns it.
    QTest::keyClicks(desk.txtCodice(), QStringLiteral("L-001"));
    QTest::keyClick(desk.txtCodice(), Qt::Key_Return);
    QVERIFY(desk.control<QLabel>(QStringLiteral("lblStato"))->text().startsWith(QStringLiteral("In prestito a Verdi Carla")));
    QCOMPARE(QApplication::focusWidget(), desk.txtCodice());
    QTest::keyClick(desk.txtCodice(), Qt::Key_Return);
    QCOMPARE(desk.lstMovimenti()->topLevelItemCount(), 2);
    QCOMPARE(desk.lstMovimenti()->topLevelItem(0)->text(1), QStringLiteral("Restituzione"));
    QCOMPARE(desk.lstMovimenti()->topLevelItem(1)->text(4), QStringLiteral("Verdi Carla"));

    // A code of no card: said, and selected for the next scan.
    QTest::keyClicks(desk.txtCodice(), QStringLiteral("XYZ"));
    QTest::keyClick(desk.txtCodice(), Qt::Key_Return);
    QVERIFY(desk.lblMessaggio()->text().contains(QStringLiteral("Nessuna scheda ha il codice XYZ")));
    QVERIFY(desk.lblMessaggio()->styleSheet().contains(QStringLiteral("#DC143C")));
    QCOMPARE(desk.txtCodice()->selectedText(), QStringLiteral("XYZ"));
    // A cancelled card: its state said, never lent.
    QTest::keyClicks(desk.txtCodice(), QStringLiteral("L-004"));
    QTest::keyClick(desk.txtCodice(), Qt::Key_Return);
    QVERIFY(desk.lblMessaggio()->text().contains(QStringLiteral("annullata (Annullata: S\u00ec)")));
    QVERIFY(!desk.control<QPushButton>(QStringLiteral("btnPresta"))->isEnabled());

    // Undo puts the card back as lent, then as it was at first.
    const QByteArray returned = recordAt(QStringLiteral("Libri.pro"), TSchedaLibro.size, 0);
    desk.btnAnnullaClick();
    QCOMPARE(desk.lstMovimenti()->topLevelItemCount(), 1);
    QVERIFY(recordAt(QStringLiteral("Libri.pro"), TSchedaLibro.size, 0) != returned);
    QCOMPARE(recordAt(QStringLiteral("Libri.pro"), TSchedaLibro.size, 0).mid(TSchedaLibro.find("Prestato")->offset + 1, 11),
        QByteArray("Verdi Carla"));
    desk.btnAnnullaClick();
    QCOMPARE(recordAt(QStringLiteral("Libri.pro"), TSchedaLibro.size, 0),
        archive(Books::collection(), {{"L-001", "Il barone rampante", "A1", "", "", "No"}}));
    QVERIFY(log.entries.isEmpty());
}

void DeskTest::severalCardsAreChosenFromTheList()
{
    TestFolder folder;
    writeArchives(folder);
    TfrmBancoPrestiti desk;
    desk.show();
    desk.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&desk));
    QTest::keyClicks(desk.txtCodice(), QStringLiteral("DOPPIO"));
    QTest::keyClick(desk.txtCodice(), Qt::Key_Return);
    QCOMPARE(desk.lstSchede()->count(), 2);
    QVERIFY(desk.lstSchede()->item(0)->text().contains(QStringLiteral("posizione 5")));
    QVERIFY(desk.lstSchede()->item(1)->text().contains(QStringLiteral("Secondo doppio")));
    QCOMPARE(QApplication::focusWidget(), desk.lstSchede());
    QTest::keyClick(desk.lstSchede(), Qt::Key_Down);
    QTest::keyClick(desk.lstSchede(), Qt::Key_Return);
    QVERIFY(desk.shown());
    QCOMPARE(desk.shown()->title, QStringLiteral("Secondo doppio"));
    // The DVD's due date follows the period once confirmed, and only then
    // is it kept in the settings.
    desk.txtDurata()->setValue(7);
    QCOMPARE(DeskSettings::loanDays(), DeskSettings::kDefaultLoanDays);
    desk.btnDurataClick();
    QCOMPARE(DeskSettings::loanDays(), 7);
    QCOMPARE(QApplication::focusWidget(), desk.txtLettore());
    QTest::keyClicks(desk.txtLettore(), QStringLiteral("Neri"));
    QTest::keyClick(desk.txtLettore(), Qt::Key_Return);
    LendingDesk check;
    std::vector<DeskCard> cards;
    QVERIFY(check.find(QStringLiteral("doppio"), cards));
    QCOMPARE(cards.at(1).date, QStringLiteral("22/03/2025"));
    QCOMPARE(cards.at(0).borrower, QString());
}

// clang-format off
void DeskTest::scanGoesToTheCodeFieldWhateverHasTheFocus_data()
{
    QTest::addColumn<QString>("before"); // codes scanned first, "+NAME" lends to NAME, "*" confirms nothing
    QTest::addColumn<QString>("focus");  // the widget given the focus before the burst
    QTest::addColumn<QString>("named");  // what the message line names as left unwritten; empty: nothing
    QTest::newRow("reader, an item waiting") << "L-001" << "txtLettore" << "L-001 \"Il barone rampante\"";
    QTest::newRow("reader, nothing waiting") << "" << "txtLettore" << "";
    QTest::newRow("reader, blanks typed first") << "L-005" << "txtLettore" << "L-005 \"Palomar\"";
    QTest::newRow("loan period, a DVD waiting") << "D-001" << "txtDurata" << "D-001 \"Nuovo cinema\"";
    QTest::newRow("loan period, nothing waiting") << "" << "txtDurata" << "";
    QTest::newRow("choice list") << "DOPPIO" << "lstSchede" << "2 schede del codice DOPPIO";
    QTest::newRow("list of moves") << "L-001 +Verdi" << "lstMovimenti" << "";
    QTest::newRow("a button") << "L-001 +Verdi" << "btnAnnulla" << "";
}
// clang-format on

void DeskTest::scanGoesToTheCodeFieldWhateverHasTheFocus()
{
    QFETCH(QString, before);
    QFETCH(QString, focus);
    QFETCH(QString, named);
    TestFolder folder;
    MessageLog log;
    writeArchives(folder);
    TfrmBancoPrestiti desk;
    desk.show();
    desk.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&desk));
    for (const QString& step : before.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (step.startsWith(QLatin1Char('+'))) {
            QTest::keyClicks(desk.txtLettore(), step.mid(1));
            QTest::keyClick(desk.txtLettore(), Qt::Key_Return);
        } else {
            scanner(step);
        }
    }
    if (QTest::currentDataTag() == QLatin1String("reader, blanks typed first"))
        QTest::keyClicks(desk.txtLettore(), QStringLiteral("   "));
    QWidget* target = desk.findChild<QWidget*>(focus);
    QVERIFY(target);
    target->setFocus(Qt::OtherFocusReason);
    QVERIFY(target->hasFocus() || target->isAncestorOf(QApplication::focusWidget()));
    const QByteArray books = folder.read(QStringLiteral("Libri.pro"));
    const QByteArray dvd = folder.read(QStringLiteral("DVD.pro"));
    const QByteArray ini = folder.read(QStringLiteral("Tomaria.ini"));
    const int days = desk.loanDays();
    const int moves = desk.lstMovimenti()->topLevelItemCount();

    // L-002 is on loan: its scan shows it and waits for Enter in the code
    // field, so the focus tells where the burst went.
    scanner(QStringLiteral("L-002"));
    QVERIFY(desk.shown());
    QCOMPARE(desk.shown()->code, QStringLiteral("L-002"));
    QCOMPARE(QApplication::focusWidget(), desk.txtCodice());
    QVERIFY(!desk.lstSchede()->isVisible());
    // Nothing written: no reader called "L-002", no period, no move.
    QCOMPARE(folder.read(QStringLiteral("Libri.pro")), books);
    QCOMPARE(folder.read(QStringLiteral("DVD.pro")), dvd);
    QCOMPARE(folder.read(QStringLiteral("Tomaria.ini")), ini);
    QCOMPARE(desk.loanDays(), days);
    QCOMPARE(desk.txtDurata()->value(), days);
    QCOMPARE(desk.heldReader(), QString());
    QCOMPARE(desk.lstMovimenti()->topLevelItemCount(), moves);
    const QString said = desk.lblMessaggio()->text();
    if (named.isEmpty())
        QVERIFY2(!said.contains(QStringLiteral("Non registrato")), qPrintable(said));
    else
        QVERIFY2(said.startsWith(QStringLiteral("Non registrato: ")) && said.contains(named), qPrintable(said));
    // The next Enter returns it, as the scan of a lent item always does.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(desk.lstMovimenti()->topLevelItemCount(), moves + 1);
    QCOMPARE(desk.lstMovimenti()->topLevelItem(0)->text(1), QStringLiteral("Restituzione"));
    QCOMPARE(QApplication::focusWidget(), desk.txtCodice());
    QVERIFY(log.entries.isEmpty());
}

void DeskTest::readerFirstLendsAPile()
{
    TestFolder folder;
    MessageLog log;
    writeArchives(folder);
    TfrmBancoPrestiti desk;
    desk.show();
    desk.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&desk));
    // The reader first: typed with no item waiting, then held.
    desk.txtLettore()->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Classe 3B"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(desk.heldReader(), QStringLiteral("Classe 3B"));
    QCOMPARE(QApplication::focusWidget(), desk.txtCodice());
    // A pile of five, scanned as fast as the scanner goes; one code is of
    // two cards, chosen in the list; a lent item between them is returned
    // by its scan and Enter, and the reader is still held after it.
    for (const char* code : {"L-001", "l-003", "D-001"})
        scanner(QString::fromLatin1(code));
    scanner(QStringLiteral("DOPPIO"));
    QCOMPARE(QApplication::focusWidget(), desk.lstSchede());
    QTest::keyClick(desk.lstSchede(), Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), desk.txtCodice());
    scanner(QStringLiteral("L-002"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    scanner(QStringLiteral("L-005"));
    QCOMPARE(desk.heldReader(), QStringLiteral("Classe 3B"));
    QCOMPARE(desk.lstMovimenti()->topLevelItemCount(), 6);
    LoanList loans;
    QVERIFY(loans.load());
    QStringList lent;
    for (const Loan& l : loans.loans()) {
        if (l.borrower == QLatin1String("Classe 3B"))
            lent << Text::utf8(l.collection->key) + QLatin1Char(' ') + l.code;
    }
    std::sort(lent.begin(), lent.end());
    QCOMPARE(lent, (QStringList{"books DOPPIO", "books L-001", "books L-005", "books l-003", "dvd D-001"}));
    QCOMPARE(DeskCard::read(Books::collection(), 1, recordAt(QStringLiteral("Libri.pro"), TSchedaLibro.size, 1)).borrower, QString());

    // Esc lets the reader go: the next item waits for its reader again.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QCOMPARE(desk.heldReader(), QString());
    QVERIFY(desk.isVisible());
    QCOMPARE(QApplication::focusWidget(), desk.txtCodice());
    scanner(QStringLiteral("L-002"));
    QCOMPARE(QApplication::focusWidget(), desk.txtLettore());
    // Esc drops the item waiting, unwritten.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    QVERIFY(desk.lblMessaggio()->text().startsWith(QStringLiteral("Annullato: il prestito di Libro cod. L-002")));
    QCOMPARE(QApplication::focusWidget(), desk.txtCodice());
    scanner(QStringLiteral("D-002"));
    QCOMPARE(desk.lstMovimenti()->topLevelItemCount(), 6);
    // A held reader with a name no card can hold is refused, with why.
    desk.txtLettore()->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(QApplication::focusWidget(), QString(130, QLatin1Char('x')));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(desk.heldReader(), QString());
    QVERIFY(desk.lblMessaggio()->text().contains(QStringLiteral("lungo 130 caratteri")));
    QCOMPARE(QApplication::focusWidget(), desk.txtCodice());
    // "Fine lettore" lets a reader go as Esc does.
    desk.txtLettore()->setFocus(Qt::OtherFocusReason);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Neri"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(desk.heldReader(), QStringLiteral("Neri"));
    desk.btnFineLettoreClick();
    QCOMPARE(desk.heldReader(), QString());
    QCOMPARE(QApplication::focusWidget(), desk.txtCodice());
    QVERIFY(log.entries.isEmpty());
}

void DeskTest::longTitleEndsWithAWholeWord()
{
    TestFolder folder;
    const QString title = QStringLiteral(
        "Storia documentaria delle biblioteche civiche piemontesi dalle origini all'unificazione nazionale");
    folder.write(QStringLiteral("Libri.pro"), archive(Books::collection(), {{"L-9", title.toUtf8().constData(), "A1", "", "", "No"}}));
    TfrmBancoPrestiti desk;
    desk.show();
    desk.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&desk));
    scanner(QStringLiteral("L-9"));
    const QString shown = desk.control<QLabel>(QStringLiteral("lblTitolo"))->text();
    QVERIFY2(shown.endsWith(QChar(0x2026)), qPrintable(shown));
    const QString head = shown.chopped(1);
    QVERIFY(title.startsWith(head));
    QCOMPARE(title.at(head.size()), QLatin1Char(' '));
    QVERIFY(QFontMetrics(desk.control<QLabel>(QStringLiteral("lblTitolo"))->font()).horizontalAdvance(shown)
        <= desk.control<QLabel>(QStringLiteral("lblTitolo"))->width());
}

void DeskTest::cardChangedMeanwhileIsRefused()
{
    TestFolder folder;
    writeArchives(folder);
    LendingDesk desk;
    const DeskCard card = only(desk, QStringLiteral("L-005"));
    // Another program saves the card between the scan and the Enter.
    Record other(TSchedaLibro);
    other.bytes() = card.bytes;
    other.setText("Note", QStringLiteral("cambiata altrove"));
    RecordStore store;
    QVERIFY(store.open(folder.file(QStringLiteral("Libri.pro")), TSchedaLibro.size));
    QVERIFY(store.seek(card.index) && store.write(other.bytes()));
    store.close();
    const QByteArray before = folder.read(QStringLiteral("Libri.pro"));
    QVERIFY(!desk.lend(card, QStringLiteral("Gialli"), Clock::today(), 14));
    QVERIFY(desk.changedMeanwhile());
    QVERIFY(desk.refused());
    QCOMPARE(desk.errorString(), RecordStore::kChanged);
    QCOMPARE(folder.read(QStringLiteral("Libri.pro")), before);
    QVERIFY(desk.moves().empty());
    // Read again, the card lends.
    QVERIFY(desk.lend(only(desk, QStringLiteral("L-005")), QStringLiteral("Gialli"), Clock::today(), 14));
    Record now(TSchedaLibro);
    now.bytes() = recordAt(QStringLiteral("Libri.pro"), TSchedaLibro.size, card.index);
    QCOMPARE(now.text("Note"), QStringLiteral("cambiata altrove"));
    QCOMPARE(now.text("Prestato"), QStringLiteral("Gialli"));

    // The screen says so and loses nothing.
    TfrmBancoPrestiti screen;
    screen.show();
    QTest::keyClicks(screen.txtCodice(), QStringLiteral("L-001"));
    QTest::keyClick(screen.txtCodice(), Qt::Key_Return);
    QVERIFY(store.open(folder.file(QStringLiteral("Libri.pro")), TSchedaLibro.size));
    other.bytes() = recordAt(QStringLiteral("Libri.pro"), TSchedaLibro.size, 0);
    other.setText("Scaffale", QStringLiteral("Z9"));
    QVERIFY(store.seek(0) && store.write(other.bytes()));
    store.close();
    screen.txtLettore()->setText(QStringLiteral("Verdi"));
    screen.btnPrestaClick();
    QVERIFY(screen.lblMessaggio()->text().contains(QStringLiteral("modificata nel frattempo")));
    QCOMPARE(recordAt(QStringLiteral("Libri.pro"), TSchedaLibro.size, 0), other.bytes());
    QCOMPARE(screen.lstMovimenti()->topLevelItemCount(), 0);
}

void DeskTest::undoRefusedAfterAChange()
{
    TestFolder folder;
    writeArchives(folder);
    LendingDesk desk;
    QVERIFY(desk.lend(only(desk, QStringLiteral("L-001")), QStringLiteral("Blu"), Clock::today(), 14));
    Record changed(TSchedaLibro);
    changed.bytes() = recordAt(QStringLiteral("Libri.pro"), TSchedaLibro.size, 0);
    changed.setText("Titolo", QStringLiteral("Corretto altrove"));
    RecordStore store;
    QVERIFY(store.open(folder.file(QStringLiteral("Libri.pro")), TSchedaLibro.size));
    QVERIFY(store.seek(0) && store.write(changed.bytes()));
    store.close();
    QVERIFY(!desk.undoLast());
    QVERIFY(desk.errorString().contains(QStringLiteral("modificata dopo il movimento")));
    QCOMPARE(recordAt(QStringLiteral("Libri.pro"), TSchedaLibro.size, 0), changed.bytes());
    QCOMPARE(desk.moves().size(), std::size_t(1));
}

void DeskTest::journalOfADeadAppendIsCutBackFirst()
{
    TestFolder folder;
    writeArchives(folder);
    const QString path = folder.file(QStringLiteral("Libri.pro"));
    const QByteArray before = folder.read(QStringLiteral("Libri.pro"));
    // An append killed halfway: its journal, and a card and a half written.
    QString reason;
    AppendJournal::Before old;
    old.length = before.size();
    QVERIFY(AppendJournal::begin(path, old, &reason));
    folder.write(QStringLiteral("Libri.pro"), before + QByteArray(TSchedaLibro.size * 3 / 2, 'k'));
    LendingDesk desk;
    DeskCard card;
    {
        std::vector<DeskCard> cards;
        QVERIFY(desk.find(QStringLiteral("L-005"), cards));
        QCOMPARE(cards.size(), std::size_t(1));
        card = cards.front();
    }
    QVERIFY(desk.lend(card, QStringLiteral("Viola"), Clock::today(), 14));
    const QByteArray after = folder.read(QStringLiteral("Libri.pro"));
    QCOMPARE(after.size(), before.size());
    QVERIFY(!AppendJournal::pending(path));
    QCOMPARE(after.left(card.index * TSchedaLibro.size), before.left(card.index * TSchedaLibro.size));
    QCOMPARE(DeskCard::read(Books::collection(), card.index, after.mid(card.index * TSchedaLibro.size, TSchedaLibro.size)).borrower,
        QStringLiteral("Viola"));
}

void DeskTest::labelsReadByAScannerLendTheirCards()
{
    if (QStandardPaths::findExecutable(QStringLiteral("zbarimg")).isEmpty())
        QSKIP("zbarimg is missing (tools/install-deps.sh installs it)");
    TestFolder folder;
    writeArchives(folder);
    QList<LabelCard> labels;
    for (const char* code : {"L-001", "l-003", "L-005", "D-001"})
        labels << LabelCard{0, QString::fromLatin1(code), QStringLiteral("titolo"), {}, {}, {}};
    LabelReport::Request request;
    request.kind = LabelReport::Kind::Barcode;
    request.sheet = *LabelSheet::find(QStringLiteral("3x8"));
    const PreparedReport sheet = LabelReport::prepare(labels, request);
    const QImage page = LabelReport::render(sheet, 0, 2480);
    const QString png = folder.file(QStringLiteral("foglio.png"));
    QVERIFY(page.save(png));
    QProcess zbar;
    zbar.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), png});
    QVERIFY(zbar.waitForFinished(30000));
    QStringList codes = QString::fromUtf8(zbar.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    std::sort(codes.begin(), codes.end());
    QCOMPARE(codes, (QStringList{"D-001", "L-001", "L-005", "l-003"}));

    TfrmBancoPrestiti desk;
    desk.show();
    desk.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&desk));
    for (const QString& code : std::as_const(codes)) {
        QTest::keyClicks(QApplication::focusWidget(), code);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Classe 3B"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    }
    LoanList loans;
    QVERIFY(loans.load());
    QStringList lent;
    for (const Loan& l : loans.loans()) {
        if (l.borrower == QLatin1String("Classe 3B"))
            lent << l.code;
    }
    std::sort(lent.begin(), lent.end());
    QCOMPARE(lent, codes);
}

void DeskTest::readersAndRemindersFromTheOverview()
{
    TestFolder folder;
    MessageLog log;
    writeArchives(folder);
    LoanList loans;
    QVERIFY(loans.load());
    loans.arrange(Clock::today(), 30);
    // "Rossi Mario" and "ROSSI MARIO " are one reader; one card each, so
    // the spelling of the most recent loan is the one used.
    const std::vector<Reader> readers = Readers::of(loans);
    QCOMPARE(readers.size(), std::size_t(1));
    QCOMPARE(readers[0].name, QStringLiteral("ROSSI MARIO"));
    QCOMPARE(readers[0].items.size(), std::size_t(2));
    QCOMPARE(readers[0].overdue, 2);
    QCOMPARE(Readers::line(readers[0]), QStringLiteral("ROSSI MARIO  (2 in prestito, 2 in ritardo)"));

    const std::vector<ReminderLetter> letters = Reminders::letters(loans, Clock::today());
    QCOMPARE(letters.size(), std::size_t(1));
    const QStringList lines = letters[0].lines();
    QVERIFY(lines.contains(QStringLiteral("Gentile ROSSI MARIO,")));
    QVERIFY(lines.contains(QStringLiteral("Le città invisibili  (cod. L-002)  prestato il 01/01/2025")));
    QVERIFY(lines.contains(QStringLiteral("La strada  (cod. D-002)  da restituire entro il 01/03/2025")));

    // The overview prints them through the print dialog, one page a reader.
    PrintLog prints(false);
    TfrmPrestiti overview;
    overview.show();
    overview.btnSollecitiClick();
    QCOMPARE(prints.offered.size(), 1);
    QCOMPARE(prints.offered[0].pageCount(), 1);
    QVERIFY(prints.offered[0].page(0).find(QStringLiteral("lettore"))->joined().contains(QStringLiteral("ROSSI MARIO")));
    overview.btnLettoriClick();
    QVERIFY(overview.lstLettori()->isVisible());
    QCOMPARE(overview.lstLettori()->topLevelItemCount(), 1);
    QCOMPARE(overview.lstLettori()->topLevelItem(0)->childCount(), 2);
    // Each item says whether it is a book or a DVD, and "Stampa" prints
    // the readers while they are shown.
    QVERIFY(overview.lstLettori()->topLevelItem(0)->child(0)->text(0).startsWith(QStringLiteral("! Libro  Cod. L-002")));
    QVERIFY(overview.lstLettori()->topLevelItem(0)->child(1)->text(0).startsWith(QStringLiteral("! DVD    Cod. D-002")));
    const QStringList printed = overview.printLines();
    QCOMPARE(printed.at(0), QStringLiteral("ROSSI MARIO  (2 in prestito, 2 in ritardo)"));
    QVERIFY(printed.at(1).contains(QStringLiteral("Libro  Cod. L-002  Le città invisibili")));
    // A double-click on an item chooses its card, as the list does.
    overview.lstLettoriDblClick(overview.lstLettori()->topLevelItem(0)->child(1));
    QVERIFY(overview.choice());
    QCOMPARE(overview.choice()->collection, &Dvds::collection());
    QCOMPARE(overview.choice()->index, 1);

    // Esc closes the list.
    {
        TfrmPrestiti again;
        again.show();
        again.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&again));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!again.isVisible());
        QVERIFY(!again.choice());
    }

    // The command line writes the same letters as a PDF.
    const QString pdf = folder.file(QStringLiteral("solleciti.pdf"));
    QString out;
    QCOMPARE(cli({QStringLiteral("reminders"), QStringLiteral("--out"), pdf}, &out), 0);
    QVERIFY(out.contains(QStringLiteral("ROSSI MARIO\t2")));
    const QString text = pdfText(pdf);
    if (!text.isEmpty()) {
        QVERIFY(text.contains(QStringLiteral("Gentile ROSSI MARIO,")));
        QVERIFY(text.contains(QStringLiteral("Palomar")) == false);
    }
}

void DeskTest::stocktakeLists()
{
    TestFolder folder;
    writeArchives(folder);
    Stocktake count;
    QVERIFY(count.begin(Books::collection(), QStringLiteral("a1")));
    QCOMPARE(count.expected(), 3); // the cancelled card is not looked for
    QCOMPARE(count.scan(QStringLiteral("L-001")).verdict, Stocktake::Verdict::Counted);
    QCOMPARE(count.scan(QStringLiteral("l-001")).verdict, Stocktake::Verdict::Twice);
    QCOMPARE(count.scan(QStringLiteral("L-005")).verdict, Stocktake::Verdict::OtherShelf);
    QCOMPARE(count.scan(QStringLiteral("NESSUNO")).verdict, Stocktake::Verdict::NoCard);
    QCOMPARE(count.scan(QStringLiteral("L-004")).verdict, Stocktake::Verdict::Cancelled);
    QCOMPARE(count.counted(), 1);
    const QStringList expected{
        "Mancante\tl-003\tMarcovaldo\tA1",
        "In prestito\tL-002\tLe città invisibili\tRossi Mario",
        "Di un altro scaffale\tL-005\tPalomar\tB2",
        "Di nessuna scheda\tNESSUNO\t\t",
        "Letto due volte\tl-001\tIl barone rampante\tA1",
        "Scheda annullata\tL-004\tRitirato\tA1",
    };
    QCOMPARE(count.report(), expected);

    // The command line, from a file of scanned codes.
    folder.write(QStringLiteral("letti.txt"), "L-001\r\nl-001\nL-005\n\nNESSUNO\nL-004\n");
    QString out;
    QCOMPARE(cli({QStringLiteral("stocktake"), QStringLiteral("books"), QStringLiteral("--shelf"), QStringLiteral("a1"),
                     folder.file(QStringLiteral("letti.txt"))},
                 &out),
        0);
    QCOMPARE(out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2), expected);

    // Printed: every row on the page.
    const PreparedReport printed = DeskReport::stocktake(count);
    QCOMPARE(printed.pageCount(), 1);
    QString all;
    for (const PageItem& item : printed.page(0).items)
        all += item.joined() + QLatin1Char('\n');
    for (const char* code : {"l-003", "L-002", "L-005", "NESSUNO", "L-004"})
        QVERIFY2(all.contains(QLatin1String(code)), code);
}

void DeskTest::stocktakeResumesFromItsFile()
{
    TestFolder folder;
    MessageLog log;
    writeArchives(folder);
    {
        TfrmInventario screen;
        screen.show();
        screen.txtScaffale()->setText(QStringLiteral("A1"));
        screen.btnIniziaClick();
        for (const char* code : {"L-001", "L-005", "L-001"}) {
            QTest::keyClicks(screen.txtCodice(), QString::fromLatin1(code));
            QTest::keyClick(screen.txtCodice(), Qt::Key_Return);
        }
        QCOMPARE(screen.lblConteggio()->text(), QStringLiteral("Contate 1 schede su 3"));
        QCOMPARE(screen.lstLetture()->count(), 3);
        // The pause is named so, never to be taken for the end.
        QCOMPARE(screen.control<QPushButton>(QStringLiteral("btnChiudi"))->text(), QStringLiteral("Sospendi ed esci"));
        screen.btnChiudiClick(); // a pause: the file stays
    }
    QVERIFY(Stocktake::pending());
    QVERIFY(Catalogue::present(folder.path()).contains(Stocktake::fileName()));
    QCOMPARE(Catalogue::kindOf(Stocktake::fileName()), Catalogue::Kind::Settings);
    // A line half written when the program stopped is no code.
    QFile file(folder.file(Stocktake::fileName()));
    QVERIFY(file.open(QIODevice::Append));
    file.write("l-0");
    file.close();
    const QByteArray cut = folder.read(Stocktake::fileName());

    TfrmInventario screen;
    screen.show();
    // What is in sospeso is said before it is resumed.
    QVERIFY2(screen.lblMessaggio()->text().contains(QStringLiteral("in sospeso (Libri, scaffale A1, 3 codici letti)")),
        qPrintable(screen.lblMessaggio()->text()));
    screen.btnRiprendiClick();
    QVERIFY(screen.stocktake());
    QCOMPARE(screen.stocktake()->scans().size(), std::size_t(3));
    QCOMPARE(folder.read(Stocktake::fileName()), cut.chopped(3));
    QTest::keyClicks(screen.txtCodice(), QStringLiteral("l-003"));
    QTest::keyClick(screen.txtCodice(), Qt::Key_Return);
    screen.btnEsitoClick();
    QCOMPARE(screen.lstEsito()->topLevelItem(0)->text(0), QStringLiteral("In prestito"));

    Stocktake again;
    QVERIFY(again.load());
    QCOMPARE(again.report(), screen.stocktake()->report());
    log.answers.push_back(true);
    screen.btnTerminaClick();
    QVERIFY(!Stocktake::pending());
}

// clang-format off
void DeskTest::commandLineAgreesWithTheDesk_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("exit");
    QTest::addColumn<QString>("said");
    QTest::newRow("lend a book") << QStringList{"lend", "l-001", "--to", "Bruni", "--date", "02/03/2025"} << 0
                                 << "Prestato: Libro cod. L-001 \"Il barone rampante\" (posizione 1) a Bruni, data prestito 02/03/2025";
    QTest::newRow("lend a DVD") << QStringList{"lend", "D-001", "--to", "Bruni"} << 0 << "scadenza 29/03/2025";
    QTest::newRow("return") << QStringList{"return", "L-002"} << 0 << "Restituito: Libro cod. L-002";
    QTest::newRow("unknown code") << QStringList{"lend", "ZZZ", "--to", "Bruni"} << 1 << "nessuna scheda ha il codice \"ZZZ\"";
    QTest::newRow("cancelled") << QStringList{"lend", "L-004", "--to", "Bruni"} << 1 << "annullata";
    QTest::newRow("already lent") << QStringList{"lend", "L-002", "--to", "Bruni"} << 1 << "già in prestito a Rossi Mario";
    QTest::newRow("not on loan") << QStringList{"return", "L-001"} << 1 << "non risulta in prestito";
    QTest::newRow("several cards") << QStringList{"return", "DOPPIO"} << 2 << "DVD cod. DOPPIO \"Secondo doppio\" (posizione 3)";
    QTest::newRow("no reader") << QStringList{"lend", "L-001"} << 2 << "--to NOME";
    QTest::newRow("bad date") << QStringList{"lend", "L-001", "--to", "B", "--date", "2025-03-02"} << 2 << "gg/mm/aaaa";
    QTest::newRow("stray option") << QStringList{"return", "L-001", "--to", "B"} << 2 << "--to non vale per return";
    QTest::newRow("a control character") << QStringList{"lend", "L-001", "--to", "Bruni\x07"} << 1 << "carattere di controllo (U+0007)";
    QTest::newRow("a terminal's escape") << QStringList{"lend", "L-001", "--to", "\x1b[2JBruni"} << 1 << "carattere di controllo (U+001B)";
    QTest::newRow("longer than the card") << QStringList{"lend", "L-001", "--to", QString(10000, QLatin1Char('a'))} << 1
                                          << "lungo 10000 caratteri, la scheda ne conserva al più 120";
    QTest::newRow("as long as the card") << QStringList{"lend", "L-001", "--to", QString(120, QLatin1Char('a'))} << 0 << "Prestato:";
}
// clang-format on

void DeskTest::commandLineAgreesWithTheDesk()
{
    QFETCH(QStringList, args);
    QFETCH(int, exit);
    QFETCH(QString, said);
    TestFolder folder;
    writeArchives(folder);
    const QByteArray books = folder.read(QStringLiteral("Libri.pro"));
    const QByteArray dvd = folder.read(QStringLiteral("DVD.pro"));
    QString out, err;
    QCOMPARE(cli(args, &out, &err), exit);
    QVERIFY2((out + err).contains(said), qPrintable(out + err));
    if (exit != 0) {
        QCOMPARE(folder.read(QStringLiteral("Libri.pro")), books);
        QCOMPARE(folder.read(QStringLiteral("DVD.pro")), dvd);
        return;
    }
    // The same move made at the desk writes the same bytes.
    const QByteArray byCli = folder.read(QStringLiteral("Libri.pro")) + folder.read(QStringLiteral("DVD.pro"));
    folder.write(QStringLiteral("Libri.pro"), books);
    folder.write(QStringLiteral("DVD.pro"), dvd);
    LendingDesk desk;
    const DeskCard card = only(desk, args[1]);
    const QDate day = args.contains(QStringLiteral("--date")) ? QDate(2025, 3, 2) : Clock::today();
    const QString reader = args.value(args.indexOf(QStringLiteral("--to")) + 1);
    QVERIFY(args[0] == QLatin1String("lend") ? desk.lend(card, reader, day, DeskSettings::loanDays()) : desk.giveBack(card));
    QCOMPARE(folder.read(QStringLiteral("Libri.pro")) + folder.read(QStringLiteral("DVD.pro")), byCli);
}

QTEST_MAIN(DeskTest)
#include "test_desk.moc"
