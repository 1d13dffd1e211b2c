// A catalogue out to a spreadsheet and back: the complete export as .xlsx,
// the .xlsx reader, what a spreadsheet does to a CSV, and the archive
// check's warnings. LibreOffice Calc itself opens and saves the files
// (soffice --headless, installed by ./test.sh; a missing soffice fails).

#include "CliRun.h"
#include "TestSupport.h"
#include "XlsxFixtures.h"

#include "cli/CommandLine.h"
#include "core/collections/Collection.h"
#include "core/export/CardCsv.h"
#include "core/export/CardXlsx.h"
#include "core/collections/Articles.h"
#include "core/collections/Books.h"
#include "core/collections/Dvds.h"
#include "core/storage/Record.h"
#include "core/storage/TextSlot.h"
#include "core/storage/XlsxReader.h"
#include "core/text/Text.h"
#include "ui/shell/Controls.h"
#include "ui/shell/FileChooser.h"
#include "ui/report/ReportPrinter.h"
#include "print/report/PreparedReport.h"
#include "core/storage/ProgramFolder.h"
#include "ui/transfer/TfrmTrasferimento.h"

#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QSignalSpy>
#include <QScopeGuard>
#include <QTest>
#include <QTextStream>

#include <zip.h>

#include <algorithm>
#include <functional>
#include <optional>

using Result = CliResult;
using namespace XlsxFixtures;

namespace {

// Opens `file` in LibreOffice Calc and saves it in `folder` as `format`
// ("xlsx", or "csv" with Calc's default options for reading one: a
// semicolon, UTF-8, every column "Standard"). A private profile keeps the
// user's settings out; a hung soffice is killed and fails the test.
QString throughCalc(const QString& file, const QString& folder, const QString& format)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) {
        qWarning("soffice not found: ./test.sh installs libreoffice-calc-nogui");
        return {};
    }
    QTemporaryDir profile;
    QStringList args{QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile.path()).toString(),
        QStringLiteral("--headless"), QStringLiteral("--norestore")};
    if (format == QLatin1String("csv"))
        args << QStringLiteral("--infilter=CSV:59,34,76,1") << QStringLiteral("--convert-to")
             << QStringLiteral("csv:Text - txt - csv (StarCalc):59,34,76,1");
    else
        args << QStringLiteral("--convert-to") << format;
    args << QStringLiteral("--outdir") << folder << file;
    QProcess calc;
    calc.setProcessChannelMode(QProcess::MergedChannels);
    calc.start(soffice, args);
    if (!calc.waitForFinished(180 * 1000)) {
        calc.kill();
        calc.waitForFinished(10 * 1000);
        qWarning("soffice did not finish within three minutes");
        return {};
    }
    const QString saved = QDir(folder).filePath(QFileInfo(file).completeBaseName() + QLatin1Char('.') + format);
    if (calc.exitCode() != 0 || !QFileInfo::exists(saved)) {
        qWarning("soffice failed: %s", calc.readAll().constData());
        return {};
    }
    return saved;
}

// The catalogue of the three collections a librarian would move: loans,
// attachments, codes that look like numbers, a Dewey class with leading
// zeros, an article text of several lines and a title a spreadsheet
// would take for a formula.
QByteArray catalogue(const Collection& c)
{
    const RecordLayout& l = *c.layout;
    if (&l == &TSchedaLibro)
        return card(l,
                   {{"Titolo", "=Storia della citt\u00e0"}, {"Codice", "000123"}, {"Convalida", "S\u00ec"}, {"Scaffale", "3.10"},
                       {"Autore", "Rossi, Anna"}, {"Dewey", "074"}, {"Pagine", "320"}, {"Isbn", "0306406152"}, {"Prestato", "Bianchi"},
                       {"Scadenza", "03/03/2024"}, {"Annullata", "No"}, {"File01", "copertina.jpg"},
                       {"Desc01", "La copertina; \"prima\" edizione"}, {"Prezzo", "12.50"}})
            + card(l,
                {{"Titolo", "Secondo"}, {"Codice", "0001"}, {"Autore", "Verdi"}, {"Dewey", "000"}, {"Scaffale", "A-1"},
                    {"Annullata", "S\u00ec"}, {"Convalida", "No"}, {"Anno", "1984"}, {"Note", "+39 02 1234"}})
            + card(l,
                {{"Titolo", "-1"}, {"Codice", "1E5"}, {"Autore", "@nonimo"}, {"Dewey", "853"}, {"Annullata", "No"}, {"Convalida", "No"},
                    {"Scaffale", "1/2"}});
    if (&l == &TSchedaDVD)
        return card(l,
            {{"Titolo", "=Otto e mezzo"}, {"Codice", "000777"}, {"Regia", "Fellini"}, {"Anno", "1960"}, {"Durata", "174"},
                {"Prestato", "Neri"}, {"Scadenza", "03/01/2025"}, {"Annullata", "No"}, {"Convalida", "No"}, {"File02", "locandina.png"},
                {"Desc02", "Locandina"}, {"Scaffale", "2.50"}});
    return card(l,
               {{"Titolo", "=Cronaca"}, {"DataPub", "01/02/2026"}, {"Autore", "  Redazione "}, {"Testata", "Il Giorno"},
                   {"NumTestata", "007"}, {"Testo", "Prima riga;\r\n\r\n\"terza\" riga \u20ac\r\n"}, {"File03", "pagina.pdf"},
                   {"Desc03", "Pagina 3"}})
        + card(l, {{"Titolo", "Senza testo"}, {"DataPub", "31/12/2025"}, {"Genere", "0.5"}});
}

QStringList yearOf(const Collection& c)
{
    return c.yearly() ? QStringList{"--year", "2026"} : QStringList{};
}

// Every field of every card equal, a difference named by card and field.
void compareCards(const Collection& c, const QByteArray& expected, const QByteArray& actual)
{
    const int size = c.layout->size;
    QCOMPARE(actual.size(), expected.size());
    for (qsizetype i = 0; i * size < expected.size(); ++i) {
        Record before(*c.layout), after(*c.layout);
        before.bytes() = expected.mid(i * size, size);
        after.bytes() = actual.mid(i * size, size);
        for (const FieldDef& f : c.layout->fields)
            QVERIFY2(after.text(f.name) == before.text(f.name),
                qPrintable(QStringLiteral("card %1, %2: \"%3\" instead of \"%4\"")
                               .arg(i + 1)
                               .arg(Text::latin1(f.name), after.text(f.name), before.text(f.name))));
    }
}

} // namespace

