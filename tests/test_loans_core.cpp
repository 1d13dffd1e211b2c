// The loans list on the core alone: its order across the collections, its
// marks and how it reads a loan date; and the lending desk's rules that need
// no screen: readers by one name, the names a card can hold, the period, a
// card's line, and a code index that sees every change made by others.
#include "CoreSupport.h"
#include "LoanFixtures.h"

#include "core/collections/Books.h"
#include "core/desk/CodeIndex.h"
#include "core/desk/DeskCard.h"
#include "core/desk/DeskSettings.h"
#include "core/desk/LendingDesk.h"
#include "core/desk/Readers.h"
#include "core/desk/Reminders.h"
#include "core/loans/LoanList.h"
#include "core/search/Search.h"
#include "core/search/SearchIndex.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/RecordStore.h"
#include "core/text/Clock.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <QThread>

using namespace LoanFixtures;

class LoansCoreTest : public QObject {
    Q_OBJECT
private slots:
    void init() { Clock::setFixed(kToday); }
    void cleanup() { Clock::setFixed({}); }
    void orderAndMarks();
    void readDate_data();
    void readDate();
    void readersGoByTheirUsualSpelling();
    void readerNamesACardCannotHold_data();
    void readerNamesACardCannotHold();
    void loanPeriodIsBounded();
    void cardLineOfTheDeskAndTheCommandLine();
    void codeChangedByAnotherProgramIsSeen();
    void codesReadThroughTheCompactCopy();
};

void LoansCoreTest::orderAndMarks()
{
    TestFolder folder;
    writeArchives(folder);
    LoanList list;
    QVERIFY(list.load());
    list.arrange(Clock::today(), 30);
    // Oldest first across both collections, equal dates in archive order,
    // unreadable and missing dates last as typed, with their words; "!"
    // marks what is late. Columns are as wide as their longest value.
    const QStringList expected = {
        "! DVD    Cod. C3  Due long ago      Verdi                              01/12/2024  scaduto da 104 giorni",
        "! Libro  Cod. C2  Lent 31 days ago  Bianchi                            12/2/2025   prestato da 31 giorni",
        "  Libro  Cod. C1  Lent 30 days ago  Rossi                              13/02/2025",
        "! DVD    Cod. C1  Due yesterday     Rossi                              14/03/2025  scaduto da 1 giorno",
        "  Libro  Cod. C7  Lent today                                           15/03/2025",
        "  DVD    Cod. C2  Due today         Bianchi                            15/03/2025",
        "  Libro  Cod. C5  Borrower only     Neri                                           senza data",
        "  Libro  Cod. C6  Impossible date   Gialli                             31/02/2025  data non leggibile",
        "  Libro  Cod. C8  Two-digit year    Maestra Anna (prestito di classe)  15/11/26    data non leggibile",
        "  DVD    Cod. C4  Words             Blu                                fine mese   data non leggibile",
        "  DVD    Cod. C6  Year first        Blu                                2026-11-15  data non leggibile",
        "  DVD    Cod. C7  No due date       Viola                                          senza scadenza: risulta disponibile",
    };
    QCOMPARE(list.lines(), expected);
    QCOMPARE(list.markedCount(), 3);

    // One day fewer marks the book lent 30 days ago; DVDs keep their rule,
    // and an unreadable or missing date is never marked.
    list.arrange(Clock::today(), 29);
    QCOMPARE(list.markedCount(), 4);
    QVERIFY(list.lines().at(2).startsWith(QLatin1String("! Libro  Cod. C1 ")));
    list.arrange(Clock::today(), 1);
    QCOMPARE(list.markedCount(), 4);
}

