// The statistics on the command line, the screen's charts and the printed
// pages; the counts themselves are tested without a screen in
// test_stats_core.
#include "StatsFixtures.h"
#include "TestSupport.h"

#include "core/collections/Articles.h"
#include "core/collections/Books.h"
#include "core/collections/Dvds.h"
#include "cli/CommandLine.h"
#include "core/collections/Collection.h"
#include "core/loans/LoanList.h"
#include "core/loans/LoanSettings.h"
#include "core/stats/CollectionStats.h"
#include "core/storage/Cp1252.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/Record.h"
#include "core/text/Text.h"
#include "core/text/Clock.h"
#include "ui/stats/StatsReport.h"
#include "ui/stats/TfrmStatistiche.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QFile>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTextStream>

using namespace StatsFixtures;

namespace {

int cli(const TestFolder& folder, const QStringList& args, QString& out, QString& err)
{
    out.clear();
    err.clear();
    QTextStream o(&out), e(&err);
    const int code = CommandLine::run(QStringList{QStringLiteral("--folder"), folder.path()} + args, o, e);
    o.flush();
    e.flush();
    return code;
}

QString squeezed(QString text)
{
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    return text.replace(blanks, QStringLiteral(" ")).trimmed();
}

QStringList deweyLines(const QList<int>& counts, int none)
{
    QStringList out;
    for (int i = 0; i < 10; ++i)
        out << QStringLiteral("classe Dewey\t%1\t%2").arg(i * 100, 3, 10, QLatin1Char('0')).arg(counts.value(i));
    out << QStringLiteral("classe Dewey\tsenza classe\t%1").arg(none);
    return out;
}

} // namespace

class StatsTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void counts_data();
    void counts();
    void unreadableArchive();
    void commandLineArguments_data();
    void commandLineArguments();
    void screenShowsTheCommandLinesNumbers();
    void printedPagesHoldEachTable();

private:
    std::unique_ptr<TestFolder> m_folder;
};

void StatsTest::init()
{
    m_folder = std::make_unique<TestFolder>();
    ProgramFolder::setPath(m_folder->path());
    Clock::setFixed(QDateTime(kToday, QTime(12, 0)));
}

void StatsTest::cleanup()
{
    ProgramFolder::setPath({});
    Clock::setFixed({});
    m_folder.reset();
}

