#include "BackupFixtures.h"
#include "CliRun.h"
#include "TestSupport.h"
#include "ExportFixtures.h"

#include "core/collections/Articles.h"
#include "core/collections/Books.h"
#include "core/collections/Dvds.h"
#include "cli/CommandLine.h"
#include "core/collections/Collection.h"
#include "core/export/CardCsv.h"
#include "core/export/CardXlsx.h"
#include "core/collections/ExportTable.h"
#include "core/text/Text.h"
#include "core/import/ImportNames.h"
#include "core/storage/AppendJournal.h"
#include "core/storage/XlsxReader.h"
#include "ui/articles/TfrmBibliografie.h"
#include "ui/books/TfrmLibri.h"
#include "ui/cards/CardForm.h"
#include "ui/dvd/TfrmDVD.h"
#include "core/storage/Record.h"
#include "core/text/Text.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include <QThread>

#include <algorithm>
#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>
#include <cstdio>
#include <vector>

using Result = CliResult;

namespace {

// Started with TOMARIA_TEST_MEMORY_PROBE set, this test program runs its
// arguments as a command and prints its exit code and peak resident memory
// (kB), then ends before any test. A child forked by the test process
// itself would count the test process's own pages in its peak: this small
// fresh process forks it instead.
[[maybe_unused]] const bool kMemoryProbe = [] {
    if (qEnvironmentVariableIsEmpty("TOMARIA_TEST_MEMORY_PROBE"))
        return false;
    std::vector<char*> args;
    QFile self(QStringLiteral("/proc/self/cmdline"));
    QByteArray cmdline;
    if (self.open(QIODevice::ReadOnly))
        cmdline = self.readAll();
    static QList<QByteArray> parts;
    parts = cmdline.split('\0');
    for (qsizetype i = 1; i < parts.size(); ++i) {
        if (!parts[i].isEmpty())
            args.push_back(parts[i].data());
    }
    args.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execv(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    std::printf("%d %ld\n", WIFEXITED(status) ? WEXITSTATUS(status) : 128, usage.ru_maxrss);
    std::fflush(stdout);
    _exit(0);
}();

QByteArray goodBook(int i)
{
    Record r(TSchedaLibro);
    r.setText("Titolo", QStringLiteral("Titolo %1").arg(i));
    r.setText("Codice", QStringLiteral("C%1").arg(i));
    r.setText("Autore", QStringLiteral("Autore"));
    r.setText("Annullata", QStringLiteral("No"));
    return r.bytes();
}

QString spaces(int n)
{
    return QString(n, QLatin1Char(' '));
}

constexpr int kBook = 3237;

// Every wait on a child process is bounded well inside QtTest's own
// five-minute watchdog and ctest's ten minutes, so that a child that hangs
// fails its test with a message instead of the whole program being killed.
constexpr int kStartMs = 30'000;
constexpr int kRunMs = 240'000;

// The command-line program itself, for what only a separate process shows:
// signals, limits and two writers at once.
QProcess* startCli(const QStringList& args, QObject* parent)
{
    auto* p = new QProcess(parent);
    p->setProgram(QStringLiteral(TOMARIA_CLI));
    p->setArguments(args);
    p->start();
    return p;
}

bool finished(QProcess* p)
{
    return p->waitForStarted(kStartMs) && p->waitForFinished(kRunMs);
}

// The first row of a workbook, its cells joined by ';'.
QString xlsxHeader(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return XlsxReader::firstRow(file).join(QLatin1Char(';'));
}

} // namespace

class CliTest : public QObject {
    Q_OBJECT
private slots:
    void checkFindsEachDefect_data();
    void checkFindsEachDefect();
    void checkLeavesArchivesAlone();
    void checkWarnsWithoutFailing_data();
    void checkWarnsWithoutFailing();
    void sampleIsDeterministicAndAppends();
    void searchGivesTheScreensLines_data();
    void searchGivesTheScreensLines();
    void exportWritesTheScreensBytes();
    void exportOtherCollections();
    void badArguments_data();
    void badArguments();
    void refusalsNameWhatIsWrong_data();
    void refusalsNameWhatIsWrong();
    void helpAndVersion_data();
    void helpAndVersion();
    void pluginsAreLoadedOnUseAndMissedClearly_data();
    void pluginsAreLoadedOnUseAndMissedClearly();
    void marcImportLoadsTheLookupPluginForMarcFilesAlone();
    void programLinksNoneOfThePluginsLibraries();
    void exportReplacesOnlyItsOwnFiles_data();
    void exportReplacesOnlyItsOwnFiles();
    void everyOutGoesThroughTheGuard_data();
    void everyOutGoesThroughTheGuard();
    void exportThatCannotBeWrittenSaysWhy_data();
    void exportThatCannotBeWrittenSaysWhy();
    void nonRegularArchivesAreReadErrors_data();
    void nonRegularArchivesAreReadErrors();
    void stocktakeRefusesCodesFilesBeyondBudget_data();
    void stocktakeRefusesCodesFilesBeyondBudget();
    void sampleUnderFileSizeLimitFailsAndUndoes();
    void concurrentSamplesKeepEveryCard();
    void importBringsBackAnExportedSheet_data();
    void importBringsBackAnExportedSheet();
    void importReadsQuotedFieldsInEitherEncoding_data();
    void importReadsQuotedFieldsInEitherEncoding();
    void completeCsvRoundTrip_data();
    void completeCsvRoundTrip();
    void backupListAndRestoreByteForByte();
    void importRefusesHostileFiles_data();
    void importRefusesHostileFiles();
    void importAcceptsTheUsersWords_data();
    void importAcceptsTheUsersWords();
    void importAcceptsEveryCardCaption();
    void importKilledLeavesTheArchive_data();
    void importKilledLeavesTheArchive();
    void importKeepsMemoryBounded();
    void exportRefusesProgramFilesByIdentity_data();
    void exportRefusesProgramFilesByIdentity();
};

// clang-format off
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
    // Names the attachment screen refuses, written by another program.
    for (const char* name : {"../../../etc/passwd", "nul.txt", "C:autoexec.bat"}) {
        Record attached(TSchedaLibro);
        attached.bytes() = goodBook(3);
        attached.setText("File02", QString::fromLatin1(name));
        QTest::newRow(qPrintable(QStringLiteral("attachment %1").arg(QLatin1String(name))))
            << goodBook(1) + goodBook(2) + attached.bytes() << QStringLiteral("Documenti_Allegati o è un nome di dispositivo: 1 (posizioni 3)");
    }
}
// clang-format on

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

// clang-format off
void CliTest::checkWarnsWithoutFailing_data()
{
    QTest::addColumn<QByteArray>("archive");
    QTest::addColumn<QStringList>("warnings");
    QTest::addColumn<int>("code");
    QByteArray overlong = goodBook(2);
    overlong[251] = char(30);
    const auto book = [](const QString& code, const QString& isbn) {
        return card(TSchedaLibro, {{"Titolo", "T"}, {"Codice", code}, {"Autore", "A"}, {"Annullata", "No"}, {"Isbn", isbn}});
    };
    QTest::newRow("sound codes and ISBNs") << book("A1", "978-0-306-40615-7") + book("A2", "0-8044-2957-x") + book("A3", "")
                                           << QStringList{} << 0;
    QTest::newRow("same code, case ignored") << book("A1", "") + book("B1", "") + book("a1", "")
                                             << QStringList{"Avviso: il codice A1 è usato da 2 schede (posizioni 1, 3)"} << 0;
    QTest::newRow("wrong check digits") << book("A1", "978-0-306-40615-8") + book("A2", "0 306 40615 3") + book("A3", "n.d.")
                                        << QStringList{"Avviso: ISBN con cifra di controllo errata nella scheda in posizione 1: 978-0-306-40615-8",
                                               "Avviso: ISBN con cifra di controllo errata nella scheda in posizione 2: 0 306 40615 3"}
                                        << 0;
    QTest::newRow("a digit dropped or added") << book("A1", "978030640615") + book("A2", "978-88-1234-56789") + book("A3", "9780306406157")
                                              << QStringList{"Avviso: ISBN di 12 cifre (un ISBN ne ha 10 o 13) nella scheda in posizione 1: 978030640615",
                                                     "Avviso: ISBN di 14 cifre (un ISBN ne ha 10 o 13) nella scheda in posizione 2: 978-88-1234-56789"}
                                              << 0;
    QTest::newRow("warnings beside a defect") << book("A1", "") + book("A1", "") + overlong
                                              << QStringList{"Avviso: il codice A1 è usato da 2 schede (posizioni 1, 2)"} << 1;
}
// clang-format on

void CliTest::checkWarnsWithoutFailing()
{
    QFETCH(QByteArray, archive);
    QFETCH(QStringList, warnings);
    QFETCH(int, code);
    TestFolder folder;
    folder.write("Libri.pro", archive);
    const Result r = cli({"--folder", folder.path(), "check", "books"});
    QCOMPARE(r.code, code);
    QStringList found;
    for (const QString& line : r.out.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("Avviso:")))
            found << line;
    }
    QCOMPARE(found, warnings);
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
    // The books' ISBNs are sound ISBN-13s: the check warns of none.
    QCOMPARE(cli({"--folder", one.path(), "sample", "books", "200"}).code, 0);
    const Result books = cli({"--folder", one.path(), "check", "books"});
    QCOMPARE(books.code, 0);
    QVERIFY2(!books.out.contains(QStringLiteral("ISBN")), qPrintable(books.out));
}

// clang-format off
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
    // An option and its value in one word, options and filters alike; a
    // field written with capitals is the same field.
    QTest::newRow("values after \"=\"")
        << QStringList{"search", "articles", "--year=2014", "--testo=NAVI"} << "2014.art" << articles << QStringList{articleLine};
    QTest::newRow("a filter written with capitals")
        << QStringList{"search", "books", "--Titolo", "roma", "--AUTORE=rossi"} << "Libri.pro" << books << QStringList{bookLine};
}
// clang-format on

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
    QCOMPARE(r.err, QStringLiteral("Il presente riepilogo contiene %1.\n").arg(Text::counted(expected.size(), u"scheda", u"schede")));
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
    folder.write("DVD.pro",
        card(TSchedaDVD, {{"Titolo", "Il viaggio lungo"}, {"Anno", "1959"}, {"Prestato", "Luca"}, {"Annullata", QStringLiteral("No")}}));
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

