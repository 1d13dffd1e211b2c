// The loans list on the core alone: its order across the collections, its
// marks and how it reads a loan date.
#include "CoreSupport.h"
#include "LoanFixtures.h"

#include "core/loans/LoanList.h"
#include "core/text/Clock.h"

#include <QTest>

using namespace LoanFixtures;

class LoansCoreTest : public QObject {
    Q_OBJECT
private slots:
    void init() { Clock::setFixed(kToday); }
    void cleanup() { Clock::setFixed({}); }
    void orderAndMarks();
    void readDate_data();
    void readDate();
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

QTEST_GUILESS_MAIN(LoansCoreTest)
#include "test_loans_core.moc"
