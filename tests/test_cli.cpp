#include "TestSupport.h"
#include "ExportFixtures.h"

#include "cli/CommandLine.h"
#include "core/storage/Layouts.h"
#include "core/storage/Record.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTextStream>

namespace {

struct Result {
    int code;
    QString out;
    QString err;
};

Result cli(const QStringList& args)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    const int code = CommandLine::run(args, o, e);
    o.flush();
    e.flush();
    return {code, out, err};
}

QByteArray goodBook(int i)
{
    Record r(TSchedaLibro);
    r.setText("Titolo", QStringLiteral("Titolo %1").arg(i));
    r.setText("Codice", QStringLiteral("C%1").arg(i));
    r.setText("Autore", QStringLiteral("Autore"));
    r.setText("Annullata", QStringLiteral("No"));
    return r.bytes();
}

QByteArray card(const RecordLayout& layout, const QList<QPair<const char*, QString>>& fields)
{
    Record r(layout);
    for (const auto& [name, value] : fields)
        r.setText(name, value);
    return r.bytes();
}

QString spaces(int n)
{
    return QString(n, QLatin1Char(' '));
}

} // namespace

class CliTest : public QObject {
    Q_OBJECT
private slots:
    void checkFindsEachDefect_data();
    void checkFindsEachDefect();
    void checkLeavesArchivesAlone();
    void sampleIsDeterministicAndAppends();
    void searchGivesTheScreensLines_data();
    void searchGivesTheScreensLines();
    void exportWritesTheScreensBytes();
    void exportOtherCollections();
    void badArguments_data();
    void badArguments();
};

void CliTest::checkFindsEachDefect_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<QString>("expected");
    QByteArray overlong = goodBook(2);
    overlong[251] = char(30); // "Codice" holds at most 24
    QByteArray flag = goodBook(2);
    flag[1728] = 0; // neither "Sì" nor "No"
    Record noAuthor(TSchedaLibro);
    noAuthor.bytes() = goodBook(2);
    noAuthor.setText("Autore", QStringLiteral("   "));
    QTest::newRow("clean") << goodBook(1) + goodBook(2) << QStringLiteral("Nessun problema trovato.");
    QTest::newRow("partial record") << goodBook(1) + QByteArray(17, 'x') << QStringLiteral("incompleta in coda all'archivio: 17 byte");
    QTest::newRow("length byte above capacity") << goodBook(1) + overlong << QStringLiteral("oltre la sua capienza: 1 (posizioni 2)");
    QTest::newRow("cancelled flag") << goodBook(1) + flag << QStringLiteral("diverso da \"Sì\" e \"No\": 1 (posizioni 2)");
    QTest::newRow("required field") << goodBook(1) + noAuthor.bytes() << QStringLiteral("obbligatorio vuoto: 1 (posizioni 2)");
}

void CliTest::checkFindsEachDefect()
{
    QFETCH(QByteArray, archive);
    QFETCH(QString, expected);
    TestFolder folder;
    folder.write("Libri.pro", archive);
    const Result r = cli({"--folder", folder.path(), "check", "books"});
    QVERIFY2(r.out.contains(expected), qPrintable(r.out));
    QCOMPARE(r.code, expected.startsWith(QLatin1String("Nessun")) ? 0 : 1);
    QCOMPARE(folder.read("Libri.pro"), archive);
}

void CliTest::checkLeavesArchivesAlone()
{
    TestFolder folder;
    const Result r = cli({"--folder", folder.path(), "check", "dvd"});
    QCOMPARE(r.code, 2);
    QVERIFY(!QFile::exists(folder.file("DVD.pro"))); // reported, not created
    const Result a = cli({"--folder", folder.path(), "check", "articles", "--year", "2015"});
    QCOMPARE(a.code, 2);
    QVERIFY(!QFile::exists(folder.file("2015.art")));
}

void CliTest::sampleIsDeterministicAndAppends()
{
    TestFolder one, two;
    one.write("DVD.pro", QByteArray());
    QCOMPARE(cli({"--folder", one.path(), "sample", "dvd", "50", "--seed", "9"}).code, 0);
    QCOMPARE(cli({"--folder", two.path(), "sample", "dvd", "50", "--seed", "9"}).code, 0);
    const QByteArray first = one.read("DVD.pro");
    QCOMPARE(first.size(), 50 * 3634);
    QCOMPARE(two.read("DVD.pro"), first);
    QCOMPARE(cli({"--folder", one.path(), "sample", "dvd", "5", "--seed", "3"}).code, 0);
    QCOMPARE(one.read("DVD.pro").left(first.size()), first); // earlier cards untouched
    QCOMPARE(cli({"--folder", one.path(), "check", "dvd"}).code, 0);
    QCOMPARE(cli({"--folder", one.path(), "sample", "articles", "20", "--year", "2016"}).code, 0);
    QCOMPARE(cli({"--folder", one.path(), "check", "articles", "--year", "2016"}).code, 0);
}

