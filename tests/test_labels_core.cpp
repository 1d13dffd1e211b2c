// The labels without a screen or a page: which cards a choice selects, the
// ISBN check of the code hints, and one rule for a cancelled card shared
// with the searches, the statistics and the loans.
#include "CoreSupport.h"
#include "LabelFixtures.h"

#include "core/collections/Books.h"
#include "core/collections/CodeHints.h"
#include "core/collections/Collection.h"
#include "core/labels/LabelCards.h"
#include "core/loans/LoanList.h"
#include "core/search/Search.h"
#include "core/stats/CollectionStats.h"
#include "core/storage/Record.h"
#include "core/storage/RecordStore.h"

#include <QTest>

using namespace LabelFixtures;

class LabelsCoreTest : public QObject {
    Q_OBJECT
private slots:
    void selections_data();
    void selections();
    void isbnCheck_data();
    void isbnCheck();
    void cancelledByOneRule_data();
    void cancelledByOneRule();
};

// clang-format off
void LabelsCoreTest::selections_data()
{
    QTest::addColumn<int>("range");
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<bool>("withCancelled");
    QTest::addColumn<QList<qint64>>("positions");
    using R = LabelChoice::Range;
    QTest::newRow("all, cancelled left out") << int(R::All) << "" << "" << false << QList<qint64>{1, 2, 4, 5, 6, 7};
    QTest::newRow("all with cancelled") << int(R::All) << "" << "" << true << QList<qint64>{1, 2, 3, 4, 5, 6, 7};
    QTest::newRow("positions") << int(R::Positions) << "2" << "4" << false << QList<qint64>{2, 4};
    QTest::newRow("codes as text, case ignored") << int(R::Codes) << "b1" << "B2" << false << QList<qint64>{2, 5, 7};
    QTest::newRow("codes from one end") << int(R::Codes) << "B2" << "" << false << QList<qint64>{4, 6, 7};
    QTest::newRow("whole shelf, case ignored") << int(R::Shelf) << "sala a" << "" << false << QList<qint64>{1, 6};
    QTest::newRow("since a position") << int(R::Since) << "5" << "" << false << QList<qint64>{5, 6, 7};
    QTest::newRow("since, with cancelled") << int(R::Since) << "3" << "" << true << QList<qint64>{3, 4, 5, 6, 7};
}
// clang-format on

void LabelsCoreTest::selections()
{
    QFETCH(int, range);
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(bool, withCancelled);
    QFETCH(QList<qint64>, positions);
    TestFolder folder;
    QByteArray archive;
    // "B10" sorts between "B1" and "B2" as text.
    // clang-format off
    const QList<Book> books{
        {QStringLiteral("A9"), QStringLiteral("Sala A")},
        {QStringLiteral("B1"), QStringLiteral("Sala B")},
        {QStringLiteral("B15"), QStringLiteral("Sala A"), true},
        {QStringLiteral("C1"), QStringLiteral("Sala A2")},
        {QStringLiteral(" b10 "), QStringLiteral("Sala B")},
        {QStringLiteral("b3"), QStringLiteral(" SALA A")},
        {QStringLiteral("B2"), QStringLiteral("Sala C")},
    };
    // clang-format on
    for (const Book& b : books)
        archive += bookRecord(b);
    folder.write("Libri.pro", archive);
    LabelChoice choice;
    choice.range = LabelChoice::Range(range);
    choice.withCancelled = withCancelled;
    choice.fromPosition = from.toLongLong();
    choice.toPosition = to.toLongLong();
    choice.sincePosition = from.toLongLong();
    choice.fromCode = from;
    choice.toCode = to;
    choice.shelf = from;
    QList<LabelCard> cards;
    QVERIFY(LabelCards::select(Books::collection(), folder.file("Libri.pro"), choice, cards));
    QList<qint64> got;
    for (const LabelCard& c : cards)
        got << c.position;
    QCOMPARE(got, positions);
    QCOMPARE(folder.read("Libri.pro"), archive);

    // A missing archive is not created.
    TestFolder empty;
    QVERIFY(!LabelCards::select(Books::collection(), empty.file("Libri.pro"), choice, cards));
    QVERIFY(!QFile::exists(empty.file("Libri.pro")));
}