// clang-format off
void LoansCoreTest::readDate_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QDate>("date");
    QTest::newRow("day first") << "05/04/2025" << QDate(2025, 4, 5);
    QTest::newRow("single digits") << "5/4/2025" << QDate(2025, 4, 5);
    QTest::newRow("blanks around") << " 05/04/2025 " << QDate(2025, 4, 5);
    QTest::newRow("no such day") << "30/02/2024" << QDate();
    QTest::newRow("two-digit year") << "05/04/25" << QDate();
    QTest::newRow("mixed separators") << "05/04-2025" << QDate();
    QTest::newRow("words") << "aprile" << QDate();
    QTest::newRow("empty") << "" << QDate();
}
// clang-format on

void LoansCoreTest::readDate()
{
    QFETCH(QString, text);
    QFETCH(QDate, date);
    QCOMPARE(LoanList::readDate(text), date);
}

void LoansCoreTest::readersGoByTheirUsualSpelling()
{
    TestFolder folder;
    // Four cards of one reader in three spellings: most say "Maria
    // Bianchi", the first one met does not. Two spellings of another reader
    // once each: the most recent loan decides, wherever it lies.
    folder.write(QStringLiteral("Libri.pro"),
        archive(TSchedaLibro,
            {
                {"Uno", "maria bianchi", "01/02/2025", "No"},
                {"Due", "Maria Bianchi", "02/02/2025", "No"},
                {"Tre", "Luca NERI", "10/02/2025", "No"},
                {"Quattro", "Luca Neri", "03/02/2025", "No"},
            }));
    folder.write(QStringLiteral("DVD.pro"),
        archive(TSchedaDVD,
            {
                {"Cinque", " MARIA BIANCHI ", "01/03/2025", "No"},
                {"Sei", "Maria Bianchi", "02/03/2025", "No"},
            }));
    LoanList loans;
    QVERIFY(loans.load());
    loans.arrange(Clock::today(), 1);
    const std::vector<Reader> readers = Readers::of(loans);
    QCOMPARE(readers.size(), std::size_t(2));
    QCOMPARE(readers[0].name, QStringLiteral("Luca NERI"));
    QCOMPARE(readers[0].items.size(), std::size_t(2));
    QCOMPARE(readers[1].name, QStringLiteral("Maria Bianchi"));
    QCOMPARE(readers[1].items.size(), std::size_t(4));
    // The completion offers the same spellings, once each.
    QCOMPARE(Readers::names(loans), (QStringList{"Luca NERI", "Maria Bianchi"}));
    // The letters greet and name each reader that way.
    QStringList greetings;
    for (const ReminderLetter& l : Reminders::letters(loans, Clock::today()))
        greetings << l.greeting + QLatin1Char('|') + l.reader;
    QCOMPARE(greetings, (QStringList{"Gentile Luca NERI,|Luca NERI", "Gentile Maria Bianchi,|Maria Bianchi"}));
}

// clang-format off
void LoansCoreTest::readerNamesACardCannotHold_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("padTo");    // characters of 'a' added up to this length; 0: none
    QTest::addColumn<QString>("reason"); // a part of it; empty: accepted
    const int room = TSchedaLibro.find("Prestato")->capacity;
    QTest::newRow("a plain name") << "Bianchi Anna" << 0 << "";
    QTest::newRow("accents of the code page") << "Nicolò Dell'Età" << 0 << "";
    QTest::newRow("as long as the field") << "" << room << "";
    QTest::newRow("one more than the field") << "" << room + 1 << QString("lungo %1 caratteri, la scheda ne conserva al più %2").arg(room + 1).arg(room);
    QTest::newRow("ten thousand characters") << "" << 10000 << "lungo 10000 caratteri";
    QTest::newRow("a bell") << "Bruni\x07" << 0 << "carattere di controllo (U+0007)";
    QTest::newRow("a tab") << "Bruni\tAnna" << 0 << "carattere di controllo (U+0009)";
    QTest::newRow("an escape sequence") << "\x1b[2JBruni" << 0 << "carattere di controllo (U+001B)";
    QTest::newRow("a line separator") << "Bruni\u2028Anna" << 0 << "carattere di controllo (U+2028)";
    QTest::newRow("outside the code page") << "Li \u674e" << 0 << "caratteri che la scheda non può conservare";
    QTest::newRow("blanks only") << "   " << 0 << "manca il nome del lettore";
}
// clang-format on