void CliTest::searchGivesTheScreensLines_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("archive");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("expected");
    const QString no = QStringLiteral("No"), si = QStringLiteral("S\u00ec");

    const QByteArray books = card(TSchedaLibro, {{"Codice", "B-0042"}, {"Titolo", "Storia di Roma"}, {"Autore", "Rossi Mario"},
                                   {"Citta", "Torino"}, {"Editore", "Edizioni Alfa"}, {"Anno", "1998"}, {"Annullata", no}})
        + card(TSchedaLibro, {{"Codice", "B-1"}, {"Titolo", "Roma antica"}, {"Autore", "Rossi"}, {"Annullata", si}})
        + card(TSchedaLibro, {{"Codice", "b-0042"}, {"Titolo", "Roma"}, {"Autore", "Bianchi"}, {"Prestato", "Anna"}, {"Annullata", no}});
    const QString bookLine = QStringLiteral("Cod. B-0042") + spaces(18) + QStringLiteral("  Storia di Roma") + spaces(36)
        + QStringLiteral("  Rossi Mario") + spaces(19) + QStringLiteral("  Torino Edizioni Alfa 1998");
    const QString lentLine = QStringLiteral("Cod. b-0042") + spaces(18) + QStringLiteral("  Roma") + spaces(46)
        + QStringLiteral("  Bianchi") + spaces(23) + spaces(4); // empty city, publisher, year
    QTest::newRow("books, two filters, cancelled left out")
        << QStringList{"search", "books", "--titolo", "roma", "--autore", "ROSSI"} << "Libri.pro" << books << QStringList{bookLine};
    QTest::newRow("books, list order") << QStringList{"search", "books"} << "Libri.pro" << books << QStringList{lentLine, bookLine};
    QTest::newRow("books available") << QStringList{"search", "books", "--available", "--codice", "0042"} << "Libri.pro" << books
                                     << QStringList{bookLine};

    const QByteArray dvds = card(TSchedaDVD, {{"Codice", "D-17"}, {"Titolo", "Il viaggio lungo"}, {"Regia", "Bianchi Carlo"},
                                 {"Anno", "1959"}, {"Protagonista", "Verdi Anna"}, {"Prestato", "Luca"}, {"Annullata", no}})
        + card(TSchedaDVD, {{"Codice", "D-18"}, {"Titolo", "Il viaggio corto"}, {"Scadenza", "01/01/2026"}, {"Annullata", no}});
    const QString dvdLine = QStringLiteral("Cod. D-17") + spaces(20) + QStringLiteral("  Il viaggio lungo") + spaces(30)
        + QStringLiteral("  Regia: Bianchi Carlo") + spaces(15) + QStringLiteral("  Anno: 1959  Prot. Verdi Anna");
    QTest::newRow("dvd available: a due date keeps it out, a borrower does not")
        << QStringList{"search", "dvd", "--available", "--titolo", "viaggio"} << "DVD.pro" << dvds << QStringList{dvdLine};

    const QByteArray articles = card(TSchedaArticolo, {{"Titolo", "Il porto riapre"}, {"DataPub", "12/03/2014"},
                                         {"Autore", "Neri Paolo"}, {"Testata", "Il Quotidiano Alfa"}, {"Testo", "Le navi\r\ntornano in porto."}})
        + card(TSchedaArticolo, {{"Titolo", "Altro"}, {"Testo", "Nulla di nuovo"}});
    const QString articleLine = QStringLiteral("Il porto riapre") + spaces(35) + QStringLiteral("  Data: 12/03/2014  Autore: Neri Paolo")
        + spaces(20) + QStringLiteral("  Testata: Il Quotidiano Alfa");
    QTest::newRow("articles, words of the full text")
        << QStringList{"search", "articles", "--year", "2014", "--testo", "NAVI"} << "2014.art" << articles << QStringList{articleLine};
}

void CliTest::searchGivesTheScreensLines()
{
    QFETCH(QStringList, args);
    QFETCH(QString, archive);
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, expected);
    TestFolder folder;
    folder.write(archive, bytes);
    const Result r = cli(QStringList{"--folder", folder.path()} + args);
    QCOMPARE(r.code, 0);
    QCOMPARE(r.out, expected.join(QLatin1Char('\n')) + QLatin1Char('\n'));
    QCOMPARE(r.err, QStringLiteral("Il presente riepilogo contiene %1 schede.\n").arg(expected.size()));
    QCOMPARE(folder.read(archive), bytes);
}

