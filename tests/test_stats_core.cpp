// The statistics' counts of small hand-written archives, without a screen:
// every piece counted once as the loans list counts it, archives without
// cards, a collection without sections.
#include "StatsFixtures.h"

#include "core/collections/Books.h"
#include "core/collections/Collection.h"
#include "core/loans/LoanList.h"
#include "core/stats/CollectionStats.h"
#include "core/storage/ProgramFolder.h"
#include "core/text/Clock.h"

#include <QFileInfo>
#include <QTest>

#include <memory>

using namespace StatsFixtures;

class StatsCoreTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void loansAsTheLoansList();
    void archivesWithoutCards_data();
    void archivesWithoutCards();
    void collectionWithoutTable();

private:
    std::unique_ptr<TestFolder> m_folder;
};

void StatsCoreTest::init()
{
    m_folder = std::make_unique<TestFolder>();
    ProgramFolder::setPath(m_folder->path());
    Clock::setFixed(QDateTime(kToday, QTime(12, 0)));
}

void StatsCoreTest::cleanup()
{
    ProgramFolder::setPath({});
    Clock::setFixed({});
    m_folder.reset();
}

void StatsCoreTest::loansAsTheLoansList()
{
    // Enough cards for several threads, so that every piece is counted once.
    const Collection& c = Books::collection();
    Cards cards;
    for (int i = 0; i < 4000; ++i) {
        Card card = book({{"Titolo", "t"}, {"Codice", QByteArray::number(i)}});
        if (i % 3 == 0)
            card.fields.emplaceBack("Prestato", "Rossi");
        if (i % 5 == 0)
            card.fields.emplaceBack("Scadenza", QDate(2026, 1, 1).addDays(i % 200).toString(QStringLiteral("dd/MM/yyyy")).toLatin1());
        if (i % 7 == 0)
            card.fields.emplaceBack("Annullata", "S\xEC");
        if (i % 11 == 0)
            card.fields.emplaceBack("Scadenza", "presto");
        cards << card;
    }
    writeCards(*m_folder, c, cards);
    for (int days : {1, 30, 120}) {
        CollectionStats stats(c, kToday, days);
        QVERIFY(stats.load());
        LoanList loans;
        QVERIFY(loans.add(c, m_folder->file(QStringLiteral("Libri.pro"))));
        loans.arrange(kToday, days);
        const StatsResult totals = stats.results().front();
        QCOMPARE(totals.bars.at(0).count, qint64(4000));
        QCOMPARE(totals.bars.at(2).key, QStringLiteral("in prestito"));
        QCOMPARE(totals.bars.at(2).count, qint64(loans.loans().size()));
        QCOMPARE(totals.bars.at(3).count, qint64(loans.markedCount()));
        QVERIFY(loans.markedCount() > 0);
    }
}

// clang-format off
void StatsCoreTest::archivesWithoutCards_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: no archive at all
    QTest::addColumn<bool>("present");
    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("partial record") << QByteArray(3000, 'x') << true;
}
// clang-format on

void StatsCoreTest::archivesWithoutCards()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, present);
    for (const Collection* c : Collection::all()) {
        const QString name = c->yearly() ? QStringLiteral("2024.art") : c->archiveName();
        if (present)
            m_folder->write(name, bytes);
        CollectionStats stats(*c, kToday, kDays);
        QVERIFY(stats.load());
        QCOMPARE(QFileInfo::exists(m_folder->file(name)), present);
        qint64 sum = 0;
        for (const StatsResult& r : stats.results()) {
            for (const StatsBar& b : r.bars)
                sum += b.count;
        }
        QCOMPARE(sum, 0);
        QCOMPARE(stats.lines().value(1), QStringLiteral("totale\tschede\t0"));
    }
}

void StatsCoreTest::collectionWithoutTable()
{
    // A collection nobody has written sections for still shows its totals.
    const Collection& books = Books::collection();
    Collection other = books;
    other.key = "prova";
    other.callerTag = "prova";
    other.archiveFile = "Prova.pro";
    other.available = nullptr;
    other.loans = nullptr;
    other.stats = {};
    writeCards(
        *m_folder, other, {{QStringLiteral("Prova.pro"), {{"Prestato", "Rossi"}}}, {QStringLiteral("Prova.pro"), {{"Annullata", ""}}}});
    CollectionStats stats(other, kToday, kDays);
    QVERIFY(stats.load());
    QCOMPARE(stats.lines(),
        (QStringList{
            QStringLiteral("sezione\tvoce\tschede"), QStringLiteral("totale\tschede\t2"), QStringLiteral("totale\tannullate\t1")}));
}

QTEST_GUILESS_MAIN(StatsCoreTest)
#include "test_stats_core.moc"