// clang-format off
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
    QTest::newRow("year followed by a line break") << QStringList{"check", "articles", "--year", "2024\n"};
    QTest::newRow("year in other digits") << QStringList{"check", "articles", "--year", "\u0662\u0660\u0662\u0664"};
    QTest::newRow("help among other arguments") << QStringList{"check", "books", "--help"};
    QTest::newRow("loans of one collection") << QStringList{"loans", "books"};
    QTest::newRow("loans, no days") << QStringList{"loans", "--days", "0"};
    QTest::newRow("loans, no days after \"=\"") << QStringList{"loans", "--days=0"};
    QTest::newRow("a switch given a value") << QStringList{"export", "books", "--csv=yes", "--out", "x.csv"};
    QTest::newRow("days for a search") << QStringList{"search", "books", "--days", "3"};
    QTest::newRow("import without file") << QStringList{"import", "books"};
    QTest::newRow("dry run of an export") << QStringList{"export", "books", "--dry-run"};
    QTest::newRow("complete CSV without --out") << QStringList{"export", "books", "--csv"};
    QTest::newRow("CSV for a search") << QStringList{"search", "books", "--csv"};
    QTest::newRow("CSV for the loans") << QStringList{"loans", "--csv"};
    QTest::newRow("backup of one collection") << QStringList{"backup", "books"};
    QTest::newRow("backup, no folder") << QStringList{"backup", "--to"};
    QTest::newRow("backups elsewhere") << QStringList{"backups", "--to", "x"};
    QTest::newRow("restore without zip") << QStringList{"restore"};
    QTest::newRow("restore of two zips") << QStringList{"restore", "a.zip", "b.zip"};
    QTest::newRow("copy folder for a search") << QStringList{"search", "books", "--to", "x"};
    // Taken as "no folder", these would write into the installed catalogue.
    QTest::newRow("empty folder") << QStringList{"--folder", "", "sample", "books", "2"};
    QTest::newRow("blank folder") << QStringList{"--folder", " \t", "sample", "books", "2"};
    QTest::newRow("unknown encoding") << QStringList{"import", "books", "x.csv", "--encoding", "latin-1"};
    QTest::newRow("duplicates allowed for a search") << QStringList{"search", "books", "--allow-duplicates"};
}
// clang-format on

void CliTest::badArguments()
{
    QFETCH(QStringList, args);
    TestFolder folder;
    const Result r = cli(QStringList{"--folder", folder.path()} + args);
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.startsWith(QLatin1String("tomaria-cli: ")));
    QVERIFY(r.err.contains(QLatin1String("\nUso:\n")));
    QVERIFY(r.out.isEmpty());
    QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty()); // nothing created
}

// clang-format off
void CliTest::refusalsNameWhatIsWrong_data()
{
    // The parser's own findings, said in the program's words.
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("said");
    QTest::newRow("an option of another verb") << QStringList{"search", "books", "--days", "3"} << "--days non vale per search";
    QTest::newRow("a field the collection lacks") << QStringList{"search", "books", "--regia", "x"} << "campo sconosciuto --regia per books";
    QTest::newRow("a filter for a verb without") << QStringList{"check", "books", "--titolo", "x"} << "check non accetta filtri";
    QTest::newRow("a filter before the verb") << QStringList{"--titolo", "x", "search", "books"} << "opzione sconosciuta --titolo prima del comando";
    QTest::newRow("a value missing") << QStringList{"check", "articles", "--year"} << "--year vuole un anno";
    QTest::newRow("a filter's text missing") << QStringList{"search", "books", "--titolo"} << "--titolo vuole un testo";
    QTest::newRow("a switch given a value") << QStringList{"export", "books", "--complete=si", "--out", "x.xlsx"} << "--complete non vuole un valore";
    QTest::newRow("help among other words") << QStringList{"loans", "--help"} << "--help va usato da solo";
    QTest::newRow("a shelf for a search") << QStringList{"search", "books", "--shelf", "A"} << "campo sconosciuto --shelf per books";
    QTest::newRow("stocktake's own filter only") << QStringList{"stocktake", "books", "--titolo", "x", "c.txt"} << "--titolo non vale per stocktake";
}
// clang-format on

void CliTest::refusalsNameWhatIsWrong()
{
    QFETCH(QStringList, args);
    QFETCH(QString, said);
    TestFolder folder;
    const Result r = cli(QStringList{"--folder", folder.path()} + args);
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.startsWith(QStringLiteral("tomaria-cli: ") + said + QLatin1Char('\n')), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
}

// clang-format off
void CliTest::helpAndVersion_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("starts");
    QTest::newRow("--help") << "--help" << "Uso:\n  tomaria-cli [--folder CARTELLA] search ";
    QTest::newRow("-h") << "-h" << "Uso:\n";
    QTest::newRow("--version") << "--version" << "tomaria-cli 1.0.0\n";
}
// clang-format on

void CliTest::helpAndVersion()
{
    QFETCH(QString, option);
    QFETCH(QString, starts);
    const Result r = cli({option});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.startsWith(starts), qPrintable(r.out));
    QVERIFY(r.err.isEmpty());
    if (option != QLatin1String("--help"))
        return;
    // The collections' parts, each from its collection's description.
    QVERIFY(r.out.contains(QStringLiteral("] labels books|dvd --kind spine|barcode")));
    QVERIFY(r.out.contains(QStringLiteral("per articles tutti gli archivi annuali della cartella")));
    QString joined = r.out;
    joined.replace(QStringLiteral("\n  "), QStringLiteral(" "));
    QVERIFY2(joined.contains(
                 QStringLiteral("\nloans: i libri e i DVD in prestito, dal più vecchio; \"!\" segna i libri prestati da più di N giorni "
                                "e i DVD oltre la data di restituzione (N è --days o, in mancanza, il valore scelto nella schermata dei "
                                "prestiti, 30 all'inizio); le date che non si leggono come g/m/aaaa sono in fondo con \"data non "
                                "leggibile\"; un DVD senza scadenza risulta disponibile ed è segnato \"senza scadenza: risulta "
                                "disponibile\".\n")),
        qPrintable(r.out));
    for (const QString& line : r.out.split(QLatin1Char('\n')))
        QVERIFY2(line.size() <= 120, qPrintable(line));
}

// Each export replaces a file it wrote itself, never an archive, the
// password file, a link or a file of the user.
// clang-format off
// The command line copied alone into a folder, then with its plugins: a
// verb that needs a missing plugin says which and writes nothing; the
// verbs of the core never need one; with the plugins beside it the same
// verb works.
void CliTest::pluginsAreLoadedOnUseAndMissedClearly_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("verb");
    QTest::addColumn<QString>("plugin");
    QTest::addColumn<QString>("written"); // the file the verb writes when it works; empty: none
    QTest::newRow("labels") << QStringList{"labels", "books", "--kind", "spine", "--sheet", "3x7", "--out", "l.pdf"} << "labels"
                            << "tomaria-stampa" << "l.pdf";
    QTest::newRow("reminders") << QStringList{"reminders", "--out", "r.pdf"} << "reminders" << "tomaria-stampa" << QString();
    QTest::newRow("export .xlsx") << QStringList{"export", "books", "--complete", "--out", "x.xlsx"} << "export --complete .xlsx"
                                  << "tomaria-xlsx" << "x.xlsx";
    QTest::newRow("lookup") << QStringList{"lookup", "9788804668237", "--server", "z3950://127.0.0.1:1/x"} << "lookup"
                            << "tomaria-catalogo" << QString();
    QTest::newRow("export MARC") << QStringList{"export", "books", "--marc21", "--out", "m.mrc"} << "export --marc21|--unimarc"
                                 << "tomaria-catalogo" << "m.mrc";
    QTest::newRow("catalogue") << QStringList{"catalogue", "isbn.txt", "--server", "z3950://127.0.0.1:1/x", "--dry-run"} << "catalogue"
                               << "tomaria-catalogo" << QString();
}