void LoansCoreTest::readerNamesACardCannotHold()
{
    QFETCH(QString, name);
    QFETCH(int, padTo);
    QFETCH(QString, reason);
    if (padTo > 0)
        name = name.leftJustified(padTo, QLatin1Char('a'));
    const QString why = LendingDesk::readerRefusal(name, &Books::collection());
    QVERIFY2(reason.isEmpty() ? why.isEmpty() : why.contains(reason), qPrintable(why));
    // Any collection: the shortest field of those that lend.
    QCOMPARE(LendingDesk::readerRefusal(name).isEmpty(), reason.isEmpty());

    // A lend is refused the same way and writes nothing.
    TestFolder folder;
    writeArchives(folder);
    const QByteArray before = folder.read(QStringLiteral("Libri.pro"));
    LendingDesk desk;
    std::vector<DeskCard> cards;
    QVERIFY(desk.find(QStringLiteral("C3"), cards));
    QCOMPARE(cards.size(), std::size_t(2)); // the free book first, then a DVD on loan
    const bool lent = desk.lend(cards.front(), name, Clock::today(), 14);
    QCOMPARE(lent, reason.isEmpty());
    if (!lent) {
        QVERIFY(desk.refused());
        QCOMPARE(desk.errorString(), why);
        QCOMPARE(folder.read(QStringLiteral("Libri.pro")), before);
    }
}

void LoansCoreTest::loanPeriodIsBounded()
{
    TestFolder folder;
    for (int days : {0, -3, 366, 700})
        QVERIFY2(!DeskSettings::loanDaysRefusal(days).isEmpty(), qPrintable(QString::number(days)));
    for (int days : {1, 7, 365})
        QVERIFY(DeskSettings::loanDaysRefusal(days).isEmpty());
    QVERIFY(DeskSettings::setLoanDays(21));
    QCOMPARE(DeskSettings::loanDays(), 21);
    // A refused period leaves the stored one; one stored out of bounds by
    // hand reads as the default.
    QVERIFY(!DeskSettings::setLoanDays(700));
    QCOMPARE(DeskSettings::loanDays(), 21);
    folder.write(QStringLiteral("Tomaria.ini"), "[Prestiti]\r\nDurata=700\r\n");
    QCOMPARE(DeskSettings::loanDays(), DeskSettings::kDefaultLoanDays);
}

void LoansCoreTest::cardLineOfTheDeskAndTheCommandLine()
{
    TestFolder folder;
    writeArchives(folder);
    LendingDesk desk;
    std::vector<DeskCard> cards;
    QVERIFY(desk.find(QStringLiteral("c2"), cards));
    QStringList lines;
    for (const DeskCard& c : cards)
        lines << c.line();
    QCOMPARE(lines, (QStringList{"Libro cod. C2 \"Lent 31 days ago\" (posizione 2)", "DVD cod. C2 \"Due today\" (posizione 2)"}));
}