class TransferTest : public QObject {
    Q_OBJECT

private slots:
    void xlsxRoundTrip_data();
    void xlsxRoundTrip();
    void completeExportGivesBackOddValues_data();
    void completeExportGivesBackOddValues();
    void refusedSheetNameWritesNothing();
    void xlsxIsAllText();
    void csvThroughCalcNamesEveryChange_data();
    void csvThroughCalcNamesEveryChange();
    void importRefusesBrokenWorkbooks_data();
    void importRefusesBrokenWorkbooks();
    void completeExportTakesXlsxOrCsv();
    void checkWarnsAboutSpreadsheetValues();
    void screenPreviewsChecksAndImports();
    void screenInterruptLeavesTheArchive();
    void screenClosedDuringARunAsksThenCancels_data();
    void screenClosedDuringARunAsksThenCancels();
    void screenButtonsFollowTheFileAndTheRun();
    void screenCheckSaysWhatItListed();
    void screenExports();
    void screenMarcOutAndIn_data();
    void screenMarcOutAndIn();
    void grabScreens();
    void screensWriteThroughTheGuard_data();
    void screensWriteThroughTheGuard();
};

// clang-format off
void TransferTest::xlsxRoundTrip_data()
{
    QTest::addColumn<QString>("collection");
    QTest::addColumn<bool>("calc");
    for (const Collection* c : Collection::all()) {
        QTest::addRow("%s, untouched", c->key.data()) << Text::latin1(c->key) << false;
        QTest::addRow("%s, saved by LibreOffice Calc", c->key.data()) << Text::latin1(c->key) << true;
    }
}
// clang-format on

// Exported as .xlsx, opened and saved by Calc, imported into an empty
// folder: every field of every card as it was.
void TransferTest::xlsxRoundTrip()
{
    QFETCH(QString, collection);
    QFETCH(bool, calc);
    const Collection& c = *Collection::find(collection.toStdString());
    const QString name = c.archiveName(QStringLiteral("2026"));
    const QByteArray archive = catalogue(c);
    TestFolder original, moved;
    original.write(name, archive);
    QTemporaryDir work;
    const QString file = work.filePath(CardXlsx::sheetName(c) + QStringLiteral(".xlsx"));

    Result r = cli(QStringList{"--folder", original.path(), "export", collection, "--complete", "--out", file} + yearOf(c));
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QCOMPARE(r.out,
        Text::counted(archive.size() / c.layout->size, u"scheda esportata", u"schede esportate") + QStringLiteral(" in %1\n").arg(file));
    QString imported = file;
    if (calc) {
        QDir(work.path()).mkdir(QStringLiteral("calc"));
        imported = throughCalc(file, work.filePath(QStringLiteral("calc")), QStringLiteral("xlsx"));
        QVERIFY2(!imported.isEmpty(), "LibreOffice Calc could not open and save the export");
        QVERIFY(readFile(imported) != readFile(file)); // Calc's own file, not ours
    }
    r = cli(QStringList{"--folder", moved.path(), "import", collection, imported} + yearOf(c));
    QVERIFY2(r.code == 0, qPrintable(r.err + r.out));
    QVERIFY2(!r.out.contains(QLatin1String("avviso")), qPrintable(r.out));
    compareCards(c, archive, moved.read(name));
    QCOMPARE(moved.read(name), archive);
}

// Cards another program may have stored, odd but legal: every field at
// its longest (with the separator, quotes and characters beyond ASCII),
// empty and lower-case flags, blanks around values.
QByteArray oddCards(const Collection& c)
{
    const RecordLayout& l = *c.layout;
    const auto make = [&](const std::function<QString(const FieldDef&)>& value) {
        QByteArray bytes(l.size, '\0');
        for (const FieldDef& f : l.fields)
            TextSlot::writeAsIs(bytes.data(), f, l.kind, value(f));
        return bytes;
    };
    const auto required = [&](const FieldDef& f) {
        return std::any_of(c.required.begin(), c.required.end(), [&](const RequiredField& r) { return r.field == f.name; });
    };
    const QString pattern = QStringLiteral("\u00c0b;c\"d \u00e9\u20ac x");
    const QByteArray longest = make([&](const FieldDef& f) {
        if (f.name == "Annullata" || f.name == "Convalida")
            return QString();
        QString v;
        while (v.size() < f.capacity)
            v += pattern;
        v.truncate(f.capacity);
        v[v.size() - 1] = QLatin1Char('z');
        return v;
    });
    const QByteArray blanks = make([&](const FieldDef& f) {
        if (f.name == "Annullata")
            return QStringLiteral("s\u00ec");
        if (f.name == "Convalida")
            return QStringLiteral("no");
        if (f.name == c.roles.code)
            return QStringLiteral("C-2 ");
        if (f.name == "Titolo" || required(f))
            return QStringLiteral("  Con spazi  ");
        return QString();
    });
    const QByteArray plain = make([&](const FieldDef& f) {
        if (f.name == c.roles.code)
            return QStringLiteral("C-3");
        if (f.name == "Titolo" || required(f))
            return QStringLiteral("Annullata vuota");
        if (f.name == "Annullata")
            return QStringLiteral("");
        return QString();
    });
    return longest + blanks + plain;
}

// clang-format off
void TransferTest::completeExportGivesBackOddValues_data()
{
    QTest::addColumn<QString>("collection");
    QTest::addColumn<QStringList>("format");
    QTest::addColumn<QString>("file");
    for (const Collection* c : Collection::all()) {
        QTest::addRow("%s, CSV", c->key.data()) << Text::latin1(c->key) << QStringList{"--csv"} << "tutto.csv";
        QTest::addRow("%s, .xlsx", c->key.data()) << Text::latin1(c->key) << QStringList{"--complete"} << "tutto.xlsx";
    }
}
// clang-format on

// Exported whole and imported into an empty folder, the odd cards come
// back byte for byte: an empty "Annullata" stays empty (the card stays out
// of the searches), nothing is trimmed, filled in or refused.
void TransferTest::completeExportGivesBackOddValues()
{
    QFETCH(QString, collection);
    QFETCH(QStringList, format);
    QFETCH(QString, file);
    const Collection& c = *Collection::find(collection.toStdString());
    const QString name = c.archiveName(QStringLiteral("2026"));
    const QByteArray archive = oddCards(c);
    TestFolder original, moved;
    original.write(name, archive);
    QTemporaryDir work;
    const QString path = work.filePath(file);
    Result r = cli(QStringList{"--folder", original.path(), "export", collection} + format + QStringList{"--out", path} + yearOf(c));
    QVERIFY2(r.code == 0, qPrintable(r.err));
    r = cli(QStringList{"--folder", moved.path(), "import", collection, path} + yearOf(c));
    QVERIFY2(r.code == 0, qPrintable(r.err + r.out));
    compareCards(c, archive, moved.read(name));
    QCOMPARE(moved.read(name), archive);
}

// A sheet name the spreadsheet library refuses (here over its 31
// characters, with brackets) gives a failure with its reason and no file,
// never a write through a missing sheet.
void TransferTest::refusedSheetNameWritesNothing()
{
    TestFolder folder;
    folder.write("Libri.pro", catalogue(Books::collection()));
    Collection odd = Books::collection();
    odd.plural = "libri [rari] di una collezione dal nome molto lungo";
    CardCsv::Outcome outcome;
    const QString target = folder.file("strano.xlsx");
    QVERIFY(!CardXlsx::save(odd, folder.file("Libri.pro"), target, &outcome));
    QCOMPARE(outcome.reason, QStringLiteral("impossibile creare il foglio di calcolo"));
    QVERIFY(!QFileInfo::exists(target));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"Libri.pro"});
}