void CliTest::pluginsAreLoadedOnUseAndMissedClearly()
{
    QFETCH(QStringList, command);
    QFETCH(QString, verb);
    QFETCH(QString, plugin);
    QFETCH(QString, written);
    TestFolder folder;
    folder.write("Libri.pro", twoCards());
    const QString program = folder.file("tomaria-cli");
    QVERIFY(QFile::copy(QStringLiteral(TOMARIA_CLI), program));
    QTemporaryDir runtime;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    auto run = [&](const QStringList& args) {
        QProcess p;
        p.setProgram(program);
        p.setArguments(QStringList{"--folder", folder.path()} + args);
        p.setProcessEnvironment(environment);
        p.start();
        if (!finished(&p) || p.exitStatus() != QProcess::NormalExit)
            return Result{-1, {}, QStringLiteral("tomaria-cli did not finish")};
        return Result{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    };
    QStringList args = command;
    if (args.contains(QLatin1String("--out")))
        args.last() = folder.file(args.last());

    const Result missing = run(args);
    QCOMPARE(missing.code, 2);
    QCOMPARE(missing.err, QStringLiteral("tomaria-cli: %1 non è disponibile: manca il modulo %2 accanto al programma, in %3; "
                                         "reinstallare il programma\n")
                              .arg(verb, plugin, QDir::toNativeSeparators(QFileInfo(program).canonicalPath())));
    QCOMPARE(missing.out, QString());
    if (!written.isEmpty())
        QVERIFY(!QFile::exists(folder.file(written)));
    // The verbs of the core start without any plugin.
    const Result search = run({"search", "books", "--titolo", "a"});
    QVERIFY2(search.code == 0, qPrintable(search.err));

    const QDir built = QFileInfo(QStringLiteral(TOMARIA_CLI)).dir();
    for (const QString& file : built.entryList({QStringLiteral("tomaria-*.so")}, QDir::Files))
        QVERIFY(QFile::copy(built.filePath(file), folder.file(file)));
    const Result found = run(args);
    QVERIFY2(!found.err.contains(QLatin1String("non è disponibile")), qPrintable(found.err));
    if (!written.isEmpty()) {
        QVERIFY2(found.code == 0, qPrintable(found.err));
        QVERIFY(QFileInfo(folder.file(written)).size() > 0);
    }
}

// The import reads a sheet without the look-up plugin; a MARC file,
// recognised by its first bytes whatever its name, is read by the plugin,
// and without it the import says which module is missing and writes
// nothing.
void CliTest::marcImportLoadsTheLookupPluginForMarcFilesAlone()
{
    TestFolder folder;
    folder.write("Libri.pro", twoCards());
    const QString program = folder.file("tomaria-cli");
    QVERIFY(QFile::copy(QStringLiteral(TOMARIA_CLI), program));
    const QDir built = QFileInfo(QStringLiteral(TOMARIA_CLI)).dir();
    auto run = [&](const QStringList& args) {
        QProcess p;
        p.setProgram(program);
        p.setArguments(QStringList{"--folder", folder.path()} + args);
        p.start();
        if (!finished(&p) || p.exitStatus() != QProcess::NormalExit)
            return Result{-1, {}, QStringLiteral("tomaria-cli did not finish")};
        return Result{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    };
    const QString plugin = folder.file("tomaria-catalogo.so");
    QVERIFY(QFile::copy(built.filePath(QStringLiteral("tomaria-catalogo.so")), plugin));
    const QString records = folder.file("consegna.txt"); // MARC under a name that says nothing
    const Result exported = run({"export", "books", "--marc21", "--out", records});
    QVERIFY2(exported.code == 0, qPrintable(exported.err));
    const Result sheet = run({"export", "books", "--csv", "--out", folder.file("schede.csv")});
    QVERIFY2(sheet.code == 0, qPrintable(sheet.err));
    // The sheet without the control byte of a note, which the import refuses.
    QByteArray cells = folder.read("schede.csv");
    QVERIFY(cells.contains('\x01'));
    folder.write("schede.csv", cells.replace('\x01', ""));

    const Result marc = run({"import", "books", records, "--code-prefix", "M", "--dry-run"});
    QVERIFY2(marc.code == 0, qPrintable(marc.err));
    QVERIFY2(marc.out.startsWith(QLatin1String("2 schede pronte")) && marc.out.contains(QLatin1String("MARC 21 (ISO 2709, UTF-8)")),
        qPrintable(marc.out));

    QVERIFY(QFile::remove(plugin));
    const QByteArray before = folder.read("Libri.pro");
    const Result missing = run({"import", "books", records, "--code-prefix", "M"});
    QCOMPARE(missing.code, 2);
    QCOMPARE(missing.err, QStringLiteral("tomaria-cli: import MARC non è disponibile: manca il modulo tomaria-catalogo "
                                         "accanto al programma, in %1; reinstallare il programma\n")
                              .arg(QDir::toNativeSeparators(QFileInfo(program).canonicalPath())));
    QCOMPARE(folder.read("Libri.pro"), before);
    const Result csv = run({"import", "books", folder.file("schede.csv"), "--dry-run", "--allow-duplicates"});
    QVERIFY2(csv.code == 0, qPrintable(csv.err));
    QVERIFY2(csv.out.startsWith(QLatin1String("2 schede pronte")), qPrintable(csv.out));
}

// What makes the command line start slowly is every library it loads,
// used or not: the program itself records Qt Core and the libraries of
// the core's verbs, never those its plugins bring.
void CliTest::programLinksNoneOfThePluginsLibraries()
{
    QProcess readelf;
    readelf.start(QStringLiteral("readelf"), {QStringLiteral("-d"), QStringLiteral(TOMARIA_CLI)});
    if (!readelf.waitForStarted(kStartMs))
        QSKIP("readelf (binutils) is not installed");
    QVERIFY(readelf.waitForFinished(kRunMs));
    const QString dynamic = QString::fromUtf8(readelf.readAllStandardOutput());
    QVERIFY(dynamic.contains(QLatin1String("libQt6Core")));
    for (const char* library : {"libQt6Gui", "libyaz", "libzint", "libxlsxwriter", "libGL", "libQt6Widgets"})
        QVERIFY2(!dynamic.contains(QLatin1String(library)), library);
}

void CliTest::exportReplacesOnlyItsOwnFiles_data()
{
    QTest::addColumn<QStringList>("format");  // the export's options before --out
    QTest::addColumn<QString>("target");
    QTest::addColumn<QByteArray>("existing"); // null: no such file, unless `prepare` writes it
    QTest::addColumn<QStringList>("prepare"); // a command run first ("%1": the target), on another archive
    QTest::addColumn<bool>("link");           // the target is a link to the books archive
    QTest::addColumn<QString>("refusal");     // how the refusal ends; empty: the file is replaced
    const QStringList spreadsheet, csv{"--csv"}, xlsx{"--complete"};
    const QString never = QStringLiteral(": non viene sostituito\n");
    const QString notForced = QStringLiteral(": non viene sostituito senza --force\n");
    const QByteArray article = card(TSchedaArticolo, {{"Titolo", "Il porto riapre"}});
    const QByteArray password("[Accesso]\r\nValore=1A\r\n");
    const QString header = CardCsv::header(Books::collection());

    QTest::newRow("spreadsheet: the archive being exported") << spreadsheet << "Libri.pro" << QByteArray() << QStringList() << false << never;
    QTest::newRow("spreadsheet: another archive, not there yet") << spreadsheet << "DVD.pro" << QByteArray() << QStringList() << false << never;
    QTest::newRow("spreadsheet: a yearly archive") << spreadsheet << "2019.art" << article << QStringList() << false << never;
    QTest::newRow("spreadsheet: a yearly archive not there yet") << spreadsheet << "2031.art" << QByteArray() << QStringList() << false << never;
    QTest::newRow("spreadsheet: an archive name in other letter case") << spreadsheet << "libri.PRO" << QByteArray() << QStringList() << false << never;
    QTest::newRow("spreadsheet: the password file") << spreadsheet << "unins000.dll" << password << QStringList() << false << never;
    QTest::newRow("spreadsheet: a file of the user") << spreadsheet << "appunti.xls" << QByteArray("appunti") << QStringList() << false << notForced;
    QTest::newRow("spreadsheet: a link to the archive") << spreadsheet << "collegamento.xls" << QByteArray() << QStringList() << true << never;
    QTest::newRow("spreadsheet: one it wrote") << spreadsheet << "foglio.xls" << QByteArray()
                                               << QStringList{"export", "books", "--out", "%1"} << false << QString();

    QTest::newRow("CSV: a new file") << csv << "nuovo.csv" << QByteArray() << QStringList() << false << QString();
    QTest::newRow("CSV: a CSV of the user") << csv << "indirizzi.csv" << QByteArray("Nome;Via\r\nAnna;Roma 1\r\n") << QStringList() << false << notForced;
    QTest::newRow("CSV: the user's CSV with our header but no mark") << csv << "simile.csv" << header.toUtf8() + "\r\n" << QStringList() << false << notForced;
    QTest::newRow("CSV: a complete CSV of DVDs") << csv << "dvd.csv"
        << QByteArray("\xEF\xBB\xBF") + CardCsv::header(Dvds::collection()).toUtf8() + "\r\n" << QStringList() << false << QString();
    QTest::newRow("CSV: the program's spreadsheet") << csv << "Libri.xls" << QByteArray() << QStringList{"export", "books"} << false << notForced;
    QTest::newRow("CSV: the archive") << csv << "Libri.pro" << QByteArray() << QStringList() << false << never;
    QTest::newRow("CSV: an archive not there yet") << csv << "DVD.pro" << QByteArray() << QStringList() << false << never;
    QTest::newRow("CSV: the password file") << csv << "unins000.dll" << password << QStringList() << false << never;

    QFile other(QStringLiteral(TOMARIA_TEST_DATA "/xlsx/misto.xlsx"));
    QVERIFY(other.open(QIODevice::ReadOnly));
    QTest::newRow(".xlsx: a workbook of another program") << xlsx << "mio.xlsx" << other.readAll() << QStringList() << false
        << QStringLiteral(" non è un foglio .xlsx completo scritto da questo programma") + notForced;
    QTest::newRow(".xlsx: a complete workbook of DVDs") << xlsx << "catalogo.xlsx" << QByteArray()
        << QStringList{"export", "dvd", "--complete", "--out", "%1"} << false << QString();
}
// clang-format on

void CliTest::exportReplacesOnlyItsOwnFiles()
{
    QFETCH(QStringList, format);
    QFETCH(QString, target);
    QFETCH(QByteArray, existing);
    QFETCH(QStringList, prepare);
    QFETCH(bool, link);
    QFETCH(QString, refusal);
    TestFolder folder;
    const QString path = folder.file(target);
    folder.write("DVD.pro", card(TSchedaDVD, {{"Codice", "D-1"}, {"Titolo", "Il viaggio"}, {"Annullata", "No"}}));
    if (!prepare.isEmpty()) {
        folder.write("Libri.pro", goodBook(1));
        prepare.replaceInStrings(QStringLiteral("%1"), path);
        QCOMPARE(cli(QStringList{"--folder", folder.path()} + prepare).code, 0);
        if (target.endsWith(QLatin1String(".xlsx")))
            QVERIFY(CardXlsx::isOurs(path));
    }
    if (target == QLatin1String("DVD.pro"))
        QVERIFY(QFile::remove(folder.file("DVD.pro")));
    folder.write("Libri.pro", twoCards());
    if (!existing.isNull())
        folder.write(target, existing);
    if (link)
        QVERIFY(QFile::link(folder.file("Libri.pro"), path));
    const bool wasThere = QFileInfo::exists(path);
    const QByteArray before = wasThere ? folder.read(target) : QByteArray();

    const Result r = cli(QStringList{"--folder", folder.path(), "export", "books"} + format + QStringList{"--out", path});
    if (refusal.isEmpty()) {
        QVERIFY2(r.code == 0, qPrintable(r.err));
        QVERIFY(folder.read(target) != before);
        if (format == QStringList{"--csv"}) {
            QVERIFY(folder.read(target).startsWith("\xEF\xBB\xBF"
                                                   "Titolo;Codice;Convalida;"));
            QCOMPARE(folder.read(target).count("\r\n"), 3 + 1); // header, two cards, and a note's own line break
        } else if (format == QStringList{"--complete"}) {
            QVERIFY(CardXlsx::isOurs(path));
            QCOMPARE(xlsxHeader(path), CardCsv::header(Books::collection())); // the DVDs' workbook is gone
        } else {
            QVERIFY(folder.read(target).endsWith("</tr></table></body></html>"));
        }
    } else {
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.endsWith(refusal), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        QCOMPARE(QFileInfo::exists(path), wasThere);
        QCOMPARE(wasThere ? folder.read(target) : QByteArray(), before);
    }
    QCOMPARE(folder.read("Libri.pro"), twoCards());
}

namespace {

// What stands at a path, for telling whether a command touched it: its
// kind without following a link, a link's target, and the bytes of the
// regular file reached.
QString standingOf(const QString& path)
{
    struct stat st;
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return QStringLiteral("absent");
    if (S_ISLNK(st.st_mode))
        return QStringLiteral("link to ") + QFileInfo(path).symLinkTarget() + QStringLiteral(" reaching ")
            + (QFileInfo(path).isFile() && QFileInfo(path).size() < (1 << 20) ? standingOf(QFileInfo(path).symLinkTarget()) : QString());
    if (S_ISDIR(st.st_mode))
        return QStringLiteral("folder ") + QDir(path).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).join(u',');
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("special %1").arg(st.st_mode & S_IFMT);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("unreadable");
    return QStringLiteral("file %1 links %2 ").arg(st.st_mode & 07777).arg(st.st_nlink) + QString::fromLatin1(file.readAll().toHex());
}

QString folderStanding(const QString& folder)
{
    QStringList all;
    for (const QString& name : QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name))
        all << name + QLatin1Char('=') + standingOf(folder + QLatin1Char('/') + name);
    return all.join(u'\n');
}

// The ways each verb that takes --out writes, by the verb's name: its
// arguments before --out, and the extension its file has.
struct OutForm {
    QStringList args;
    QString suffix;
};
const QHash<QString, QList<OutForm>>& outForms()
{
    static const QHash<QString, QList<OutForm>> forms{
        {"export", {{{"export", "books"}, ".xls"}, {{"export", "books", "--csv"}, ".csv"}, {{"export", "books", "--complete"}, ".xlsx"}}},
        {"labels", {{{"labels", "books", "--kind", "barcode", "--sheet", "3x8"}, ".pdf"}}},
        {"reminders", {{{"reminders"}, ".pdf"}}},
    };
    return forms;
}

} // namespace