// clang-format off
void LabelsCoreTest::isbnCheck_data()
{
    QTest::addColumn<QString>("isbn");
    QTest::addColumn<int>("state");
    using I = CodeHints::Isbn;
    QTest::newRow("ISBN-10") << "0306406152" << int(I::Valid);
    QTest::newRow("ISBN-10 hyphens") << "0-306-40615-2" << int(I::Valid);
    QTest::newRow("ISBN-10 blanks") << " 88 04 66823 7 " << int(I::Valid);
    QTest::newRow("ISBN-10 X") << "0-8044-2957-X" << int(I::Valid);
    QTest::newRow("ISBN-10 lowercase x") << "0-8044-2957-x" << int(I::Valid);
    QTest::newRow("ISBN-10 wrong digit") << "0-306-40615-3" << int(I::WrongCheckDigit);
    QTest::newRow("ISBN-10 wrong where X belongs") << "0-8044-2957-5" << int(I::WrongCheckDigit);
    QTest::newRow("ISBN-13") << "9780306406157" << int(I::Valid);
    QTest::newRow("ISBN-13 hyphens") << "978-88-04-66823-7" << int(I::Valid);
    QTest::newRow("ISBN-13 blanks") << "978 88 07 01827 5" << int(I::Valid);
    QTest::newRow("ISBN-13 wrong digit") << "978-0-306-40615-8" << int(I::WrongCheckDigit);
    QTest::newRow("ISBN-13 two digits swapped") << "978-0-306-46015-7" << int(I::WrongCheckDigit);
    QTest::newRow("X inside an ISBN-10") << "0-80X4-2957-1" << int(I::NotIsbn);
    QTest::newRow("X in an ISBN-13") << "978030640615X" << int(I::NotIsbn);
    QTest::newRow("twelve digits") << "978030640615" << int(I::WrongLength);
    QTest::newRow("fourteen digits") << "978-88-1234-56789" << int(I::WrongLength);
    QTest::newRow("nine digits") << "0-306-4061-5" << int(I::WrongLength);
    QTest::newRow("text") << "in preparazione" << int(I::NotIsbn);
    QTest::newRow("empty") << "" << int(I::NotIsbn);
}
// clang-format on

void LabelsCoreTest::isbnCheck()
{
    QFETCH(QString, isbn);
    QFETCH(int, state);
    QCOMPARE(int(CodeHints::checkIsbn(isbn)), state);
    QCOMPARE(CodeHints::isbnHint(isbn).isEmpty(), state == int(CodeHints::Isbn::Valid) || state == int(CodeHints::Isbn::NotIsbn));
    if (state == int(CodeHints::Isbn::WrongLength))
        QVERIFY2(
            CodeHints::isbnHint(isbn).contains(QStringLiteral("non sembra un codice ISBN: ha %1 cifre").arg(CodeHints::isbnDigits(isbn))),
            qPrintable(CodeHints::isbnHint(isbn)));
}

// clang-format off
void LabelsCoreTest::cancelledByOneRule_data()
{
    // The flag as an older or hand-edited archive may hold it; only "No"
    // (blanks around it aside) is a card in use, as the searches decide.
    QTest::addColumn<QString>("flag");
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("No") << "No" << false;
    QTest::newRow("No with blanks") << " No" << false;
    QTest::newRow("Sì") << QStringLiteral("Sì") << true;
    QTest::newRow("empty") << "" << true;
    QTest::newRow("si") << "si" << true;
    QTest::newRow("SI") << "SI" << true;
    QTest::newRow("no, lower case") << "no" << true;
    QTest::newRow("X") << "X" << true;
}
// clang-format on

void LabelsCoreTest::cancelledByOneRule()
{
    QFETCH(QString, flag);
    QFETCH(bool, cancelled);
    TestFolder folder;
    Record odd(TSchedaLibro);
    odd.bytes() = bookRecord({QStringLiteral("ODD-1")});
    odd.setText("Annullata", flag);
    odd.setText("Prestato", QStringLiteral("Anna"));
    odd.setText("Scadenza", QStringLiteral("01/02/2020"));
    folder.write("Libri.pro", odd.bytes() + bookRecord({QStringLiteral("LIB-00002")}));
    const int inUse = cancelled ? 1 : 2;

    QStringList lines;
    QVERIFY(Search(*Books::collection().search).run(folder.file("Libri.pro"), lines, RecordStore::Mode::ReadExisting));
    QCOMPARE(int(lines.size()), inUse);

    QList<LabelCard> cards;
    QVERIFY(LabelCards::select(Books::collection(), folder.file("Libri.pro"), {}, cards));
    QCOMPARE(int(cards.size()), inUse);
    LabelChoice all;
    all.withCancelled = true;
    QVERIFY(LabelCards::select(Books::collection(), folder.file("Libri.pro"), all, cards));
    QCOMPARE(cards.size(), 2);

    CollectionStats stats(Books::collection(), QDate(2024, 1, 1), 30);
    QVERIFY(stats.add(folder.file("Libri.pro"), QStringLiteral("Libri.pro")));
    QVERIFY2(stats.lines().contains(QStringLiteral("totale\tannullate\t%1").arg(cancelled ? 1 : 0)),
        qPrintable(stats.lines().join(QLatin1Char('\n'))));

    LoanList loans;
    QVERIFY(loans.add(Books::collection(), folder.file("Libri.pro")));
    QCOMPARE(int(loans.loans().size()), cancelled ? 0 : 1);
}

QTEST_GUILESS_MAIN(LabelsCoreTest)
#include "test_labels_core.moc"