void StatsTest::counts_data()
{
    QTest::addColumn<QString>("collection");
    QTest::addColumn<Cards>("cards");
    QTest::addColumn<QStringList>("lines");

    // Books: blank and odd Dewey codes, years that are not four digits,
    // genres and languages in several cases, blanks around values, loans
    // late, recent, lent exactly the days allowed and without a date, and
    // a cancelled card on loan.
    // clang-format off
    const Cards books{
        book({{"Dewey", ""}, {"Genere", "Giallo"}, {"Anno", "1998?"}, {"Lingua", "Italiano"}}),
        book({{"Dewey", "9"}, {"Genere", "giallo"}, {"Anno", "s.d."}, {"Lingua", "italiano"}}),
        book({{"Dewey", "08"}, {"Genere", "GIALLO"}, {"Anno", "2001-2003"}}),
        book({{"Dewey", "999"}, {"Genere", "Romanzo"}, {"Anno", "1998"}, {"Lingua", "Inglese"}, {"Prestato", "Rossi"},
            {"Scadenza", "01/01/2020"}}),
        book({{"Dewey", "abc"}, {"Genere", "   "}, {"Anno", ""}, {"Lingua", "Italiano"}}),
        book({{"Dewey", " 1 "}, {"Genere", " Giallo "}, {"Anno", " 2005 "}, {"Scadenza", "05/06/2026"}}),
        book({{"Dewey", "305"}, {"Genere", "Romanzo"}, {"Anno", "1990"}, {"Lingua", "Tedesco"}, {"Annullata", "S\xEC"},
            {"Prestato", "Bianchi"}}),
        book({{"Dewey", "000"}, {"Genere", "giallo"}, {"Anno", "1999"}, {"Lingua", "Italiano"}, {"Prestato", "Verdi"}}),
        book({{"Dewey", "100"}, {"Genere", "Romanzo"}, {"Anno", "0999"}, {"Lingua", "Inglese"}, {"Prestato", "Neri"},
            {"Scadenza", "10/05/2026"}}),
        book({{"Dewey", "200"}, {"Genere", "Romanzo"}, {"Anno", "2010"}, {"Lingua", "Inglese"}, {"Prestato", "Gialli"},
            {"Scadenza", "11/05/2026"}}),
    };
    // clang-format on
    QTest::newRow("books") << "books" << books
                           << (QStringList{QStringLiteral("sezione\tvoce\tschede"), QStringLiteral("totale\tschede\t10"),
                                   QStringLiteral("totale\tannullate\t1"), QStringLiteral("totale\tin prestito\t5"),
                                   QStringLiteral("totale\tscadute\t2")}
                                  + deweyLines({1, 1, 1, 0, 0, 0, 0, 0, 0, 1}, 5)
                                  + QStringList{QStringLiteral("genere\tGiallo\t5"), QStringLiteral("genere\tRomanzo\t3"),
                                      QStringLiteral("genere\tsenza genere\t1"), QStringLiteral("decennio\t0990-0999\t1"),
                                      QStringLiteral("decennio\t1990-1999\t2"), QStringLiteral("decennio\t2000-2009\t1"),
                                      QStringLiteral("decennio\t2010-2019\t1"), QStringLiteral("decennio\tanno non leggibile\t4"),
                                      QStringLiteral("lingua\tItaliano\t4"), QStringLiteral("lingua\tInglese\t3"),
                                      QStringLiteral("lingua\tsenza lingua\t2")});

    // DVDs: fourteen genres, so the last two go together under "altri";
    // a genre written "b" twice and "B" once is one bar shown as "b"; the
    // due date is what makes a DVD late.
    Cards dvds{
        dvd({{"Genere", "A"}, {"Anno", "1985"}, {"Lingua", "Francese"}, {"Prestato", "Rossi"}, {"Scadenza", "09/06/2026"}}),
        dvd({{"Genere", "A"}, {"Anno", "1989"}, {"Lingua", "francese"}, {"Prestato", "Verdi"}, {"Scadenza", "10/06/2026"}}),
        dvd({{"Genere", "A"}, {"Anno", "198"}}),
        dvd({{"Genere", "B"}, {"Anno", "2010"}}),
        dvd({{"Genere", "b"}}),
        dvd({{"Genere", "b"}}),
        dvd({{"Genere", "altri"}, {"Annullata", ""}}),
    };
    for (int i = 1; i <= 12; ++i)
        dvds << dvd({{"Genere", QStringLiteral("G%1").arg(i, 2, 10, QLatin1Char('0')).toLatin1()}});
    QTest::newRow("dvd") << "dvd" << dvds
                         << QStringList{QStringLiteral("sezione\tvoce\tschede"), QStringLiteral("totale\tschede\t19"),
                                QStringLiteral("totale\tannullate\t1"), QStringLiteral("totale\tin prestito\t2"),
                                QStringLiteral("totale\tscadute\t1"), QStringLiteral("genere\tA\t3"), QStringLiteral("genere\tb\t3"),
                                QStringLiteral("genere\tG01\t1"), QStringLiteral("genere\tG02\t1"), QStringLiteral("genere\tG03\t1"),
                                QStringLiteral("genere\tG04\t1"), QStringLiteral("genere\tG05\t1"), QStringLiteral("genere\tG06\t1"),
                                QStringLiteral("genere\tG07\t1"), QStringLiteral("genere\tG08\t1"), QStringLiteral("genere\tG09\t1"),
                                QStringLiteral("genere\tG10\t1"), QStringLiteral("genere\taltri\t2"),
                                QStringLiteral("decennio\t1980-1989\t2"), QStringLiteral("decennio\t2010-2019\t1"),
                                QStringLiteral("decennio\tanno non leggibile\t15"), QStringLiteral("lingua\tFrancese\t2"),
                                QStringLiteral("lingua\tsenza lingua\t16")};

    // Articles: every yearly archive of the folder by year (other files
    // left out), newspapers folded, blanks in a zero-terminated slot.
    // clang-format off
    const Cards articles{
        {QStringLiteral("2024.art"), {{"Titolo", "a"}, {"Testata", "Corriere"}}},
        {QStringLiteral("2024.art"), {{"Titolo", "b"}, {"Testata", "corriere "}}},
        {QStringLiteral("2024.art"), {{"Titolo", "c"}, {"Testata", "  "}}},
        {QStringLiteral("2023.art"), {{"Titolo", "d"}, {"Testata", "Il Giorno"}}},
        {QStringLiteral("2023.art"), {{"Titolo", "e"}, {"Testata", "CORRIERE"}}},
        {QStringLiteral("2023.art.bak"), {{"Titolo", "f"}, {"Testata", "Altro"}}},
        {QStringLiteral("abcd.art"), {{"Titolo", "g"}, {"Testata", "Altro"}}},
    };
    // clang-format on
    QTest::newRow("articles") << "articles" << articles
                              << QStringList{QStringLiteral("sezione\tvoce\tschede"), QStringLiteral("totale\tschede\t5"),
                                     QStringLiteral("archivio\t2023\t2"), QStringLiteral("archivio\t2024\t3"),
                                     QStringLiteral("testata\tCORRIERE\t3"), QStringLiteral("testata\tIl Giorno\t1"),
                                     QStringLiteral("testata\tsenza testata\t1")};
}