// The file as a spreadsheet program sees it: one sheet named after the
// collection, the header first, and every value a text, never a number.
void TransferTest::xlsxIsAllText()
{
    TestFolder folder;
    folder.write("Libri.pro", catalogue(Books::collection()));
    const QString file = folder.file("libri.xlsx");
    QCOMPARE(cli({"--folder", folder.path(), "export", "books", "--complete", "--out", file}).code, 0);
    zip_t* zip = zip_open(QFile::encodeName(file).constData(), ZIP_RDONLY, nullptr);
    QVERIFY(zip);
    auto part = [&](const char* name) {
        QByteArray bytes;
        if (zip_file_t* f = zip_fopen(zip, name, 0)) {
            char block[4096];
            for (zip_int64_t n; (n = zip_fread(f, block, sizeof block)) > 0;)
                bytes.append(block, qsizetype(n));
            zip_fclose(f);
        }
        return bytes;
    };
    const QByteArray book = part("xl/workbook.xml");
    const QByteArray sheet = part("xl/worksheets/sheet1.xml");
    zip_close(zip);
    QVERIFY(book.contains("<sheet name=\"Libri\""));
    QCOMPARE(book.count("<sheet "), 1);
    QVERIFY(sheet.contains("state=\"frozen\""));
    QVERIFY(sheet.contains("<c r=\"H2\" s=\"")); // Dewey
    QVERIFY(sheet.contains(">074<"));
    QVERIFY(!sheet.contains("<f>"));
    // Every cell a string: no cell without a type (a number) and none of another type.
    QCOMPARE(sheet.count("<c "), sheet.count("t=\"inlineStr\"") + sheet.count("t=\"s\""));
    QVERIFY(rowsOf(readFile(file)).value(0).startsWith(QLatin1String("1: Titolo|Codice|Convalida|Scaffale")));
}

// clang-format off
void TransferTest::csvThroughCalcNamesEveryChange_data()
{
    QTest::addColumn<QString>("collection");
    QTest::addColumn<QStringList>("named");   // every changed value, named before anything is written
    QTest::addColumn<bool>("written");
    QTest::newRow("books") << "books"
        << QStringList{"riga 2, colonna A (\"Titolo\"): \"Err:509\" è ciò che un foglio di calcolo mostra",
               "riga 2, colonna Z (\"Scadenza\"): la data \"03/03/24\" ha l'anno di due cifre",
               "avviso, riga 2, colonna B (\"Codice\"): \"123\" è un numero o una data per un foglio di calcolo",
               "avviso, riga 2, colonna D (\"Scaffale\"): \"3.1\" è un numero",
               "avviso, riga 2, colonna H (\"Dewey\"): codice Dewey \"74\" completato in \"074\"",
               "avviso, riga 2, colonna M (\"Isbn\"): \"306406152\" è un numero",
               "avviso, riga 2, colonna Q (\"Prezzo\"): \"12.5\" è un numero",
               "avviso, riga 3, colonna B (\"Codice\"): \"1\" è un numero",
               "avviso, riga 3, colonna H (\"Dewey\"): codice Dewey \"0\" completato in \"000\"",
               "avviso, riga 4, colonna B (\"Codice\"): \"1.00E+05\" è un numero",
               "avviso, riga 4, colonna D (\"Scaffale\"): \"01/02/26\" è un numero o una data"}
        << false;
    QTest::newRow("books, the Dewey codes only") << "books-dewey"
        << QStringList{"avviso, riga 2, colonna H (\"Dewey\"): codice Dewey \"74\" completato in \"074\"",
               "avviso, riga 3, colonna H (\"Dewey\"): codice Dewey \"0\" completato in \"000\""}
        << true;
    QTest::newRow("dvd") << "dvd"
        << QStringList{"riga 2, colonna A (\"Titolo\"): \"Err:509\" è ciò che un foglio di calcolo mostra", "riga 2, colonna Y (\"Scadenza\"): la data \"03/01/25\" ha l'anno di due cifre",
               "avviso, riga 2, colonna B (\"Codice\"): \"777\" è un numero", "avviso, riga 2, colonna D (\"Scaffale\"): \"2.5\" è un numero"}
        << false;
}
// clang-format on

// A complete CSV opened and saved by Calc with its default options: the
// import names every value Calc changed before it writes anything, and the
// Dewey codes come back padded.
void TransferTest::csvThroughCalcNamesEveryChange()
{
    QFETCH(QString, collection);
    QFETCH(QStringList, named);
    QFETCH(bool, written);
    const bool deweyOnly = collection == QLatin1String("books-dewey");
    const Collection& c = deweyOnly ? Books::collection() : *Collection::find(collection.toStdString());
    QByteArray archive = catalogue(c);
    if (deweyOnly)
        archive = card(TSchedaLibro,
                      {{"Titolo", "Uno"}, {"Codice", "L1"}, {"Autore", "A"}, {"Dewey", "074"}, {"Annullata", "No"}, {"Convalida", "No"}})
            + card(TSchedaLibro,
                {{"Titolo", "Due"}, {"Codice", "L2"}, {"Autore", "B"}, {"Dewey", "000"}, {"Annullata", "No"}, {"Convalida", "No"}});
    const QString name = c.archiveName(QStringLiteral("2026"));
    const QString key = Text::latin1(c.key);
    TestFolder original, moved;
    original.write(name, archive);
    QTemporaryDir work;
    const QString file = work.filePath(QStringLiteral("catalogo.csv"));
    QCOMPARE(cli(QStringList{"--folder", original.path(), "export", key, "--csv", "--out", file} + yearOf(c)).code, 0);
    QDir(work.path()).mkdir(QStringLiteral("calc"));
    const QString saved = throughCalc(file, work.filePath(QStringLiteral("calc")), QStringLiteral("csv"));
    QVERIFY2(!saved.isEmpty(), "LibreOffice Calc could not open and save the CSV");

    const Result dry = cli(QStringList{"--folder", moved.path(), "import", key, saved, "--dry-run"} + yearOf(c));
    const QString said = dry.out + dry.err;
    for (const QString& line : named)
        QVERIFY2(said.contains(QDir::toNativeSeparators(saved) + QStringLiteral(": ") + line),
            qPrintable(line + QStringLiteral("\n---\n") + said));
    QCOMPARE(said.count(QStringLiteral(": riga ")) + said.count(QStringLiteral(": avviso, riga ")), named.size());
    QCOMPARE(QDir(moved.path()).entryList(QDir::Files), QStringList());
    if (!written) {
        QCOMPARE(dry.code, 1);
        const Result r = cli(QStringList{"--folder", moved.path(), "import", key, saved} + yearOf(c));
        QCOMPARE(r.code, 1);
        QVERIFY(r.err.endsWith(QStringLiteral("l'archivio è rimasto com'era.\n")));
        QCOMPARE(QDir(moved.path()).entryList(QDir::Files), QStringList());
        return;
    }
    QCOMPARE(dry.code, 0);
    QVERIFY2(
        dry.out.contains(QLatin1String("2 codici Dewey completati con gli zeri iniziali; nessuna scheda scritta")), qPrintable(dry.out));
    const Result r = cli(QStringList{"--folder", moved.path(), "import", key, saved} + yearOf(c));
    QVERIFY2(r.code == 0, qPrintable(r.err));
    compareCards(c, archive, moved.read(name));
}