// Every --out of every verb goes through the one guard: whatever stands at
// the target (a file of the catalogue or of the program, however reached, a
// folder, a device, a FIFO) is refused even with --force, with nothing
// written anywhere; a user's file of another kind only with --force. The
// rows are made from the command line's own list of verbs that write, so a
// verb given --out without a row here fails.
void CliTest::everyOutGoesThroughTheGuard_data()
{
    QTest::addColumn<QStringList>("args"); // before --out
    QTest::addColumn<QString>("target");   // relative to the test's root; PROGRAM is the program folder
    QTest::addColumn<QString>("kind");     // what the row sets up at or around the target
    QTest::addColumn<bool>("force");
    QTest::addColumn<bool>("written");
    // The catalogue, side and program files, there or not yet.
    const QStringList programFiles{"Libri.pro", "DVD.pro", "2024.art", "2031.art", "LIBRI.PRO", "Tomaria.ini", "Tomaria-catalogo.ini",
        "unins000.dll", "Inventario.txt", "Libri.pro-journal", "Libri.pro-search", "2024.art-search", ".Tomaria-ripristino.journal",
        "tomaria-cli", "tomaria.exe", "libQt6Core.so.6", "programma"};
    const QStringList verbs = CommandLine::writingVerbs();
    QVERIFY(!verbs.isEmpty());
    for (const QString& verb : verbs) {
        if (!outForms().contains(verb))
            QFAIL(qPrintable(QStringLiteral("%1 writes --out but has no row here").arg(verb)));
        for (const OutForm& form : outForms()[verb]) {
            const QString name = form.args.join(u' ');
            for (const QString& file : programFiles)
                QTest::addRow("%s: %s", qPrintable(name), qPrintable(file)) << form.args << "PROGRAM/" + file << "as is" << true << false;
            const QString f = "fuori/bersaglio" + form.suffix;
            QTest::addRow("%s: a link to the archive", qPrintable(name)) << form.args << f << "link ../PROGRAM/Libri.pro" << true << false;
            QTest::addRow("%s: a link to an archive not there yet", qPrintable(name))
                << form.args << f << "link ../PROGRAM/DVD.pro" << true << false;
            QTest::addRow("%s: a link to the password file", qPrintable(name))
                << form.args << f << "link ../PROGRAM/unins000.dll" << true << false;
            QTest::addRow("%s: a hard link to the archive", qPrintable(name))
                << form.args << f << "hard PROGRAM/Libri.pro" << true << false;
            QTest::addRow("%s: the folder by a second name", qPrintable(name)) << form.args << "altro/Libri.pro"
                                                                               << "second" << true << false;
            QTest::addRow("%s: a folder", qPrintable(name)) << form.args << f << "folder" << true << false;
            QTest::addRow("%s: a link to a folder", qPrintable(name)) << form.args << f << "link ../PROGRAM" << true << false;
            QTest::addRow("%s: a FIFO", qPrintable(name)) << form.args << f << "fifo" << true << false;
            QTest::addRow("%s: a link to a device", qPrintable(name)) << form.args << f << "link /dev/null" << true << false;
            QTest::addRow("%s: a file of the user", qPrintable(name)) << form.args << f << "user" << false << false;
            QTest::addRow("%s: a file of the user, --force", qPrintable(name)) << form.args << f << "user" << true << true;
        }
    }
}

void CliTest::everyOutGoesThroughTheGuard()
{
    QFETCH(QStringList, args);
    QFETCH(QString, target);
    QFETCH(QString, kind);
    QFETCH(bool, force);
    QFETCH(bool, written);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString program = root.filePath("PROGRAM");
    QVERIFY(QDir().mkpath(program) && QDir().mkpath(root.filePath("fuori")));
    const auto put = [&](const QString& name, const QByteArray& bytes) {
        QFile f(program + "/" + name);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    };
    // A catalogue with a loan long overdue, so that every verb has
    // something to write.
    Record lent(TSchedaLibro);
    lent.setText("Titolo", QStringLiteral("Il barone rampante"));
    lent.setText("Codice", QStringLiteral("L-001"));
    lent.setText("Prestato", QStringLiteral("Rossi Mario"));
    lent.setText("Scadenza", QStringLiteral("02/03/2020"));
    lent.setText("Annullata", QStringLiteral("No"));
    put("Libri.pro", lent.bytes() + goodBook(2));
    put("2024.art", card(TSchedaArticolo, {{"Titolo", "Il porto riapre"}}));
    put("Tomaria.ini", "[Prestiti]\r\nGiorni=30\r\n");
    put("Tomaria-catalogo.ini", "[Catalogo]\r\nIdentita=abc\r\n");
    put("unins000.dll", "[Accesso]\r\nValore=1A\r\n");
    put("Inventario.txt", "Inventario Tomaria\nraccolta=books\nscaffale=\n");
    put("Libri.pro-search", QByteArray(64, 's'));
    put("tomaria-cli",
        "\x7f"
        "ELF");
    put("libQt6Core.so.6",
        "\x7f"
        "ELF");
    put("programma", "#!/bin/sh\n");
    QVERIFY(QFile::setPermissions(program + "/tomaria-cli", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(QFile::setPermissions(program + "/programma", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QString path = root.filePath(target);
    std::optional<FifoWatch> fifo;
    if (kind.startsWith(QLatin1String("link "))) {
        QVERIFY(QFile::link(kind.mid(5), path));
    } else if (kind.startsWith(QLatin1String("hard "))) {
        QCOMPARE(::link(QFile::encodeName(root.filePath(kind.mid(5))).constData(), QFile::encodeName(path).constData()), 0);
    } else if (kind == QLatin1String("second")) {
        QVERIFY(QFile::link(program, root.filePath("altro")));
    } else if (kind == QLatin1String("folder")) {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == QLatin1String("fifo")) {
        fifo.emplace(path);
        QVERIFY(fifo->created());
    } else if (kind == QLatin1String("user")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write("appunti della tesi") > 0);
    }
    const QString programBefore = folderStanding(program);
    const QString outsideBefore = folderStanding(root.filePath("fuori"));
    const QString targetBefore = standingOf(path);

    QProcess p;
    QTemporaryDir runtime;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    p.setProcessEnvironment(environment);
    p.setProgram(QStringLiteral(TOMARIA_CLI));
    p.setArguments(QStringList{"--folder", program} + args + QStringList{"--out", path} + (force ? QStringList{"--force"} : QStringList()));
    p.start();
    QVERIFY2(p.waitForStarted(kStartMs) && p.waitForFinished(60'000), "tomaria-cli did not finish");
    const QString err = QString::fromUtf8(p.readAllStandardError());
    if (fifo)
        QVERIFY2(!fifo->hung(), "the FIFO was opened");
    if (written) {
        QVERIFY2(p.exitCode() == 0, qPrintable(err));
        QVERIFY(standingOf(path) != targetBefore);
        QCOMPARE(folderStanding(program), programBefore);
        return;
    }
    QVERIFY2(p.exitCode() == 2, qPrintable(err));
    QVERIFY2(err.startsWith(QLatin1String("tomaria-cli: ")) && err.count(u'\n') >= 1, qPrintable(err));
    QVERIFY2(!err.contains(QLatin1String(" is ")) && !err.contains(QLatin1String("file exists")), qPrintable(err));
    if (kind == QLatin1String("user"))
        QVERIFY2(err.contains(QLatin1String("--force")) || err.contains(QLatin1String(".pdf")), qPrintable(err));
    QCOMPARE(standingOf(path), targetBefore);
    QCOMPARE(folderStanding(program), programBefore);
    QCOMPARE(folderStanding(root.filePath("fuori")), outsideBefore);
}

// Every export writes beside the old file and replaces it only once the new
// one is whole: a full disk keeps the old file and leaves nothing behind.
// clang-format off
void CliTest::exportThatCannotBeWrittenSaysWhy_data()
{
    QTest::addColumn<QStringList>("command"); // after --folder; a final --out takes the file
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("cards");          // in the archive for the second export
    QTest::addColumn<double>("limit");       // the file-size limit, in sizes of the first file
    QTest::addColumn<bool>("separate");      // run as a program of its own, which inherits the limit
    QTest::newRow("spreadsheet") << QStringList{"export", "books"} << "Libri.xls" << 3 << 0.5 << false;
    QTest::newRow("complete CSV") << QStringList{"export", "books", "--csv", "--out"} << "tutto.csv" << 199 << 2.0 << false;
    QTest::newRow("complete .xlsx") << QStringList{"export", "books", "--complete", "--out"} << "tutto.xlsx" << 199 << 0.5
                                    << false;
    // The labels need the system's fonts, which this test's own process lacks.
    QTest::newRow("labels PDF") << QStringList{"labels", "books", "--kind", "barcode", "--sheet", "3x8", "--out"}
                                << "etichette.pdf" << 100 << 1.0 << true;
}
// clang-format on

void CliTest::exportThatCannotBeWrittenSaysWhy()
{
    QFETCH(QStringList, command);
    QFETCH(QString, file);
    QFETCH(int, cards);
    QFETCH(double, limit);
    QFETCH(bool, separate);
    TestFolder folder;
    const QStringList args = QStringList{"--folder", folder.path()} + command
        + (command.last() == QLatin1String("--out") ? QStringList{folder.file(file)} : QStringList());
    auto runOnce = [&] {
        if (!separate)
            return cli(args);
        // A runtime folder of its own, or Qt warns on the error stream.
        QTemporaryDir runtime;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        QProcess p;
        p.setProgram(QStringLiteral(TOMARIA_CLI));
        p.setArguments(args);
        p.setProcessEnvironment(environment);
        p.start();
        if (!finished(&p) || p.exitStatus() != QProcess::NormalExit)
            return Result{-1, {}, QStringLiteral("tomaria-cli did not finish")};
        return Result{p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
    };
    folder.write("Libri.pro", twoCards());
    const Result first = runOnce();
    QVERIFY2(first.code == 0, qPrintable(first.err));
    const QByteArray previous = folder.read(file);
    QVERIFY(!previous.isEmpty());
    QByteArray more = twoCards();
    for (int i = 3; i <= cards; ++i)
        more += goodBook(i);
    folder.write("Libri.pro", more);
    Result r;
    {
        FileSizeLimit full(rlim_t(double(previous.size()) * limit));
        r = runOnce();
    }
    QCOMPARE(r.code, 2);
    QCOMPARE(r.err,
        QStringLiteral("tomaria-cli: impossibile scrivere %1: superato il limite di dimensione dei file; "
                       "l'eventuale file precedente è rimasto com'era\n")
            .arg(folder.file(file)));
    QVERIFY(r.out.isEmpty());
    QCOMPARE(folder.read(file), previous);
    // No temporary file left beside it.
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files, QDir::Name), (QStringList{"Libri.pro", file}));
}

// clang-format off
void CliTest::nonRegularArchivesAreReadErrors_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("command");
    const QStringList commands[] = {{"search", "books"}, {"check", "books"}, {"export", "books"}, {"sample", "books", "3"}};
    for (const char* kind : {"fifo", "/dev/zero", "/dev/null"}) {
        for (const QStringList& command : commands)
            QTest::addRow("%s, %s", kind, qPrintable(command[0])) << QString::fromLatin1(kind) << command;
    }
}
// clang-format on

void CliTest::nonRegularArchivesAreReadErrors()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, command);
    TestFolder folder;
    const QString archive = folder.file("Libri.pro");
    std::optional<FifoWatch> fifo;
    if (kind == QLatin1String("fifo")) {
        fifo.emplace(archive);
        QVERIFY(fifo->created());
    } else {
        QVERIFY(QFile::link(kind, archive));
    }
    const Result r = cli(QStringList{"--folder", folder.path()} + command);
    QCOMPARE(r.code, 2);
    const QString expected = command[0] == QLatin1String("sample")
        ? QStringLiteral("tomaria-cli: impossibile aprire %1 in scrittura: non è un file regolare\n").arg(archive)
        : QStringLiteral("tomaria-cli: impossibile leggere %1: non è un file regolare\n").arg(archive);
    QCOMPARE(r.err, expected);
    QVERIFY(r.out.isEmpty());
    QVERIFY(!fifo || !fifo->hung());
}

// clang-format off
void CliTest::stocktakeRefusesCodesFilesBeyondBudget_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("why");
    QTest::newRow("FIFO") << "fifo" << "non è un file di testo ordinario (una cartella, una pipe o un dispositivo)";
    QTest::newRow("a device") << "device" << "non è un file di testo ordinario (una cartella, una pipe o un dispositivo)";
    QTest::newRow("a line of 8 MB") << "line" << "la riga 2 supera 256 caratteri: non è un codice";
}
// clang-format on