void StatsTest::counts()
{
    QFETCH(QString, collection);
    QFETCH(Cards, cards);
    QFETCH(QStringList, lines);
    const Collection& c = *Collection::find(collection.toStdString());
    writeCards(*m_folder, c, cards);

    // One thread or several (each card a piece of its own): the same counts.
    for (int threads : {1, 3}) {
        CollectionStats stats(c, kToday, kDays);
        stats.setThreads(threads);
        QVERIFY(stats.load());
        QCOMPARE(stats.lines(), lines);
    }

    // The command line prints the same lines, whatever the threads.
    QString out, err;
    QCOMPARE(cli(*m_folder, {QStringLiteral("stats"), collection, QStringLiteral("--days"), QString::number(kDays)}, out, err), 0);
    QCOMPARE(err, QString());
    QCOMPARE(out, lines.join(QLatin1Char('\n')) + QLatin1Char('\n'));
}

void StatsTest::unreadableArchive()
{
    // A folder where the archive should be: the read error, never zeros.
    QVERIFY(QDir(m_folder->path()).mkdir(QStringLiteral("Libri.pro")));
    CollectionStats stats(Books::collection(), kToday, kDays);
    QVERIFY(!stats.load());
    QCOMPARE(stats.failedArchive(), m_folder->file(QStringLiteral("Libri.pro")));
    QString out, err;
    QCOMPARE(cli(*m_folder, {QStringLiteral("stats"), QStringLiteral("books")}, out, err), 2);
    QCOMPARE(out, QString());
    QVERIFY2(err.contains(QLatin1String("impossibile leggere")), qPrintable(err));

    // A FIFO named like a yearly archive gives the error at once.
    const FifoWatch fifo(m_folder->file(QStringLiteral("2025.art")));
    QVERIFY(fifo.created());
    QCOMPARE(cli(*m_folder, {QStringLiteral("stats"), QStringLiteral("articles")}, out, err), 2);
    QVERIFY(!fifo.hung());
}

// clang-format off
void StatsTest::commandLineArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("no collection") << QStringList{QStringLiteral("stats")};
    QTest::newRow("unknown collection") << QStringList{QStringLiteral("stats"), QStringLiteral("riviste")};
    QTest::newRow("year") << QStringList{QStringLiteral("stats"), QStringLiteral("articles"), QStringLiteral("--year"), QStringLiteral("2024")};
    QTest::newRow("filter") << QStringList{QStringLiteral("stats"), QStringLiteral("books"), QStringLiteral("--titolo"), QStringLiteral("x")};
    QTest::newRow("extra") << QStringList{QStringLiteral("stats"), QStringLiteral("books"), QStringLiteral("dvd")};
    QTest::newRow("bad days") << QStringList{QStringLiteral("stats"), QStringLiteral("books"), QStringLiteral("--days"), QStringLiteral("0")};
}
// clang-format on

void StatsTest::commandLineArguments()
{
    QFETCH(QStringList, args);
    QString out, err;
    QCOMPARE(cli(*m_folder, args, out, err), 2);
    QCOMPARE(out, QString());
    QVERIFY(err.startsWith(QLatin1String("tomaria-cli: ")));
}