// clang-format off
void TransferTest::importRefusesBrokenWorkbooks_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    const QByteArray header = "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>Titolo</t></is></c><c r=\"B1\" t=\"inlineStr\"><is><t>Codice</t></is></c>"
                              "<c r=\"C1\" t=\"inlineStr\"><is><t>Autore</t></is></c></row>";
    QTest::newRow("a shared string that is not there")
        << handMade(header + "<row r=\"2\"><c r=\"A2\" t=\"s\"><v>9</v></c></row>", kStrings)
        << "riga 2: foglio di calcolo non leggibile: una cella rimanda a un testo che il file non contiene";
    QTest::newRow("a sheet that is not XML") << handMade(header + "<row r=\"2\"><c>", kStrings)
                                             << "file: foglio di calcolo non leggibile: la parte xl/worksheets/b.xml del file non è XML valido";
    QTest::newRow("a number that is none") << handMade(header + "<row r=\"2\"><c r=\"A2\"><v>dodici</v></c></row>", kStrings)
                                           << "riga 2: foglio di calcolo non leggibile: la cella non contiene un numero valido";
    QTest::newRow("a value beyond the header")
        << handMade(header + "<row r=\"2\"><c r=\"A2\" t=\"inlineStr\"><is><t>T</t></is></c><c r=\"B2\" t=\"inlineStr\"><is><t>C</t></is></c>"
                             "<c r=\"C2\" t=\"inlineStr\"><is><t>A</t></is></c><c r=\"E2\" t=\"inlineStr\"><is><t>x</t></is></c></row>", kStrings)
        << "riga 2, colonna E: valore in una colonna senza nome";
    QTest::newRow("a column beyond the last") << handMade("<row r=\"1\"><c r=\"XFE1\"><v>1</v></c></row>", kStrings)
                                              << "riga 1: foglio di calcolo non leggibile: la cella XFE1 è oltre l'ultima colonna";
    QTest::newRow("an OpenDocument spreadsheet")
        << workbook({{"mimetype", "application/vnd.oasis.opendocument.spreadsheet"}, {"content.xml", "<office:document-content/>"}})
        << "riga 1: il file è un documento compresso (foglio di calcolo .xlsx o .ods, documento .docx o .odt) ma non un foglio .xlsx leggibile";
    QByteArray truncated = readFile(QStringLiteral(TOMARIA_TEST_DATA "/xlsx/misto.xlsx"));
    truncated.chop(200);
    QTest::newRow("a workbook cut short") << truncated << "riga 1: il file è un documento compresso";
}
// clang-format on

// A damaged workbook is refused with its reason, and nothing is written.
void TransferTest::importRefusesBrokenWorkbooks()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    TestFolder folder;
    folder.write("libri.xlsx", file);
    const Result r = cli({"--folder", folder.path(), "import", "books", folder.file("libri.xlsx")});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.startsWith(folder.file("libri.xlsx") + QStringLiteral(": ") + message), qPrintable(r.err));
    QVERIFY(r.err.endsWith(QStringLiteral("l'archivio è rimasto com'era.\n")));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), QStringList{"libri.xlsx"});
}

// The complete export is a workbook or a CSV file, chosen by --out's
// extension.
void TransferTest::completeExportTakesXlsxOrCsv()
{
    TestFolder folder;
    folder.write("Libri.pro", catalogue(Books::collection()));
    QCOMPARE(cli({"--folder", folder.path(), "export", "books", "--complete", "--out", folder.file("x.ods")}).code, 2);
    QCOMPARE(cli({"--folder", folder.path(), "export", "books", "--complete", "--csv", "--out", folder.file("x.csv")}).code, 2);
    const Result r = cli({"--folder", folder.path(), "export", "books", "--complete", "--out", folder.file("tutto.csv")});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY(folder.read("tutto.csv")
                .startsWith("\xEF\xBB\xBF"
                            "Titolo;Codice;"));
}

// check warns, without changing its exit status, about Dewey codes that
// are not three digits and loan dates the loans overview cannot read.
void TransferTest::checkWarnsAboutSpreadsheetValues()
{
    TestFolder folder;
    auto book = [](const char* dewey, const char* lent, const char* date) {
        return card(TSchedaLibro,
            {{"Titolo", "T"}, {"Codice", "C"}, {"Autore", "A"}, {"Dewey", dewey}, {"Prestato", lent}, {"Scadenza", date},
                {"Annullata", "No"}, {"Convalida", "No"}});
    };
    folder.write("Libri.pro",
        book("074", "Anna", "03/03/2024") + book("74", "", "") + book("0", "Bruno", "03/03/24") + book("", "Carla", "3-3-2024")
            + book("7a", "", "") + book("853", "Dario", "marzo"));
    Result r = cli({"--folder", folder.path(), "check", "books"});
    QCOMPARE(r.code, 0);
    QVERIFY2(
        r.out.contains(QStringLiteral("Avviso: 3 codici Dewey non hanno tre cifre (le statistiche contano questi libri \"senza classe\"; "
                                      "un foglio di calcolo toglie gli zeri iniziali): posizioni 2 (\"74\"), 3 (\"0\"), 5 (\"7a\")\n")),
        qPrintable(r.out));
    QVERIFY2(r.out.contains(QStringLiteral("Avviso: 2 date di prestito non si leggono come gg/mm/aaaa "
                                           "(i prestiti le segnano \"data non leggibile\"): posizioni 3 (\"03/03/24\"), 6 (\"marzo\")\n")),
        qPrintable(r.out));

    folder.write("Libri.pro", book("074", "Anna", "03/03/2024"));
    r = cli({"--folder", folder.path(), "check", "books"});
    QCOMPARE(r.code, 0);
    QVERIFY2(!r.out.contains(QLatin1String("Avviso")), qPrintable(r.out));
}

namespace {

// A CSV of `count` books, the i-th titled "Libro i", code "N<i>".
QByteArray manyBooks(int count, int repeatedFrom = 0)
{
    QByteArray csv = "Titolo;Codice;Autore;Dewey;Colore\n";
    for (int i = 1; i <= count; ++i)
        csv += QStringLiteral("Libro %1;N%2;Autore;74;\n").arg(i).arg(repeatedFrom && i > repeatedFrom ? 1 : i).toUtf8();
    return csv;
}

// Presses Controlla, or Importa answering its question with `yes`, and
// waits for the run to end (at once when it did not start).
bool press(TfrmTrasferimento& screen, MessageLog& log, bool import, bool yes = true)
{
    QSignalSpy ended(&screen, &TfrmTrasferimento::runFinished);
    if (import) {
        log.answers.push_back(yes);
        screen.btnImportaClick();
    } else {
        screen.btnControllaClick();
    }
    return !screen.running() || ended.wait(60000);
}

// Whether every message shown was a question (Importa's).
bool onlyQuestions(const MessageLog& log)
{
    return std::all_of(
        log.entries.begin(), log.entries.end(), [](const MessageLog::Entry& e) { return e.kind == Msg::Kind::Confirmation; });
}

QStringList listed(const TfrmTrasferimento& screen)
{
    QStringList lines;
    for (int i = 0; i < screen.lstProblemi()->count(); ++i)
        lines << screen.lstProblemi()->item(i)->text();
    return lines;
}

} // namespace