void CliTest::stocktakeRefusesCodesFilesBeyondBudget()
{
    // The program itself: a FIFO would hang it, /dev/zero never end, a long
    // line be held whole. Each is refused at once, with nothing counted.
    QFETCH(QString, kind);
    QFETCH(QString, why);
    TestFolder folder;
    folder.write("Libri.pro", goodBook(1));
    QString codes = folder.file("letti.txt");
    std::optional<FifoWatch> fifo;
    if (kind == QLatin1String("fifo")) {
        fifo.emplace(codes);
        QVERIFY(fifo->created());
    } else if (kind == QLatin1String("device")) {
        codes = QStringLiteral("/dev/zero");
    } else {
        folder.write("letti.txt", "L-1\n" + QByteArray(8 * 1024 * 1024, 'x') + "\n");
    }
    const Result r = cli({"--folder", folder.path(), "stocktake", "books", codes});
    QCOMPARE(r.code, 2);
    QCOMPARE(r.err, QStringLiteral("tomaria-cli: impossibile leggere %1: %2\n").arg(codes, why));
    QVERIFY(r.out.isEmpty());
    QVERIFY(!fifo || !fifo->hung());
}

void CliTest::sampleUnderFileSizeLimitFailsAndUndoes()
{
    // The program itself, with the signal's default action restored: it
    // must ignore SIGXFSZ on its own, or the limit would kill it mid-batch.
    TestFolder folder;
    const QByteArray original = goodBook(1) + goodBook(2);
    folder.write("Libri.pro", original);
    QProcess p;
    p.setProgram(QStringLiteral(TOMARIA_CLI));
    p.setArguments({"--folder", folder.path(), "sample", "books", "2500"});
    // Room for one batch of a thousand cards and half of the next.
    p.setChildProcessModifier([limit = rlim_t(original.size() + 1500 * kBook)] {
        std::signal(SIGXFSZ, SIG_DFL);
        rlimit r{};
        getrlimit(RLIMIT_FSIZE, &r);
        r.rlim_cur = limit;
        setrlimit(RLIMIT_FSIZE, &r);
    });
    p.start();
    QVERIFY(finished(&p));
    QCOMPARE(p.exitStatus(), QProcess::NormalExit);
    QCOMPARE(p.exitCode(), 2);
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(err,
        QStringLiteral("tomaria-cli: scrittura delle schede in %1 non riuscita dopo 1000 schede aggiunte: "
                       "superato il limite di dimensione dei file\n")
            .arg(folder.file("Libri.pro")));
    const QByteArray after = folder.read("Libri.pro");
    QCOMPARE(after.size(), original.size() + 1000 * kBook);
    QCOMPARE(after.left(original.size()), original);
    QCOMPARE(cli({"--folder", folder.path(), "check", "books"}).out.contains(QLatin1String("incompleta")), false);
}

void CliTest::concurrentSamplesKeepEveryCard()
{
    // Two writers at once, each in batches of a thousand cards: without the
    // lock both compute the same end and one batch overwrites the other.
    TestFolder folder;
    constexpr int kEach = 12000;
    QObject owner;
    QProcess* a = startCli({"--folder", folder.path(), "sample", "books", QString::number(kEach), "--seed", "1"}, &owner);
    QProcess* b = startCli({"--folder", folder.path(), "sample", "books", QString::number(kEach), "--seed", "2"}, &owner);
    QVERIFY(finished(a));
    QVERIFY(finished(b));
    QCOMPARE(a->exitCode(), 0);
    QCOMPARE(b->exitCode(), 0);
    const QByteArray archive = folder.read("Libri.pro");
    QCOMPARE(archive.size(), 2 * kEach * kBook);
    QSet<QByteArray> cards;
    for (int i = 0; i < 2 * kEach; ++i)
        cards.insert(archive.mid(qsizetype(i) * kBook, kBook));
    QCOMPARE(cards.size(), 2 * kEach); // every card once: none written over another
}

// clang-format off
void CliTest::importBringsBackAnExportedSheet_data()
{
    // Sheets that the program exported from its sample cards (seed 1) and
    // LibreOffice saved as CSV: books with ";" in UTF-8, DVDs with "," in
    // Windows-1252.
    QTest::addColumn<QString>("collection");
    QTest::addColumn<int>("cards");
    QTest::addColumn<QString>("csv");
    QTest::newRow("books") << "books" << 40 << "import_libri.csv";
    QTest::newRow("dvd") << "dvd" << 30 << "import_dvd.csv";
}
// clang-format on

void CliTest::importBringsBackAnExportedSheet()
{
    QFETCH(QString, collection);
    QFETCH(int, cards);
    QFETCH(QString, csv);
    const Collection& c = *Collection::find(collection.toStdString());
    TestFolder original, imported;
    QCOMPARE(cli({"--folder", original.path(), "sample", collection, QString::number(cards)}).code, 0);
    const Result r = cli({"--folder", imported.path(), "import", collection, QStringLiteral(TOMARIA_TEST_DATA "/") + csv});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.out.startsWith(QStringLiteral("%1 schede importate").arg(cards)), qPrintable(r.out + r.err));
    // The spreadsheet has no loan or attachment column: the report says so.
    QVERIFY2(r.out.contains(QStringLiteral("le schede importate non avranno prestiti né allegati")), qPrintable(r.out));

    // Byte for byte, apart from the slots the export leaves out; the
    // validation flag is not exported either, and both sides write "No".
    const QString archive = c.archiveName();
    QByteArray before = original.read(archive), after = imported.read(archive);
    QCOMPARE(after.size(), before.size());
    for (const FieldDef& f : c.layout->fields) {
        const bool exported = f.name == "Convalida"
            || std::any_of(
                c.exportTable->columns.begin(), c.exportTable->columns.end(), [&](const ExportColumn& e) { return e.field == f.name; });
        for (int i = 0; !exported && i < cards; ++i) {
            before.replace(i * c.layout->size + f.offset, f.capacity + 1, QByteArray(f.capacity + 1, '\0'));
            after.replace(i * c.layout->size + f.offset, f.capacity + 1, QByteArray(f.capacity + 1, '\0'));
        }
    }
    QCOMPARE(after, before);
}

// clang-format off
void CliTest::importReadsQuotedFieldsInEitherEncoding_data()
{
    QTest::addColumn<QByteArray>("csv");
    // A quoted field holding the separator, a doubled quote and a line
    // break; an accented letter and the euro sign in either encoding.
    const QByteArray utf8 = "\xEF\xBB\xBFTitolo;Codice;Autore;Prezzo;Note;Annullata\n"
                            "\"Uno; due\";C1;Perch\xC3\xA9;12 \xE2\x82\xAC;\"prima \"\"riga\"\"\nseconda; riga\";\n"
                            "Tre;C2;Rossi;;;S\xC3\xAC\n";
    QByteArray cp1252 = utf8.mid(3);
    cp1252.replace("\xC3\xA9", "\xE9").replace("\xE2\x82\xAC", "\x80").replace("\xC3\xAC", "\xEC").replace("\n", "\r\n");
    QTest::newRow("utf-8 with byte-order mark, LF") << utf8;
    QTest::newRow("windows-1252, CR LF") << cp1252;
}
// clang-format on

void CliTest::importReadsQuotedFieldsInEitherEncoding()
{
    QFETCH(QByteArray, csv);
    TestFolder folder;
    folder.write("schede.csv", csv);
    const Result r = cli({"--folder", folder.path(), "import", "books", folder.file("schede.csv")});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    // The note's line break becomes a blank: the card shows a note on one line.
    const QByteArray expected = book({{"Titolo", "Uno; due"}, {"Codice", "C1"}, {"Autore", "Perché"}, {"Prezzo", "12 €"},
                                    {"Note", "prima \"riga\" seconda; riga"}})
        + book({{"Titolo", "Tre"}, {"Codice", "C2"}, {"Autore", "Rossi"}, {"Annullata", "Sì"}});
    QCOMPARE(folder.read("Libri.pro"), expected);
}

namespace {

// A card of `layout` with every slot filled by a value that tests the CSV:
// accents, the euro sign, the separator alone, quotes alone, both, cut to
// the slot. Line breaks only in the article text (a one-line field with a
// break has rows of its own below).
// `full` fills each slot to its capacity; the article text gets line
// breaks, and the article's slots (stored as typed) blanks at both ends.
QByteArray everyField(const RecordLayout& layout, int n, bool full)
{
    Record r(layout);
    int i = 0;
    for (const FieldDef& f : layout.fields) {
        ++i;
        const QString name = Text::latin1(f.name);
        QString value;
        if (name == "Convalida" || name == "Annullata")
            value = n % 2 ? QStringLiteral("S\u00ec") : QStringLiteral("No");
        else if (name == "Scadenza" || name == "DataPub")
            value = QStringLiteral("%1/11/2026").arg(10 + n);
        else if (name == "Codice")
            value = QStringLiteral("C;%1 \"b\"").arg(n);
        else if (name == "Testo")
            value = QStringLiteral("Prima riga; \"citata\" \u00e0\u00e8\u00ec\u00f2\u00f9 \u20ac\r\n\r\nterza riga, %1\r\n").arg(n);
        else if (name == "Note")
            value = QStringLiteral("Nota %1; seconda parte").arg(n);
        else if (i % 4 == 0)
            value = QStringLiteral("\u00e8;%1 %2 \u20ac").arg(name).arg(n);
        else if (i % 4 == 1)
            value = QStringLiteral("\"%1\" %2 \u00f1").arg(name).arg(n);
        else if (i % 4 == 2)
            value = QStringLiteral("%1 %2, \u00ab\u00e0\u00e9\u00bb").arg(name).arg(n);
        else
            value = QStringLiteral("%1; \"%2\" \u00f9").arg(name).arg(n);
        if (layout.kind == SlotKind::ZeroTerminated && name != "Testo")
            value = QStringLiteral("  ") + value + QStringLiteral(" ");
        if (full) {
            const QString seed = value;
            while (value.size() < f.capacity)
                value += seed;
        }
        r.setText(f.name, value.left(f.capacity));
    }
    return r.bytes();
}

// A card with only what its collection requires, as a card screen saves it.
QByteArray fewFields(const Collection& c, int n)
{
    Record r(*c.layout);
    for (const RequiredField& f : c.required)
        r.setText(f.field, QStringLiteral("%1 %2").arg(Text::latin1(f.field)).arg(n));
    for (const char* flag : {"Convalida", "Annullata"}) {
        if (r.has(flag))
            r.setText(flag, QStringLiteral("No"));
    }
    return r.bytes();
}

} // namespace