void StatsTest::screenShowsTheCommandLinesNumbers()
{
    const MessageLog log;
    const Collection& books = Books::collection();
    Cards cards;
    const QByteArray genres[] = {"Giallo", "giallo", "Saggio", "Fantasy", ""};
    for (int i = 0; i < 60; ++i) {
        cards << book({{"Dewey", QByteArray::number(100 + (i * 37) % 900)}, {"Genere", genres[i % 5]},
            {"Anno", QByteArray::number(1900 + (i * 13) % 120)}, {"Lingua", i % 4 ? "Italiano" : "Inglese"},
            {"Prestato", i % 6 ? "" : "Rossi"}, {"Annullata", i % 9 ? "No" : "S\xEC"}});
    }
    writeCards(*m_folder, books, cards);
    writeCards(*m_folder, Dvds::collection(), {dvd({{"Genere", "Drammatico"}, {"Anno", "1977"}})});
    writeCards(*m_folder, Articles::collection(), {{QStringLiteral("2022.art"), {{"Testata", "La Stampa"}}}});

    onNextModal<TfrmStatistiche>([&](TfrmStatistiche* screen) {
        QVERIFY(log.entries.isEmpty());
        // What counts as overdue, as the loans list marks it.
        QVERIFY2(screen->findChild<QLabel*>(QStringLiteral("lblLettura"))
                     ->text()
                     .endsWith(QStringLiteral(
                         ". Oltre al totale delle schede, i grafici contano quelle non annullate; scadute: libri prestati da più di %1 "
                         "giorni, DVD oltre la data di restituzione.")
                                   .arg(LoanSettings::days())),
            qPrintable(screen->findChild<QLabel*>(QStringLiteral("lblLettura"))->text()));
        for (int tab = 0; tab < static_cast<int>(Collection::all().size()); ++tab) {
            const Collection& c = *Collection::all()[static_cast<std::size_t>(tab)];
            QString out, err;
            QCOMPARE(cli(*m_folder, {QStringLiteral("stats"), Text::latin1(c.key)}, out, err), 0);
            QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            lines.removeFirst();
            // Each chart, top to bottom, against the lines of its section in order.
            const std::vector<QChartView*> charts = screen->charts(tab);
            QCOMPARE(charts.size(), screen->stats()[static_cast<std::size_t>(tab)]->results().size());
            for (QChartView* view : charts) {
                auto* series = qobject_cast<QHorizontalBarSeries*>(view->chart()->series().value(0));
                QVERIFY(series);
                QBarSet* set = series->barSets().value(0);
                auto* axis = qobject_cast<QBarCategoryAxis*>(view->chart()->axes(Qt::Vertical).value(0));
                QVERIFY(set && axis);
                const QStringList names = axis->categories();
                QCOMPARE(names.size(), set->count());
                // The series goes from the bottom bar up.
                for (int i = set->count() - 1; i >= 0; --i) {
                    QVERIFY2(!lines.isEmpty(), qPrintable(view->objectName()));
                    const QStringList cells = lines.takeFirst().split(QLatin1Char('\t'));
                    QVERIFY2(names.at(i).startsWith(cells.at(1)), qPrintable(names.at(i) + QLatin1String(" / ") + cells.at(1)));
                    QCOMPARE(qint64(set->at(i)), cells.at(2).toLongLong());
                }
            }
            QVERIFY2(lines.isEmpty(), qPrintable(lines.join(QLatin1Char('|'))));
        }
        // The Dewey classes by the table's own names.
        const auto names = qobject_cast<QBarCategoryAxis*>(screen->charts(0).at(1)->chart()->axes(Qt::Vertical).value(0))->categories();
        QVERIFY2(names.contains(QStringLiteral("100 FILOSOFIA")), qPrintable(names.join(QLatin1Char('|'))));
        QVERIFY(names.contains(QStringLiteral("senza classe")));
        // Every class by its name, the general works' too: no bare "000".
        for (const QString& name : names)
            QVERIFY2(name.size() > 4, qPrintable(names.join(QLatin1Char('|'))));
        QVERIFY2(names.first().startsWith(QStringLiteral("000 INFORMATICA")) || names.last().startsWith(QStringLiteral("000 INFORMATICA")),
            qPrintable(names.join(QLatin1Char('|'))));
        screen->grab().save(m_folder->file(QStringLiteral("statistiche.png")));
        grabForALook(screen, QStringLiteral("statistiche"));
        screen->close();
    });
    TfrmStatistiche::open(nullptr);
}