// The screen: the preview names each column's field and marks the unknown
// one; Controlla lists every problem and warning and writes nothing; with
// the column named and the codes allowed, Importa adds every card.
void TransferTest::screenPreviewsChecksAndImports()
{
    TestFolder folder;
    MessageLog log;
    FileChoice choice;
    folder.write("Libri.pro", catalogue(Books::collection()));
    const QByteArray before = folder.read("Libri.pro");
    folder.write("nuovi.csv", manyBooks(3, 2));
    TfrmTrasferimento screen;
    QCOMPARE(screen.collection().key, std::string_view("books"));
    choice.answers.push_back(folder.file("nuovi.csv"));
    screen.btnScegliClick();
    QVERIFY(choice.filters.value(0).contains(QLatin1String("*.xlsx *.csv *.txt")));
    QTableWidget* grid = screen.grdAnteprima();
    QCOMPARE(grid->columnCount(), 5);
    QCOMPARE(grid->rowCount(), 3);
    QCOMPARE(grid->horizontalHeaderItem(0)->text(), QStringLiteral("Titolo\n\u2192 Titolo"));
    QCOMPARE(grid->horizontalHeaderItem(3)->text(), QStringLiteral("Dewey\n\u2192 Dewey"));
    QCOMPARE(grid->horizontalHeaderItem(4)->text(), QStringLiteral("Colore\n\u2192 sconosciuta"));
    QVERIFY(grid->horizontalHeaderItem(4)->toolTip().startsWith(QLatin1String("colonne ammesse per i libri:")));
    QCOMPARE(grid->item(2, 0)->text(), QStringLiteral("Libro 3"));

    QVERIFY(press(screen, log, false));
    QStringList listed = ::listed(screen);
    QVERIFY2(
        listed.contains(QStringLiteral("riga 1, colonna E (\"Colore\"): colonna sconosciuta per i libri")), qPrintable(listed.join('\n')));
    QVERIFY(screen.lblStato()->text().startsWith(QLatin1String("Nessuna scheda importata: ")));
    QCOMPARE(folder.read("Libri.pro"), before);

    folder.write("nuovi.csv", manyBooks(3, 2).replace(";Colore", ";Note"));
    choice.answers.push_back(folder.file("nuovi.csv"));
    screen.btnScegliClick();
    QVERIFY(press(screen, log, true));
    QVERIFY2(screen.lblStato()->text().startsWith(QLatin1String("Nessuna scheda importata: 1 codice gi")),
        qPrintable(screen.lblStato()->text()));
    listed = ::listed(screen);
    QVERIFY2(listed.contains(QStringLiteral("riga 4, colonna B (\"Codice\"): il codice \"N1\" è ripetuto: è già alla riga 2")),
        qPrintable(listed.join('\n')));
    QVERIFY(listed.contains(QStringLiteral("avviso, riga 2, colonna D (\"Dewey\"): codice Dewey \"74\" completato in \"074\": "
                                           "le classi Dewey hanno tre cifre, e un foglio di calcolo toglie gli zeri iniziali")));
    QCOMPARE(folder.read("Libri.pro"), before);

    screen.findChild<QCheckBox*>(QStringLiteral("chkDuplicati"))->setChecked(true);
    QVERIFY(press(screen, log, true));
    QCOMPARE(screen.lblStato()->text(),
        QStringLiteral("3 schede importate in %1, nelle posizioni da 4 a 6.").arg(QDir::toNativeSeparators(folder.file("Libri.pro"))));
    QCOMPARE(screen.findChild<QProgressBar*>(QStringLiteral("prgAvanzamento"))->value(), 1000);
    const QByteArray after = folder.read("Libri.pro");
    QCOMPARE(after.left(before.size()), before);
    Record added(TSchedaLibro);
    added.bytes() = after.mid(5 * TSchedaLibro.size, TSchedaLibro.size);
    QCOMPARE(added.text("Titolo"), QStringLiteral("Libro 3"));
    QCOMPARE(added.text("Dewey"), QStringLiteral("074"));
    QVERIFY(onlyQuestions(log));
    QCOMPARE(log.entries.size(), 2);
    QVERIFY2(log.entries[0].text.contains(QLatin1String("nuovi.csv")), qPrintable(log.entries[0].text));
}

// Interrompi during the write: the archive's bytes as they were.
void TransferTest::screenInterruptLeavesTheArchive()
{
    TestFolder folder;
    MessageLog log;
    FileChoice choice;
    folder.write("Libri.pro", catalogue(Books::collection()));
    const QByteArray before = folder.read("Libri.pro");
    folder.write("molti.csv", manyBooks(5000).replace(";Colore", ";Note"));
    TfrmTrasferimento screen;
    choice.answers.push_back(folder.file("molti.csv"));
    screen.btnScegliClick();
    int seen = 0;
    const QMetaObject::Connection interrupting = connect(&screen, &TfrmTrasferimento::progressed, &screen, [&](int done, int) {
        ++seen;
        if (done > 500) // in the write
            screen.btnInterrompiClick();
    });
    QVERIFY(press(screen, log, true));
    QVERIFY(seen > 0);
    QCOMPARE(screen.lblStato()->text(), QStringLiteral("Importazione interrotta: nessuna scheda aggiunta, l'archivio è rimasto com'era."));
    QCOMPARE(folder.read("Libri.pro"), before);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), (QStringList{"Libri.pro", "molti.csv"}));
    QVERIFY(onlyQuestions(log));

    // Interrompi during a check: said to be the check's.
    log.clear();
    disconnect(interrupting);
    connect(&screen, &TfrmTrasferimento::progressed, &screen, [&](int done, int) {
        if (done > 100)
            screen.btnInterrompiClick();
    });
    QVERIFY(press(screen, log, false));
    QCOMPARE(screen.lblStato()->text(), QStringLiteral("Controllo interrotto: nessuna scheda scritta, l'archivio è rimasto com'era."));
    QVERIFY(log.entries.isEmpty());
}

// clang-format off
void TransferTest::screenClosedDuringARunAsksThenCancels_data()
{
    QTest::addColumn<bool>("import");     // Importa, else Controlla
    QTest::addColumn<bool>("confirmed");  // the question to close answered Sì
    QTest::newRow("import, closed") << true << true;
    QTest::newRow("import, kept open") << true << false;
    QTest::newRow("check, closed") << false << true;
}
// clang-format on