// clang-format off
void CliTest::completeCsvRoundTrip_data()
{
    QTest::addColumn<QString>("collection");
    QTest::addColumn<QByteArray>("archive");
    for (const Collection* c : Collection::all()) {
        const QString key = Text::latin1(c->key);
        QTest::addRow("%s: every field", c->key.data()) << key << everyField(*c->layout, 1, false) + everyField(*c->layout, 2, false);
        QTest::addRow("%s: slots full", c->key.data()) << key << everyField(*c->layout, 3, true);
        QTest::addRow("%s: required fields only", c->key.data()) << key << fewFields(*c, 4);
        QTest::addRow("%s: mixed", c->key.data()) << key << fewFields(*c, 5) + everyField(*c->layout, 6, false) + everyField(*c->layout, 7, true);
        // Another program may have stored a line break in a one-line field:
        // moving the catalogue keeps it, where a user's CSV would have a
        // blank in its place.
        Record broken(*c->layout);
        broken.bytes() = fewFields(*c, 8);
        broken.setText("Titolo", QStringLiteral("Prima riga\r\nseconda riga"));
        QTest::addRow("%s: line break in a one-line field", c->key.data()) << key << broken.bytes();
    }
}
// clang-format on

// Exported as the complete CSV and imported into an empty program folder,
// an archive comes back byte for byte: every field of every card, loans,
// attachments and flags included.
void CliTest::completeCsvRoundTrip()
{
    QFETCH(QString, collection);
    QFETCH(QByteArray, archive);
    const Collection& c = *Collection::find(collection.toStdString());
    const QStringList year = c.yearly() ? QStringList{"--year", "2026"} : QStringList{};
    const QString name = c.archiveName(QStringLiteral("2026"));
    const int cards = int(archive.size() / c.layout->size);
    TestFolder original, moved;
    original.write(name, archive);
    const QString csv = original.file("catalogo.csv");

    Result r = cli(QStringList{"--folder", original.path(), "export", collection, "--csv", "--out", csv} + year);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(r.out, QStringLiteral("%1 in %2\n").arg(Text::counted(cards, u"scheda esportata", u"schede esportate"), csv));
    QCOMPARE(original.read(name), archive);
    const QByteArray text = original.read("catalogo.csv");
    QVERIFY(text.startsWith("\xEF\xBB\xBF"
                            "Titolo;"));

    r = cli(QStringList{"--folder", moved.path(), "import", collection, csv} + year);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(moved.read(name).size(), archive.size());
    // Field by field first, so that a difference names its field.
    for (int i = 0; i < cards; ++i) {
        Record before(*c.layout), after(*c.layout);
        before.bytes() = archive.mid(i * c.layout->size, c.layout->size);
        after.bytes() = moved.read(name).mid(i * c.layout->size, c.layout->size);
        for (const FieldDef& f : c.layout->fields)
            QVERIFY2(after.text(f.name) == before.text(f.name),
                qPrintable(QStringLiteral("card %1, %2: %3").arg(i + 1).arg(Text::latin1(f.name), after.text(f.name))));
    }
    QCOMPARE(moved.read(name), archive);
}

void CliTest::backupListAndRestoreByteForByte()
{
    TestFolder folder;
    BackupFixtures::fill(folder);
    // The catalogue's identity file records each copy made: it belongs to
    // the program folder, never to the catalogue a copy holds.
    const auto catalogue = [&] {
        auto all = BackupFixtures::tree(folder.path(), QStringLiteral("Copie_di_sicurezza"));
        all.remove(QStringLiteral("Tomaria-catalogo.ini"));
        return all;
    };
    const auto original = catalogue();
    QTemporaryDir elsewhere;
    Result r = cli({"--folder", folder.path(), "backup", "--to", elsewhere.path()});
    QCOMPARE(r.code, 0);
    const QString zip = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).last();
    QCOMPARE(QFileInfo(zip).absolutePath(), QDir(elsewhere.path()).absolutePath());
    QVERIFY(!BackupFixtures::unzipAll(zip).isEmpty());

    // Into the copies' folder: listed with its cards.
    r = cli({"--folder", folder.path(), "backup"});
    QCOMPARE(r.code, 0);
    const QString kept = r.out.trimmed();
    QVERIFY(kept.startsWith(folder.file(QStringLiteral("Copie_di_sicurezza/Tomaria-"))));
    r = cli({"--folder", folder.path(), "backups"});
    QCOMPARE(r.code, 0);
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 1);
    QVERIFY(lines[0].startsWith(QFileInfo(kept).fileName() + QStringLiteral("  ")));
    QVERIFY2(lines[0].endsWith(QStringLiteral(" byte  Libri.pro: 2, DVD.pro: 3, 2024.art: 1, 2025.art: 2")), qPrintable(lines[0]));

    // Changed, then restored: the catalogue as it was, byte for byte; what
    // is not the catalogue is left alone.
    folder.write(QStringLiteral("Libri.pro"), QByteArray(kBook * 5, 'x'));
    folder.write(QStringLiteral("Libri.xls"), QByteArray("nuovo"));
    r = cli({"--folder", folder.path(), "restore", zip});
    QCOMPARE(r.code, 0);
    auto now = catalogue();
    QCOMPARE(now.take(QStringLiteral("Libri.xls")), QByteArray("nuovo"));
    auto expected = original;
    expected.remove(QStringLiteral("Libri.xls"));
    QCOMPARE(now, expected);

    // A truncated zip: refused, exit code 1, nothing changed.
    QFile cut(zip);
    QVERIFY(cut.open(QIODevice::ReadWrite) && cut.resize(cut.size() - 40));
    cut.close();
    const auto before = BackupFixtures::tree(folder.path());
    r = cli({"--folder", folder.path(), "restore", zip});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.startsWith(QStringLiteral("tomaria-cli: ripristino di ")), qPrintable(r.err));
    QCOMPARE(BackupFixtures::tree(folder.path()), before);

    // A folder where the copy cannot go: exit code 2, said why.
    r = cli({"--folder", folder.path(), "backup", "--to", folder.file(QStringLiteral("Libri.xls/copie"))});
    QCOMPARE(r.code, 2);
    QVERIFY(r.err.contains(QStringLiteral("non riuscita")));
    QVERIFY(r.out.isEmpty());
}

// A CSV of `rows` distinct books, ";" separated.
QByteArray manyBooks(int rows, int from = 1000, bool header = true)
{
    QByteArray csv = header ? "Titolo;Codice;Autore;Note\r\n" : "";
    csv.reserve(rows * 40);
    for (int i = 0; i < rows; ++i)
        csv += "Titolo " + QByteArray::number(from + i) + ";K" + QByteArray::number(from + i) + ";Autore;nota\r\n";
    return csv;
}