void StatsTest::printedPagesHoldEachTable()
{
    const MessageLog log;
    writeCards(*m_folder, Books::collection(),
        {book({{"Dewey", "821"}, {"Genere", "Poesia"}, {"Anno", "1961"}, {"Lingua", "Inglese"}}),
            book({{"Dewey", "x"}, {"Genere", "poesia"}, {"Anno", "?"}, {"Prestato", "Rossi"}, {"Scadenza", "01/01/2001"}})});
    writeCards(*m_folder, Articles::collection(), {{QStringLiteral("2021.art"), {{"Testata", "Avvenire"}}}});
    const QString pdf = m_folder->file(QStringLiteral("statistiche.pdf"));
    const QString one = m_folder->file(QStringLiteral("grafico.pdf"));
    QList<PreparedReport> whole, single;
    onNextModal<TfrmStatistiche>([&](TfrmStatistiche* screen) {
        {
            PrintLog print(true, pdf);
            screen->findChild<QPushButton*>(QStringLiteral("btnStampaTutto"))->click();
            whole = print.offered;
        }
        {
            PrintLog print(true, one);
            screen->findChild<QPushButton*>(QStringLiteral("btnStampa_books_2"))->click();
            single = print.offered;
        }
        // Every page and table as the screen's counts make them.
        int page = 0;
        QCOMPARE(whole.size(), 1);
        for (const auto& stats : screen->stats()) {
            for (const StatsResult& r : stats->results()) {
                QVERIFY(page < whole.front().pages.size());
                const PreparedPage& p = whole.front().pages.at(page++);
                const PageItem* table = p.find(QStringLiteral("txtTabella"));
                const PageItem* chart = p.find(QStringLiteral("picGrafico"));
                QVERIFY(table && chart && chart->picture && !chart->picture->isNull());
                QCOMPARE(table->lines(), StatsReport::table(*stats, r, LoanSettings::days()));
                if (table->lines().contains(QStringLiteral("Scadute come nell'elenco dei prestiti:")))
                    QCOMPARE(table->lines().mid(table->lines().size() - 2),
                        (QStringList{QStringLiteral("libri prestati da più di %1 giorni,").arg(LoanSettings::days()),
                            QStringLiteral("DVD oltre la data di restituzione.")}));
                // The table fits its page beside the chart.
                QVERIFY(table->rect.bottom() <= whole.front().size.height());
                QVERIFY(chart->rect.right() < table->rect.left());
            }
        }
        QCOMPARE(page, whole.front().pages.size());
        screen->close();
    });
    TfrmStatistiche::open(nullptr);
    QVERIFY(log.entries.isEmpty());
    QCOMPARE(single.size(), 1);
    QCOMPARE(single.front().pages.size(), 1);
    QVERIFY(single.front().pages.front().find(QStringLiteral("txtTitolo"))->joined().contains(QLatin1String("genere")));

    const QString text = pdfText(pdf);
    if (text.isEmpty())
        QSKIP("pdftotext is not installed: the document's text cannot be read back");
    const QStringList pages = text.split(QLatin1Char('\f'), Qt::SkipEmptyParts);
    QCOMPARE(pages.size(), whole.front().pages.size());
    for (int i = 0; i < pages.size(); ++i) {
        const QString page = squeezed(pages.at(i));
        for (const QString& line : whole.front().pages.at(i).find(QStringLiteral("txtTabella"))->lines()) {
            if (!line.isEmpty())
                QVERIFY2(page.contains(squeezed(line)), qPrintable(QStringLiteral("page %1 lacks \"%2\"").arg(i + 1).arg(line)));
        }
    }
    QVERIFY(squeezed(text).contains(QLatin1String("Poesia 2")));
    QVERIFY(squeezed(pdfText(one)).contains(QLatin1String("Poesia 2")));
}

QTEST_MAIN(StatsTest)
#include "test_stats.moc"