// The window's button (or Alt+F4) during a run: asked; Sì interrupts the
// run, says so and closes; No leaves the run and the screen as they were.
void TransferTest::screenClosedDuringARunAsksThenCancels()
{
    QFETCH(bool, import);
    QFETCH(bool, confirmed);
    TestFolder folder;
    MessageLog log;
    FileChoice choice;
    folder.write("Libri.pro", catalogue(Books::collection()));
    const QByteArray before = folder.read("Libri.pro");
    folder.write("molti.csv", manyBooks(20000).replace(";Colore", ";Note"));
    TfrmTrasferimento screen;
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    choice.answers.push_back(folder.file("molti.csv"));
    screen.btnScegliClick();
    bool asked = false;
    connect(&screen, &TfrmTrasferimento::progressed, &screen, [&](int done, int) {
        if (asked || done < (import ? 600 : 100))
            return;
        asked = true;
        log.answers.push_back(confirmed);
        screen.close();
    });
    QSignalSpy ended(&screen, &TfrmTrasferimento::runFinished);
    if (import)
        log.answers.push_back(true);
    import ? screen.btnImportaClick() : screen.btnControllaClick();
    QVERIFY(ended.wait(120000));
    QVERIFY(asked);
    const auto question = std::find_if(log.entries.begin() + (import ? 1 : 0), log.entries.end(),
        [](const MessageLog::Entry& e) { return e.kind == Msg::Kind::Confirmation; });
    QVERIFY(question != log.entries.end());
    QVERIFY2(question->text.contains(QLatin1String("Interromper")), qPrintable(question->text));
    if (!confirmed) {
        QVERIFY(screen.isVisible());
        QCOMPARE(screen.lblStato()->text(),
            QStringLiteral("20000 schede importate in %1, nelle posizioni da 4 a 20003.")
                .arg(QDir::toNativeSeparators(folder.file("Libri.pro"))));
        QCOMPARE(folder.read("Libri.pro").size(), before.size() + 20000 * TSchedaLibro.size);
        return;
    }
    QVERIFY(!screen.isVisible());
    QCOMPARE(folder.read("Libri.pro"), before);
    // How it ended is said before the screen goes.
    QCOMPARE(log.entries.last().kind, Msg::Kind::Plain);
    QCOMPARE(log.entries.last().text,
        import ? QStringLiteral("Importazione interrotta: nessuna scheda aggiunta, l'archivio è rimasto com'era.")
               : QStringLiteral("Controllo interrotto: nessuna scheda scritta, l'archivio è rimasto com'era."));
}

// Controlla and Importa wait for a file; the options are locked and the
// bar shown during a run only; a file whose cards went in is not imported
// again by a second press; the question to import answered No writes nothing.
void TransferTest::screenButtonsFollowTheFileAndTheRun()
{
    TestFolder folder;
    MessageLog log;
    FileChoice choice;
    folder.write("Libri.pro", catalogue(Books::collection()));
    const QByteArray before = folder.read("Libri.pro");
    folder.write("nuovi.csv", manyBooks(3000).replace(";Colore", ";Note"));
    TfrmTrasferimento screen;
    const auto button = [&](const char* name) { return screen.findChild<QPushButton*>(QLatin1String(name)); };
    auto* bar = screen.findChild<QProgressBar*>(QStringLiteral("prgAvanzamento"));
    QVERIFY(!button("btnControlla")->isEnabled());
    QVERIFY(!button("btnImporta")->isEnabled());
    QVERIFY(!button("btnInterrompi")->isEnabled());
    QVERIFY(bar->isHidden());

    choice.answers.push_back(folder.file("nuovi.csv"));
    screen.btnScegliClick();
    QVERIFY(button("btnControlla")->isEnabled());
    QVERIFY(button("btnImporta")->isEnabled());
    QVERIFY(press(screen, log, true, false)); // the question answered No
    QVERIFY(!screen.running());
    QCOMPARE(log.entries.size(), 1);
    QCOMPARE(folder.read("Libri.pro"), before);

    QList<QWidget*> locked;
    for (const char* name :
        {"cboRaccolta", "cboFormato", "chkDuplicati", "btnScegli", "btnEsporta", "btnChiudi", "btnImporta", "btnControlla"})
        locked << screen.findChild<QWidget*>(QLatin1String(name));
    bool checkedDuringRun = false;
    connect(&screen, &TfrmTrasferimento::progressed, &screen, [&](int, int) {
        if (checkedDuringRun)
            return;
        checkedDuringRun = true;
        for (QWidget* w : std::as_const(locked))
            QVERIFY2(!w->isEnabled(), qPrintable(w->objectName()));
        QVERIFY(button("btnInterrompi")->isEnabled());
        QVERIFY(!bar->isHidden());
    });
    QVERIFY(press(screen, log, true));
    QVERIFY(checkedDuringRun);
    QVERIFY2(screen.lblStato()->text().startsWith(QLatin1String("3000 schede importate")), qPrintable(screen.lblStato()->text()));
    QVERIFY(bar->isHidden());
    QVERIFY(!button("btnImporta")->isEnabled());
    QVERIFY(button("btnControlla")->isEnabled());
    const QByteArray once = folder.read("Libri.pro");
    screen.btnImportaClick(); // not ready: nothing asked, nothing written
    QVERIFY(!screen.running());
    QCOMPARE(folder.read("Libri.pro"), once);
    choice.answers.push_back(folder.file("nuovi.csv"));
    screen.btnScegliClick();
    QVERIFY(button("btnImporta")->isEnabled());
}

// A check that lists lines never says "nessun problema trovato"; one
// that lists nothing does.
void TransferTest::screenCheckSaysWhatItListed()
{
    TestFolder folder;
    MessageLog log;
    FileChoice choice;
    folder.write("Libri.pro", catalogue(Books::collection()));
    folder.write("avvisi.csv", manyBooks(2).replace(";Colore", ";Note"));
    folder.write("pulito.csv", QByteArray("Titolo;Codice;Autore;Dewey\nUno;N1;A;074\n"));
    TfrmTrasferimento screen;
    choice.answers.push_back(folder.file("avvisi.csv"));
    screen.btnScegliClick();
    // The notes on what the cards will lack are no finding of a row.
    const auto flagged = [&] {
        const QStringList lines = listed(screen);
        return std::count_if(lines.begin(), lines.end(),
            [](const QString& l) { return l.startsWith(QLatin1String("riga ")) || l.startsWith(QLatin1String("avviso")); });
    };
    QVERIFY(press(screen, log, false));
    QCOMPARE(flagged(), 2);
    QVERIFY2(!screen.lblStato()->text().contains(QLatin1String("nessun problema trovato")), qPrintable(screen.lblStato()->text()));
    QVERIFY2(screen.lblStato()->text().contains(QLatin1String("nessun problema che fermi l'importazione, 2 righe segnalate da vedere")),
        qPrintable(screen.lblStato()->text()));
    choice.answers.push_back(folder.file("pulito.csv"));
    screen.btnScegliClick();
    QVERIFY(press(screen, log, false));
    QCOMPARE(flagged(), 0);
    QVERIFY2(screen.lblStato()->text().contains(QLatin1String(": nessun problema trovato; nessuna scheda scritta.")),
        qPrintable(screen.lblStato()->text()));
    QVERIFY(log.entries.isEmpty());
}