// clang-format off
void CliTest::importRefusesHostileFiles_data()
{
    // Each file is refused with its cause, and the archive keeps its bytes.
    QTest::addColumn<QString>("collection");
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<QStringList>("messages");
    const QStringList none;
    const QString b = "books", a = "articles";
    QTest::newRow("value longer than its slot") << b << QByteArray("Titolo;Codice;Autore\r\nT;1234567890123456789012345;A\r\n") << none
        << QStringList{"riga 2, colonna B (\"Codice\"): 25 caratteri, ma il campo ne contiene al massimo 24"};
    QTest::newRow("character outside Windows-1252") << b << QByteArray("Titolo,Codice,Autore\n\xCE\xA9mega,C1,A\n") << none
        << QStringList{"riga 2, colonna A (\"Titolo\"): il carattere \"\u03A9\" (U+03A9) non si può scrivere in Windows-1252"};
    QTest::newRow("empty required field") << b << QByteArray("Titolo libro;Codice identificativo;Autore\nT;C1;  \n") << none
        << QStringList{"riga 2, colonna C (\"Autore\"): campo obbligatorio vuoto"};
    QTest::newRow("same field twice") << b << QByteArray("Titolo;Titolo libro;Codice;Autore\nT;T;C;A\n") << none
        << QStringList{"riga 1, colonna B (\"Titolo libro\"): colonna ripetuta"};
    QTest::newRow("required column missing") << b << QByteArray("Titolo;Codice\nT;C\n") << none
        << QStringList{"riga 1: manca la colonna obbligatoria \"Autore\""};
    QTest::newRow("cancelled flag neither Sì nor No") << b << QByteArray("Titolo;Codice;Autore;Scheda annullata\nT;C;A;forse\n") << none
        << QStringList{"riga 2, colonna D (\"Scheda annullata\"): \"forse\" non è un valore ammesso"};
    QTest::newRow("quote left open") << b << QByteArray("Titolo;Codice;Autore\nT;C;A\n\"T;C;A\n") << none
        << QStringList{"riga 3: virgolette non chiuse o fuori posto"};
    QTest::newRow("row of another length") << b << QByteArray("Titolo;Codice;Autore\nT;C\n") << none
        << QStringList{"riga 2: 2 campi invece dei 3 dell'intestazione"};
    // Good rows first, and a line break inside a quoted field before the
    // bad row: nothing is written and the line is the bad row's own.
    QTest::newRow("bad row after good ones") << b << QByteArray("Titolo;Codice;Autore\nT1;C1;A\n\"T2\nsegue\";C2;A\nT3;C3;\n") << none
        << QStringList{"riga 5, colonna C (\"Autore\"): campo obbligatorio vuoto"};
    QTest::newRow("NUL at the start of a title") << b << QByteArray("Titolo;Codice;Autore\nT;C5;A\n\0Titolo;C6;A\n", 39) << none
        << QStringList{"riga 3, colonna A (\"Titolo\"): il carattere di controllo 0x00 non è ammesso"};
    QTest::newRow("NUL inside an article text") << a << QByteArray("Titolo;Testo\nT;prima\0seconda\n", 29) << none
        << QStringList{"riga 2, colonna B (\"Testo\"): il carattere di controllo 0x00 non è ammesso"};
    QTest::newRow("escape byte in a note") << b << QByteArray("Titolo;Codice;Autore;Note\nT;C5;A;a\x1b[31m\n") << none
        << QStringList{"riga 2, colonna D (\"Note\"): il carattere di controllo 0x1b non è ammesso"};
    QTest::newRow("CR line ends: the line of the problem") << b << QByteArray("Titolo;Codice;Autore\rT;C5;A\r\"T\rsegue\";C6;\r") << none
        << QStringList{"riga 3, colonna C (\"Autore\"): campo obbligatorio vuoto"};
    QTest::newRow("UTF-8 and Windows-1252 mixed") << b << QByteArray("Titolo;Codice;Autore\nCitt\xC3\xA0;C5;A\n\"Perch\xE9\";C6;A\n") << none
        << QStringList{"riga 3: carattere 7: il byte 0xe9 non è UTF-8", "--encoding windows-1252"};
    QTest::newRow("Windows-1252 said to be UTF-8") << b << QByteArray("Titolo;Codice;Autore\nPerch\xE9;C5;A\n") << QStringList{"--encoding", "utf-8"}
        << QStringList{"riga 2: carattere 6: il byte 0xe9 non è UTF-8, ma --encoding dice utf-8"};
    QTest::newRow("attachment outside its folder") << b << QByteArray("Titolo;Codice;Autore;File01\nT;C5;A;../../../etc/passwd\n") << none
        << QStringList{"riga 2, colonna D (\"File01\"): \"../../../etc/passwd\" non è un nome di allegato ammesso"};
    QTest::newRow("attachment with a device name") << a << QByteArray("Titolo;File02\nT;nul.txt\n") << none
        << QStringList{"riga 2, colonna B (\"File02\"): \"nul.txt\" non è un nome di allegato ammesso"};
    QTest::newRow("attachment on a drive") << b << QByteArray("Titolo;Codice;Autore;File03\nT;C5;A;C:autoexec.bat\n") << none
        << QStringList{"riga 2, colonna D (\"File03\"): \"C:autoexec.bat\" non è un nome di allegato ammesso"};
    QTest::newRow("a field of 2 MB") << b << QByteArray("Titolo;Codice;Autore\n\"") + QByteArray(2 * 1024 * 1024, 'x') + "\";C5;A\n" << none
        << QStringList{"riga 2: un campo supera 1048576 byte"};
    QTest::newRow("a title of 200,000 characters") << b << QByteArray("Titolo;Codice;Autore\n") + QByteArray(200000, 'x') + ";C5;A\n" << none
        << QStringList{"riga 2, colonna A (\"Titolo\"): 200000 caratteri, ma il campo ne contiene al massimo 250"};
    QTest::newRow("the program's own spreadsheet") << b
        << QByteArray("<html xmlns:o=\"urn:schemas-microsoft-com:office:office\"><body><table><tr><td>Titolo</td></tr></table></body></html>")
        << none << QStringList{"riga 1: il file è una pagina HTML", "\"Testo CSV\""};
    QTest::newRow("an office document") << b << QByteArray("PK\x03\x04\x14\x00\x06\x00\x08\x00\x00\x00!\x00", 14) + "xl/workbook.xml" << none
        << QStringList{"riga 1: il file è un documento compresso (foglio di calcolo .xlsx o .ods"};
    QTest::newRow("an old office document") << b << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1\0\0\0\0", 12) << none
        << QStringList{"riga 1: il file è un documento di Office nel vecchio formato (.xls o .doc)"};
    QByteArray binary;
    for (int i = 0; i < 256; ++i)
        binary += char(i * 7);
    QTest::newRow("a binary file") << b << binary << none << QStringList{"riga 1: il file non è di testo"};
    QTest::newRow("tab separated, with a problem") << b << QByteArray("Titolo\tCodice\tAutore\nT\tC5\t\n") << none
        << QStringList{"riga 2, colonna C (\"Autore\"): campo obbligatorio vuoto"};
    QTest::newRow("unknown column: the accepted names") << b << QByteArray("Titolo;Codice;Autore;Colore\nT;C5;A;rosso\n") << none
        << QStringList{"riga 1, colonna D (\"Colore\"): colonna sconosciuta per i libri\n", "colonne ammesse per i libri: Titolo (o Titolo libro); Codice (o Codice identificativo);",
               "Citta (o Città, Città pubblicazione)", "Prestato (o Prestato a)"};
    QTest::newRow("unknown DVD column") << "dvd" << QByteArray("Titolo;Codice;Regia;Colore\nT;C5;R;rosso\n") << none
        << QStringList{"colonna sconosciuta per i DVD", "colonne ammesse per i DVD:"};
    QTest::newRow("column without a name in the middle") << b << QByteArray("Titolo;;Codice;Autore\nT;x;C5;A\n") << none
        << QStringList{"riga 1, colonna B: colonna senza nome"};
    QTest::newRow("value under a trailing column without a name") << b << QByteArray("Titolo;Codice;Autore;\nT;C5;A;\nT2;C6;A;x\n") << none
        << QStringList{"riga 3, colonna D: valore in una colonna senza nome"};
    QTest::newRow("code already in the archive") << b << QByteArray("Titolo;Codice;Autore\nT;C5;A\nT;  c1 ;A\n") << none
        << QStringList{"riga 3, colonna B (\"Codice\"): il codice \"c1\" è già nell'archivio (scheda 1)",
               "Nessuna scheda importata: 1 codice già presente o ripetuto (--allow-duplicates lo importa comunque)"};
    QTest::newRow("code repeated within the file") << b << QByteArray("Titolo;Codice;Autore\nT;C5;A\nT;C6;A\nT;c5;A\n") << none
        << QStringList{"riga 4, colonna B (\"Codice\"): il codice \"c5\" è ripetuto: è già alla riga 2"};
    QTest::newRow("two codes repeated") << b << QByteArray("Titolo;Codice;Autore\nT;C5;A\nT;C5;A\nT;c1;A\n") << none
        << QStringList{"Nessuna scheda importata: 2 codici già presenti o ripetuti (--allow-duplicates li importa comunque)"};
    QTest::newRow("one problem") << b << QByteArray("Titolo;Codice;Autore\nT;C5;\n") << none
        << QStringList{"Nessuna scheda importata: 1 problema;"};
    QTest::newRow("duplicates shown by a dry run") << "dvd" << QByteArray("Titolo;Codice;Regia\nT;D1;R\nT;D1;R\n") << QStringList{"--dry-run"}
        << QStringList{"riga 3, colonna B (\"Codice\"): il codice \"D1\" è ripetuto: è già alla riga 2"};
}
// clang-format on

void CliTest::importRefusesHostileFiles()
{
    QFETCH(QString, collection);
    QFETCH(QByteArray, csv);
    QFETCH(QStringList, extra);
    QFETCH(QStringList, messages);
    const Collection& c = *Collection::find(collection.toStdString());
    TestFolder folder;
    const QString year = c.yearly() ? QStringLiteral("2026") : QString();
    const QString archive = c.archiveName(year);
    QByteArray before;
    if (c.layout == &TSchedaLibro)
        before = goodBook(1) + goodBook(2);
    else if (c.layout->find("Codice"))
        before = card(*c.layout, {{"Titolo", "Uno"}, {"Codice", "D0"}}) + QByteArray(100, 'p'); // a partial card too
    else
        before = card(*c.layout, {{"Titolo", "Uno"}});
    folder.write(archive, before);
    folder.write("schede.csv", csv);
    QStringList args{"--folder", folder.path(), "import", collection, folder.file("schede.csv")};
    if (!year.isEmpty())
        args << "--year" << year;
    const Result r = cli(args + extra);
    QCOMPARE(r.code, 1);
    for (const QString& m : messages)
        QVERIFY2(r.err.contains(m), qPrintable(r.err));
    QVERIFY2(r.err.endsWith(QStringLiteral("l'archivio è rimasto com'era.\n")), qPrintable(r.err));
    QCOMPARE(folder.read(archive), before);
    QVERIFY(!QFile::exists(AppendJournal::pathFor(folder.file(archive))));
}

// clang-format off
void CliTest::importAcceptsTheUsersWords_data()
{
    // Header names as the user may write them, and what each file stores.
    QTest::addColumn<QString>("collection");
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<QStringList>("extra");
    QTest::addColumn<QByteArray>("stored"); // after the archive's two cards
    QTest::addColumn<QString>("said");
    const QStringList none;
    const QString b = "books";
    const QByteArray t = book({{"Titolo", "T"}, {"Codice", "C5"}, {"Autore", "A"}});
    QTest::newRow("record names in any case") << b << QByteArray("TITOLO;codice;AuToRe\nT;C5;A\n") << none << t << "1 scheda importata";
    QTest::newRow("card captions with colon") << b << QByteArray("Titolo libro:;Codice:;Autore:;Citt\xC3\xA0:;Prestato a:;Data prestito:\nT;C5;A;Roma;Anna;01/02/2026\n")
        << none << book({{"Titolo", "T"}, {"Codice", "C5"}, {"Autore", "A"}, {"Citta", "Roma"}, {"Prestato", "Anna"}, {"Scadenza", "01/02/2026"}})
        << "non avranno allegati";
    QTest::newRow("captions without colon, odd case and blanks") << b << QByteArray(" titolo  LIBRO ; codice ;autore; CITT\xC3\xA0 :;prestato A\nT;C5;A;Roma;Anna\n")
        << none << book({{"Titolo", "T"}, {"Codice", "C5"}, {"Autore", "A"}, {"Citta", "Roma"}, {"Prestato", "Anna"}}) << "1 scheda importata";
    QTest::newRow("export headings") << b << QByteArray("Titolo libro;Codice identificativo;Autore;Citt\xE0 pubblicazione;Scheda annullata\nT;C5;A;Roma;S\xEC\n")
        << none << book({{"Titolo", "T"}, {"Codice", "C5"}, {"Autore", "A"}, {"Citta", "Roma"}, {"Annullata", "Sì"}})
        << "non avranno prestiti né allegati";
    QTest::newRow("DVD caption of another field's name") << "dvd" << QByteArray("Titolo DVD:;Codice;Regia;Lingua originale:\nT;C5;R;inglese\n")
        << none << card(TSchedaDVD, {{"Titolo", "T"}, {"Codice", "C5"}, {"Regia", "R"}, {"Lingua", "inglese"}, {"Convalida", "No"}, {"Annullata", "No"}})
        << "1 scheda importata";
    QTest::newRow("article captions, text on several lines") << "articles"
        << QByteArray("Titolo articolo:;Nome autore;Testo articolo;Note\n\"Il porto\";Bianchi;\"uno\ndue\rtre\";\"nota\ndi due righe\"\n")
        << none << card(TSchedaArticolo, {{"Titolo", "Il porto"}, {"Autore", "Bianchi"}, {"Testo", "uno\r\ndue\r\ntre"}, {"Note", "nota di due righe"}})
        << "non avranno allegati";
    QTest::newRow("trailing column without a name") << b << QByteArray("Titolo;Codice;Autore;\nT;C5;A;\n") << none << t << "1 scheda importata";
    QTest::newRow("tab separated") << b << QByteArray("Titolo\tCodice\tAutore\nT\tC5\tA\n") << none << t << "1 scheda importata";
    QTest::newRow("CR line ends") << b << QByteArray("Titolo;Codice;Autore\rT;C5;A\r") << none << t << "1 scheda importata";
    QTest::newRow("line break in a title") << b << QByteArray("Titolo;Codice;Autore\n\"Due\r\nrighe\";C5;A\n") << none
        << book({{"Titolo", "Due righe"}, {"Codice", "C5"}, {"Autore", "A"}}) << "1 scheda importata";
    QTest::newRow("mixed encoding read as Windows-1252") << b << QByteArray("Titolo;Codice;Autore\nCitt\xC3\xA0;C5;Perch\xE9\n")
        << QStringList{"--encoding", "windows-1252"} << book({{"Titolo", "Citt\u00C3\u00A0"}, {"Codice", "C5"}, {"Autore", "Perch\u00E9"}})
        << "1 scheda importata";
    QTest::newRow("a dry run says the encoding") << b << QByteArray("Titolo;Codice;Autore\nPerch\xE9;C5;A\n") << QStringList{"--dry-run"}
        << QByteArray() << "(file letto come Windows-1252)";
    QTest::newRow("duplicates allowed, still listed") << b << QByteArray("Titolo;Codice;Autore\nT;C1;A\n") << QStringList{"--allow-duplicates"}
        << book({{"Titolo", "T"}, {"Codice", "C1"}, {"Autore", "A"}}) << "il codice \"C1\" è già nell'archivio (scheda 1)";
    QTest::newRow("articles have no code to compare") << "articles" << QByteArray("Titolo\nUno\nUno\n") << none
        << card(TSchedaArticolo, {{"Titolo", "Uno"}}) + card(TSchedaArticolo, {{"Titolo", "Uno"}}) << "2 schede importate";
}
// clang-format on