void LoansCoreTest::codeChangedByAnotherProgramIsSeen()
{
    TestFolder folder;
    writeArchives(folder);
    const QString path = folder.file(QStringLiteral("Libri.pro"));
    // The archive's time set to one moment before and after each change of
    // another program: size and modification time never tell.
    const QDateTime moment(QDate(2025, 1, 1), QTime(9, 0));
    const auto setBack = [&] {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(moment, QFileDevice::FileModificationTime));
    };
    const auto recode = [&](qint64 index, const QString& code) {
        RecordStore other;
        QVERIFY(other.open(path, TSchedaLibro.size));
        QByteArray bytes;
        QVERIFY(other.seek(index) && other.read(bytes));
        Record r(TSchedaLibro);
        r.bytes() = bytes;
        r.setText("Codice", code);
        QVERIFY(other.seek(index) && other.write(r.bytes()));
    };
    const auto positions = [](LendingDesk& desk, const QString& code) {
        std::vector<DeskCard> cards;
        QStringList out;
        if (!desk.find(code, cards))
            return QStringList{QStringLiteral("failed: ") + desk.errorString()};
        for (const DeskCard& c : cards)
            out << c.kindName() + QLatin1Char(' ') + c.position();
        return out;
    };
    setBack();
    LendingDesk desk;
    QCOMPARE(positions(desk, QStringLiteral("C3")), (QStringList{"Libro 3", "DVD 3"}));

    // Between two scans another program gives card 3 a new code.
    recode(2, QStringLiteral("N3"));
    setBack();
    QCOMPARE(QFileInfo(path).size(), folder.read(QStringLiteral("Libri.pro")).size());
    QCOMPARE(positions(desk, QStringLiteral("N3")), QStringList{"Libro 3"});
    QCOMPARE(positions(desk, QStringLiteral("C3")), QStringList{"DVD 3"});

    // The desk's own write keeps its index; a change of another program
    // after it is seen all the same.
    std::vector<DeskCard> cards;
    QVERIFY(desk.find(QStringLiteral("N3"), cards) && cards.size() == 1);
    QVERIFY(desk.lend(cards.front(), QStringLiteral("Rosa"), Clock::today(), 14));
    QCOMPARE(positions(desk, QStringLiteral("N3")), QStringList{"Libro 3"});
    recode(0, QStringLiteral("N1"));
    setBack();
    QCOMPARE(positions(desk, QStringLiteral("N1")), QStringList{"Libro 1"});
    QCOMPARE(positions(desk, QStringLiteral("C1")), QStringList{"DVD 1"});
}

void LoansCoreTest::codesReadThroughTheCompactCopy()
{
    TestFolder folder;
    writeArchives(folder);
    const QString path = folder.file(QStringLiteral("Libri.pro"));
    // The searches' compact copy of the archive, made as a search makes it.
    SearchIndex::setSettle(std::chrono::nanoseconds(0));
    QStringList lines;
    for (int tries = 0; tries < 100 && !QFile::exists(SearchIndex::pathFor(path)); ++tries) {
        Search(Books::search()).run(path, lines);
        QThread::msleep(10);
    }
    SearchIndex::setSettle(std::chrono::seconds(2));
    QVERIFY(QFile::exists(SearchIndex::pathFor(path)));

    // A key the copy finds inside longer codes too ("C" in every "Cn"): only
    // the card whose code it is.
    CodeIndex codes(Books::collection());
    QList<qint64> positions;
    QVERIFY(codes.lookup(DeskCard::key(QStringLiteral(" c2 ")), positions));
    QVERIFY(codes.fromCopy());
    QCOMPARE(positions, QList<qint64>{1});
    QVERIFY(codes.lookup(DeskCard::key(QStringLiteral("C")), positions));
    QCOMPARE(positions, QList<qint64>{});

    // The desk's write: the index made from the copy first, kept after it;
    // another program's change after that is seen all the same.
    LendingDesk desk;
    std::vector<DeskCard> cards;
    QVERIFY(desk.find(QStringLiteral("C3"), cards));
    QCOMPARE(cards.size(), std::size_t(2));
    QVERIFY(desk.lend(cards.front(), QStringLiteral("Rosa"), Clock::today(), 14));
    RecordStore other;
    QVERIFY(other.open(path, TSchedaLibro.size));
    QByteArray bytes;
    QVERIFY(other.seek(2) && other.read(bytes));
    Record r(TSchedaLibro);
    r.bytes() = bytes;
    r.setText("Codice", QStringLiteral("N3"));
    QVERIFY(other.seek(2) && other.write(r.bytes()));
    other.close();
    QVERIFY(desk.find(QStringLiteral("N3"), cards));
    QCOMPARE(cards.size(), std::size_t(1));
    QCOMPARE(cards.front().borrower, QStringLiteral("Rosa"));
}

QTEST_GUILESS_MAIN(LoansCoreTest)
#include "test_loans_core.moc"