// Esporta proposes "Libri-AAAA-MM-GG.xlsx" in the documents folder, shows
// the full path, and its folder opens.
void TransferTest::screenExports()
{
    TestFolder folder;
    MessageLog log;
    OpenLog opened;
    folder.write("2026.art", catalogue(Articles::collection()));
    TfrmTrasferimento screen;
    auto* raccolta = screen.findChild<QComboBox*>(QStringLiteral("cboRaccolta"));
    raccolta->setCurrentIndex(raccolta->findData(QStringLiteral("articles")));
    Controls::setText(screen.findChild<QWidget*>(QStringLiteral("txtAnno")), QStringLiteral("2026"));
    QString proposed;
    const QString target = folder.file("uscita.xlsx");
    FileChooser::setSaveHandler([&](const QString& offered, const QString&) {
        proposed = offered;
        return target;
    });
    screen.btnEsportaClick();
    FileChooser::setSaveHandler({});
    QCOMPARE(QFileInfo(proposed).fileName(),
        QStringLiteral("Articoli-%1.xlsx").arg(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))));
    QCOMPARE(QFileInfo(proposed).absolutePath(),
        QFileInfo(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)).absoluteFilePath());
    QVERIFY(log.entries.isEmpty());
    QCOMPARE(screen.exported(), target);
    QCOMPARE(screen.findChild<QLabel*>(QStringLiteral("lblEsportato"))->text(), QStringLiteral("2 schede esportate in %1").arg(target));
    QVERIFY(CardXlsx::isOurs(target));
    screen.btnApriCartellaClick();
    QCOMPARE(opened.urls, QList<QUrl>{QUrl::fromLocalFile(folder.path().chopped(1))});

    // And back through the screen, into a fresh folder: equal.
    TestFolder fresh;
    FileChoice choice;
    choice.answers.push_back(target);
    screen.btnScegliClick();
    QVERIFY(press(screen, log, true));
    QCOMPARE(screen.lblStato()->text(),
        QStringLiteral("2 schede importate in %1, nelle posizioni da 1 a 2.").arg(QDir::toNativeSeparators(fresh.file("2026.art"))));
    compareCards(Articles::collection(), catalogue(Articles::collection()), fresh.read("2026.art"));
}

void TransferTest::screenMarcOutAndIn_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("MARC 21, ISO 2709") << "marc21"
                                       << "mrc";
    QTest::newRow("UNIMARC, MARCXML") << "unimarcxml"
                                      << "xml";
}

// The book catalogue out as MARC through Esporta and back into a fresh
// folder through Importa, the codes from 001: the mapped fields equal.
void TransferTest::screenMarcOutAndIn()
{
    QFETCH(QString, format);
    QFETCH(QString, suffix);
    MessageLog log;
    QByteArray exported;
    QString target;
    const QByteArray cards = catalogue(Books::collection());
    {
        TestFolder folder;
        folder.write("Libri.pro", cards);
        TfrmTrasferimento screen;
        auto* formato = screen.findChild<QComboBox*>(QStringLiteral("cboFormato"));
        formato->setCurrentIndex(formato->findData(format));
        QString proposed;
        FileChooser::setSaveHandler([&](const QString& offered, const QString&) {
            proposed = offered;
            return folder.file("uscita");
        });
        screen.btnEsportaClick();
        FileChooser::setSaveHandler({});
        QVERIFY(proposed.endsWith(QLatin1Char('.') + suffix));
        target = folder.file("uscita.") + suffix;
        QCOMPARE(screen.exported(), target);
        QVERIFY2(screen.findChild<QLabel*>(QStringLiteral("lblEsportato"))->text().contains(QStringLiteral(" schede esportate come ")),
            qPrintable(screen.findChild<QLabel*>(QStringLiteral("lblEsportato"))->text()));
        QFile f(target);
        QVERIFY(f.open(QIODevice::ReadOnly));
        exported = f.readAll();
        // MARC is for the books only: another collection turns the choice back.
        auto* raccolta = screen.findChild<QComboBox*>(QStringLiteral("cboRaccolta"));
        raccolta->setCurrentIndex(raccolta->findData(QStringLiteral("dvd")));
        QCOMPARE(formato->currentData().toString(), QStringLiteral("xlsx"));
        QVERIFY(!screen.findChild<QComboBox*>(QStringLiteral("cboCodici"))->isVisibleTo(&screen));
    }
    TestFolder fresh;
    fresh.write("in." + suffix, exported);
    FileChoice choice;
    TfrmTrasferimento screen;
    auto* codici = screen.findChild<QComboBox*>(QStringLiteral("cboCodici"));
    codici->setCurrentIndex(codici->findData(QStringLiteral("001")));
    choice.answers.push_back(fresh.file("in." + suffix));
    screen.btnScegliClick();
    QVERIFY(choice.filters.value(0).contains(QLatin1String("*.mrc")));
    QCOMPARE(screen.grdAnteprima()->horizontalHeaderItem(0)->text(), QStringLiteral("Titolo\n\u2192 Titolo"));
    QVERIFY(screen.grdAnteprima()->rowCount() > 0);
    QVERIFY(press(screen, log, true));
    const int count = int(cards.size() / TSchedaLibro.size);
    QCOMPARE(screen.lblStato()->text(),
        QStringLiteral("%1 schede importate in %2, nelle posizioni da 1 a %1.")
            .arg(count)
            .arg(QDir::toNativeSeparators(fresh.file("Libri.pro"))));
    const QByteArray back = fresh.read("Libri.pro");
    QCOMPARE(back.size(), cards.size());
    Record a(TSchedaLibro), b(TSchedaLibro);
    for (int i = 0; i < count; ++i) {
        a.bytes() = cards.mid(i * TSchedaLibro.size, TSchedaLibro.size);
        b.bytes() = back.mid(i * TSchedaLibro.size, TSchedaLibro.size);
        for (const char* field : {"Titolo", "Codice", "Autore", "Editore", "Citta", "Collana", "Note"})
            QCOMPARE(b.text(field), a.text(field).trimmed());
    }
    QVERIFY(onlyQuestions(log));
}

// The screen at rest, during an import and after it, as pictures in
// TOMARIA_GRAB_DIR, to be looked at.
void TransferTest::grabScreens()
{
    const QString dir = qEnvironmentVariable("TOMARIA_GRAB_DIR");
    if (dir.isEmpty())
        QSKIP("TOMARIA_GRAB_DIR not set");
    TestFolder folder;
    MessageLog log;
    FileChoice choice;
    folder.write("Libri.pro", catalogue(Books::collection()));
    folder.write("nuovi.csv", manyBooks(20000, 19990).replace(";Colore", ";Note"));
    TfrmTrasferimento screen;
    screen.show();
    QVERIFY(QTest::qWaitForWindowExposed(&screen));
    QVERIFY(screen.grab().save(dir + QStringLiteral("/transfer-rest.png")));
    choice.answers.push_back(folder.file("nuovi.csv"));
    screen.btnScegliClick();
    QVERIFY(screen.grab().save(dir + QStringLiteral("/transfer-chosen.png")));
    bool grabbed = false;
    connect(&screen, &TfrmTrasferimento::progressed, &screen, [&](int done, int) {
        if (!grabbed && done > 300) {
            grabbed = true;
            screen.grab().save(dir + QStringLiteral("/transfer-during.png"));
        }
    });
    QVERIFY(press(screen, log, false));
    QVERIFY(grabbed);
    QVERIFY(screen.grab().save(dir + QStringLiteral("/transfer-checked.png")));
    screen.findChild<QCheckBox*>(QStringLiteral("chkDuplicati"))->setChecked(true);
    QVERIFY(press(screen, log, true));
    QVERIFY(screen.grab().save(dir + QStringLiteral("/transfer-imported.png")));
}