void CliTest::importAcceptsTheUsersWords()
{
    QFETCH(QString, collection);
    QFETCH(QByteArray, csv);
    QFETCH(QStringList, extra);
    QFETCH(QByteArray, stored);
    QFETCH(QString, said);
    const Collection& c = *Collection::find(collection.toStdString());
    TestFolder folder;
    const QString year = c.yearly() ? QStringLiteral("2026") : QString();
    const QString archive = c.archiveName(year);
    const QByteArray before = c.layout == &TSchedaLibro ? goodBook(1) + goodBook(2) : QByteArray();
    folder.write(archive, before);
    folder.write("schede.csv", csv);
    QStringList args{"--folder", folder.path(), "import", collection, folder.file("schede.csv")};
    if (!year.isEmpty())
        args << "--year" << year;
    const Result r = cli(args + extra);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY2(r.out.contains(said), qPrintable(r.out));
    QCOMPARE(folder.read(archive), before + stored);
}

void CliTest::importAcceptsEveryCardCaption()
{
    // The card screens show the core's captions: every caption of every
    // card screen must name its field, and only the card's memo keeps its
    // line breaks.
    for (const CardForm* form : {&TfrmLibri::cardForm(), &TfrmDVD::cardForm(), &TfrmBibliografie::cardForm()}) {
        const Collection& c = *form->collection;
        const ImportNames names(c);
        for (const CardForm::Field& f : form->fields) {
            const std::string_view field = f.control.substr(3);
            const QString caption = c.fieldCaption(field);
            QVERIFY2(!caption.isEmpty(), f.control.data());
            QVERIFY2(names.field(caption) == c.layout->find(field), qPrintable(caption));
            QVERIFY2(names.field(caption.toUpper() + QStringLiteral(" ")) == c.layout->find(field), qPrintable(caption));
            QCOMPARE(ImportNames::multiLine(c, field), f.kind == CardForm::Kind::Memo);
        }
    }
}

// clang-format off
void CliTest::importKilledLeavesTheArchive_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGKILL") << int(SIGKILL);
    QTest::newRow("SIGTERM") << int(SIGTERM);
    QTest::newRow("SIGINT") << int(SIGINT);
}
// clang-format on

void CliTest::importKilledLeavesTheArchive()
{
    QFETCH(int, signal);
    TestFolder folder;
    const QByteArray before = goodBook(1) + goodBook(2) + QByteArray(300, 'p');
    folder.write("Libri.pro", before);
    folder.write("schede.csv", manyBooks(2500));
    const QString journal = AppendJournal::pathFor(folder.file("Libri.pro"));

    // The import stops after its first batch of cards has reached the
    // archive, and is killed there.
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TOMARIA_TEST_PAUSE_AFTER_BATCHES", "1");
    p.setProcessEnvironment(env);
    p.setReadChannel(QProcess::StandardError);
    p.start(QStringLiteral(TOMARIA_CLI), {"--folder", folder.path(), "import", "books", folder.file("schede.csv")});
    QVERIFY(p.waitForStarted(kStartMs));
    QByteArray said;
    while (!said.contains("pausa dopo 1 blocchi")) {
        if (!p.waitForReadyRead(kRunMs / 2)) {
            p.kill();
            p.waitForFinished(kStartMs);
            QFAIL(qPrintable("the import never reached its pause: " + said));
        }
        said += p.readAllStandardError();
    }
    QCOMPARE(QFileInfo(folder.file("Libri.pro")).size(), qint64(2 + 1000) * kBook);
    QVERIFY(QFile::exists(journal));
    ::kill(pid_t(p.processId()), signal);
    QVERIFY(p.waitForFinished(kStartMs));
    QCOMPARE(p.exitStatus(), QProcess::CrashExit);

    if (signal != SIGKILL) {
        // Cut back by the program itself on the way out: nothing left over.
        QVERIFY(!QFile::exists(journal));
        QCOMPARE(folder.read("Libri.pro"), before);
    } else {
        QVERIFY(QFile::exists(journal));
    }
    // The next opener (here the check) finds the archive as it was.
    const Result check = cli({"--folder", folder.path(), "check", "books"});
    QVERIFY2(check.out.contains(QLatin1String("Schede in archivio: 2\n")), qPrintable(check.out));
    QCOMPARE(folder.read("Libri.pro"), before);
    QVERIFY(!QFile::exists(journal));

    // Importing again gives every card once.
    const Result again = cli({"--folder", folder.path(), "import", "books", folder.file("schede.csv")});
    QVERIFY2(again.code == 0, qPrintable(again.err));
    QCOMPARE(QFileInfo(folder.file("Libri.pro")).size(), qint64(2 + 2500) * kBook);
}

void CliTest::importKeepsMemoryBounded()
{
    // 200,000 rows checked in a child whose peak resident memory is read
    // back from the system. The sanitizers' own bookkeeping is part of the
    // figure, so their quarantine of freed blocks is kept small: what is
    // left grows with the file only if the import does.
    TestFolder folder;
    {
        QFile csv(folder.file("schede.csv"));
        QVERIFY(csv.open(QIODevice::WriteOnly));
        constexpr int kRows = 200000;
        for (int done = 0; done < kRows; done += 10000)
            QVERIFY(csv.write(manyBooks(10000, done, done == 0)) > 0);
    }
    QVERIFY(QFileInfo(folder.file("schede.csv")).size() > 6'000'000);
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("TOMARIA_TEST_MEMORY_PROBE", "1");
    env.insert("ASAN_OPTIONS", env.value("ASAN_OPTIONS") + ":quarantine_size_mb=8:thread_local_quarantine_size_kb=64");
    probe.setProcessEnvironment(env);
    probe.start(QCoreApplication::applicationFilePath(),
        {QStringLiteral(TOMARIA_CLI), "--folder", folder.path(), "import", "books", folder.file("schede.csv"), "--dry-run"});
    QVERIFY(probe.waitForStarted(kStartMs));
    if (!probe.waitForFinished(kRunMs)) {
        probe.kill();
        probe.waitForFinished(kStartMs);
        QFAIL("the dry run did not end within four minutes");
    }
    const QList<QByteArray> said = probe.readAllStandardOutput().trimmed().split(' ');
    QVERIFY2(said.size() == 2 && said[0] == "0", qPrintable(said.join(' ') + probe.readAllStandardError()));
    const long maxrssKb = said[1].toLong();
    const long peakMb = maxrssKb / 1024;
    qInfo("peak resident memory of the dry run: %ld MB", peakMb);
    // 56 MB when measured, whatever the number of rows; the whole file in
    // memory took 2.2 GB.
    QVERIFY2(peakMb < 120, qPrintable(QString::number(peakMb)));
}

// clang-format off
void CliTest::exportRefusesProgramFilesByIdentity_data()
{
    // --out, relative to a scratch folder beside the program folder; links
    // made before the export: (link, where it points).
    QTest::addColumn<QString>("out");
    QTest::addColumn<QStringList>("links");
    QTest::addColumn<QString>("created"); // what must not appear in the program folder
    QTest::newRow("two links to a missing DVD archive") << "x/out.xls" << QStringList{"x/out.xls", "x/hop", "x/hop", "PROGRAM/DVD.pro"} << "DVD.pro";
    QTest::newRow("two links to a missing year") << "x/out.xls" << QStringList{"x/out.xls", "x/hop", "x/hop", "PROGRAM/2030.art"} << "2030.art";
    QTest::newRow("a second name of the folder") << "x/alias/DVD.pro" << QStringList{"x/alias", "PROGRAM"} << "DVD.pro";
    QTest::newRow("second name, other case") << "x/alias/dvd.PRO" << QStringList{"x/alias", "PROGRAM"} << "dvd.PRO";
    QTest::newRow("the settings file") << "x/alias/tomaria.INI" << QStringList{"x/alias", "PROGRAM"} << "tomaria.INI";
    QTest::newRow("the password file through a link") << "x/out.xls" << QStringList{"x/out.xls", "PROGRAM/UNINS000.DLL"} << "UNINS000.DLL";
    QTest::newRow("a journal's name") << "x/alias/Libri.pro-journal" << QStringList{"x/alias", "PROGRAM"} << "Libri.pro-journal";
    QTest::newRow("a relative link into the folder") << "x/out.xls" << QStringList{"x/out.xls", "../PROGRAM/1999.ART"} << "1999.ART";
}
// clang-format on

void CliTest::exportRefusesProgramFilesByIdentity()
{
    QFETCH(QString, out);
    QFETCH(QStringList, links);
    QFETCH(QString, created);
    QTemporaryDir root;
    QVERIFY(root.isValid());
    const QString program = root.filePath("PROGRAM");
    QVERIFY(QDir().mkpath(program) && QDir().mkpath(root.filePath("x")));
    QFile books(program + "/Libri.pro");
    QVERIFY(books.open(QIODevice::WriteOnly) && books.write(twoCards()) > 0);
    books.close();
    for (int i = 0; i + 1 < links.size(); i += 2) {
        QString target = links[i + 1];
        if (!target.startsWith(QLatin1String("../")))
            target = root.filePath(target);
        QVERIFY(QFile::link(target, root.filePath(links[i])));
    }
    const QStringList inFolder = QDir(program).entryList(QDir::Files | QDir::Hidden);
    const Result r = cli({"--folder", program, "export", "books", "--out", root.filePath(out)});
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains(QLatin1String(": non viene sostituito")), qPrintable(r.err));
    QVERIFY(!QFileInfo::exists(program + "/" + created));
    QCOMPARE(QDir(program).entryList(QDir::Files | QDir::Hidden), inFolder);
}

QTEST_GUILESS_MAIN(CliTest)
#include "test_cli.moc"