void CliTest::exportWritesTheScreensBytes()
{
    // The hand-written file has one author typed into the grid; unedited, it holds the stored one.
    const QByteArray expected = fixture("export_due_schede.xls").replace("?ukasz Nowak", "Calvino Italo");
    QVERIFY(expected.contains("Calvino Italo"));
    TestFolder folder;
    folder.write("Libri.pro", twoCards());
    Result r = cli({"--folder", folder.path(), "export", "books"});
    QCOMPARE(r.code, 0);
    QCOMPARE(folder.read("Libri.xls"), expected);
    QCOMPARE(folder.read("Libri.pro"), twoCards());

    const QString elsewhere = folder.file("copia.xls");
    QCOMPARE(cli({"--folder", folder.path(), "export", "books", "--out", elsewhere}).code, 0);
    QCOMPARE(folder.read("copia.xls"), expected);

    // An archive that is not there is reported, not created, and the old file stays.
    QFile::remove(folder.file("Libri.pro"));
    r = cli({"--folder", folder.path(), "export", "books"});
    QCOMPARE(r.code, 2);
    QVERIFY(!QFile::exists(folder.file("Libri.pro")));
    QCOMPARE(folder.read("Libri.xls"), expected);
}

void CliTest::exportOtherCollections()
{
    TestFolder folder;
    folder.write("DVD.pro", card(TSchedaDVD, {{"Titolo", "Il viaggio lungo"}, {"Anno", "1959"}, {"Prestato", "Luca"},
                                                {"Annullata", QStringLiteral("No")}}));
    QCOMPARE(cli({"--folder", folder.path(), "export", "dvd"}).code, 0);
    const QByteArray dvd = folder.read("DVD.xls");
    QVERIFY(dvd.contains("<x:Name>Riepilogo DVD</x:Name>"));
    QVERIFY(dvd.contains("<td style=\"text-align: left; font-weight: bold;\" width=350>Titolo DVD</td>"));
    QVERIFY(dvd.contains("width=150>Anno</td>"));
    QCOMPARE(dvd.count("font-weight: bold;"), 23);
    QCOMPARE(dvd.count("<td") - 23, 23); // one data row of 23 cells
    QVERIFY(dvd.contains(">1959</td>"));
    QVERIFY(!dvd.contains("Luca")); // the loan is never exported
    QVERIFY(!dvd.contains('\n'));

    folder.write("2021.art", card(TSchedaArticolo, {{"Titolo", "Il porto riapre"}, {"Testo", "Testo intero"}}));
    QCOMPARE(cli({"--folder", folder.path(), "export", "articles", "--year", "2021"}).code, 0);
    const QByteArray articles = folder.read("Articoli.xls");
    QVERIFY(articles.contains("<x:Name>Riepilogo Articoli</x:Name>"));
    QCOMPARE(articles.count("font-weight: bold;"), 9);
    QCOMPARE(articles.count("<td") - 9, 9);
    QVERIFY(articles.contains(">Il porto riapre</td>"));
    QVERIFY(!articles.contains("Testo intero"));
}

void CliTest::badArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("nothing") << QStringList{};
    QTest::newRow("unknown command") << QStringList{"erase", "books"};
    QTest::newRow("unknown collection") << QStringList{"check", "cds"};
    QTest::newRow("articles without year") << QStringList{"check", "articles"};
    QTest::newRow("bad year") << QStringList{"check", "articles", "--year", "15"};
    QTest::newRow("year for books") << QStringList{"check", "books", "--year", "2015"};
    QTest::newRow("sample without count") << QStringList{"sample", "books"};
    QTest::newRow("sample bad count") << QStringList{"sample", "books", "molti"};
    QTest::newRow("option without value") << QStringList{"check", "books", "--folder"};
    QTest::newRow("unknown search field") << QStringList{"search", "books", "--regia", "x"};
    QTest::newRow("available articles") << QStringList{"search", "articles", "--year", "2015", "--available"};
    QTest::newRow("filter without text") << QStringList{"search", "books", "--titolo"};
}

void CliTest::badArguments()
{
    QFETCH(QStringList, args);
    TestFolder folder;
    const Result r = cli(QStringList{"--folder", folder.path()} + args);
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.contains(QLatin1String("Usage:")));
    QVERIFY(r.out.isEmpty());
    QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty()); // nothing created
}

QTEST_GUILESS_MAIN(CliTest)
#include "test_cli.moc"