namespace {

QString standingOf(const QString& path)
{
    const QFileInfo info(path);
    if (info.isSymLink())
        return QStringLiteral("link to ") + info.symLinkTarget();
    if (!info.exists())
        return QStringLiteral("absent");
    if (info.isDir())
        return QStringLiteral("folder");
    if (!info.isFile())
        return QStringLiteral("special");
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QStringLiteral("file ") + QString::fromLatin1(f.readAll().toHex()) : QStringLiteral("unreadable");
}

} // namespace

// Both ways a screen writes where the user says, the save dialog (the
// complete export) and the print dialog's PDF file, go through the guard:
// a file of the program folder, a link to one, a folder or a FIFO is
// refused with a message and left as it was; a user's file of another kind
// is replaced only after a question (the print dialog asks its own).
// clang-format off
void TransferTest::screensWriteThroughTheGuard_data()
{
    QTest::addColumn<QString>("way");    // "save" or "print"
    QTest::addColumn<QString>("target"); // in the program folder, or "../" outside it
    QTest::addColumn<QString>("kind");   // what stands there: as is, a link, a folder, a FIFO, the user's file
    QTest::addColumn<int>("answer");     // to a question: -1 none expected, 0 No, 1 Sì
    QTest::addColumn<bool>("written");
    for (const char* way : {"save", "print"}) {
        const QString suffix = QString::fromLatin1(way) == QLatin1String("save") ? QStringLiteral(".xlsx") : QStringLiteral(".pdf");
        if (QString::fromLatin1(way) == QLatin1String("print")) {
            for (const char* file : {"Libri.pro", "2026.art", "unins000.dll", "Tomaria.ini", "Libri.pro-search", "Inventario.txt", "DVD.pro"})
                QTest::addRow("%s: %s", way, file) << way << file << "as is" << -1 << false;
        }
        QTest::addRow("%s: a link to the archive", way) << way << "../collegamento" + suffix << "link Libri.pro" << -1 << false;
        QTest::addRow("%s: a link to the password file", way) << way << "../collegamento" + suffix << "link unins000.dll" << -1 << false;
        QTest::addRow("%s: a folder", way) << way << "../cartella" + suffix << "folder" << -1 << false;
        QTest::addRow("%s: a FIFO", way) << way << "../coda" + suffix << "fifo" << -1 << false;
        const bool asks = QString::fromLatin1(way) == QLatin1String("save");
        QTest::addRow("%s: a file of the user, No", way) << way << "../tesi" + suffix << "user" << (asks ? 0 : -1) << !asks;
        QTest::addRow("%s: a file of the user, Sì", way) << way << "../tesi" + suffix << "user" << (asks ? 1 : -1) << true;
        QTest::addRow("%s: a new file", way) << way << "../nuovo" + suffix << "none" << -1 << true;
    }
}
// clang-format on

void TransferTest::screensWriteThroughTheGuard()
{
    QFETCH(QString, way);
    QFETCH(QString, target);
    QFETCH(QString, kind);
    QFETCH(int, answer);
    QFETCH(bool, written);
    QTemporaryDir root;
    const QString program = root.filePath("PROGRAM");
    QVERIFY(QDir().mkpath(program));
    ProgramFolder::setPath(program);
    const auto back = qScopeGuard([] { ProgramFolder::setPath({}); });
    const auto put = [](const QString& path, const QByteArray& bytes) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    };
    put(program + "/Libri.pro", catalogue(Books::collection()));
    put(program + "/2026.art", catalogue(Articles::collection()));
    put(program + "/unins000.dll", "[Accesso]\r\nValore=1A\r\n");
    put(program + "/Tomaria.ini", "[Prestiti]\r\nGiorni=30\r\n");
    put(program + "/Libri.pro-search", QByteArray(64, 's'));
    put(program + "/Inventario.txt", "Inventario Tomaria\n");
    const QString path = QDir::cleanPath(program + "/" + target);
    std::optional<FifoWatch> fifo;
    if (kind.startsWith(QLatin1String("link ")))
        QVERIFY(QFile::link(program + "/" + kind.mid(5), path));
    else if (kind == QLatin1String("folder"))
        QVERIFY(QDir().mkpath(path));
    else if (kind == QLatin1String("fifo"))
        QVERIFY(fifo.emplace(path).created());
    else if (kind == QLatin1String("user"))
        put(path, "appunti della tesi");
    const QString before = standingOf(path);
    const QByteArray books = catalogue(Books::collection());

    MessageLog log;
    if (answer >= 0)
        log.answers.push_back(answer == 1);
    if (way == QLatin1String("save")) {
        TfrmTrasferimento screen;
        auto* raccolta = screen.findChild<QComboBox*>(QStringLiteral("cboRaccolta"));
        raccolta->setCurrentIndex(raccolta->findData(QStringLiteral("books")));
        FileChooser::setSaveHandler([&](const QString&, const QString&) { return path; });
        screen.btnEsportaClick();
        FileChooser::setSaveHandler({});
    } else {
        PrintLog prints(true, path);
        PreparedReport pages;
        pages.name = QStringLiteral("prova");
        pages.pageSize = QPageSize(QPageSize::A4);
        pages.size = QSizeF(2100, 2970);
        pages.pages << PreparedPage{};
        ReportPrinter::print(nullptr, pages);
    }
    if (fifo)
        QVERIFY(!fifo->hung());
    QFile archive(program + "/Libri.pro");
    QVERIFY(archive.open(QIODevice::ReadOnly));
    QCOMPARE(archive.readAll(), books);
    if (written) {
        QVERIFY(standingOf(path) != before);
        QVERIFY(log.entries.size() == (answer >= 0 ? 1 : 0));
        return;
    }
    QCOMPARE(standingOf(path), before);
    QCOMPARE(log.entries.size(), 1);
    if (answer >= 0) {
        QCOMPARE(log.entries[0].kind, Msg::Kind::Confirmation);
        QCOMPARE(log.entries[0].text, QStringLiteral("%1 esiste già. Vuoi sostituirlo?").arg(path));
    } else {
        QCOMPARE(log.entries[0].kind, Msg::Kind::Error);
        QVERIFY2(log.entries[0].text.contains(QLatin1String("non viene sostituit")), qPrintable(log.entries[0].text));
    }
}

QTEST_MAIN(TransferTest)
#include "test_transfer.moc"
