#include "CatalogueServers.h"
#include "CliRun.h"
#include "CoreSupport.h"
#include "MarcFixtures.h"

#include "core/collections/Books.h"
#include "core/collections/Collection.h"
#include "core/collections/SampleCards.h"
#include "core/import/CardImport.h"
#include "core/storage/RecordStore.h"
#include "lookup/MarcRowSource.h"
#include "core/storage/Record.h"
#include "lookup/Isbn.h"
#include "lookup/MarcMapping.h"
#include "lookup/MarcRecord.h"
#include "lookup/MarcWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>

namespace {

using Syntax = Catalogue::Syntax;

// Cards written by hand for what a round trip may lose: accents, a
// subtitle, several authors, editors and translators, a hyphenated ISBN,
// a language, a note ending in a full stop, a cancelled card.
QList<QByteArray> handWritten()
{
    const RecordLayout& layout = *Books::collection().layout;
    return {
        card(layout,
            {{"Titolo", QString::fromUtf8("Perché leggere i classici : saggi")}, {"Codice", "L000001"}, {"Scaffale", "A-3"},
                {"Autore", "Calvino, Italo"}, {"Curatore", "Calvino, Esther"}, {"Dewey", "809"}, {"Pagine", "XII, 294 p."},
                {"Editore", QString::fromUtf8("Società tipografica editrice")}, {"Isbn", "88-04-33948-9"},
                {"Citta", QString::fromUtf8("Città di Castello")}, {"Anno", "1991"}, {"Collana", "Oscar saggi"}, {"Lingua", "Italiano"},
                {"Note", "Copia con dedica dell'autore."}, {"Annullata", "No"}}),
        card(layout,
            {{"Titolo", "Buona Apocalisse a tutti!"}, {"Codice", "L000002"}, {"Autore", "Pratchett, Terry; Gaiman, Neil"},
                {"Traduttore", "Fusari, Luca; Serra, Laura"}, {"Isbn", "9788804571285"}, {"Editore", "Mondadori"}, {"Citta", "Milano"},
                {"Anno", "2007"}, {"Originale", "Good omens"}, {"Lingua", "Inglese"}, {"Annullata", QString::fromUtf8("Sì")}}),
        card(layout, {{"Titolo", "Scheda minima"}, {"Codice", "L000003"}, {"Autore", "Anonimo"}, {"Annullata", "No"}}),
    };
}

// What a field should read back as: the card's value in the one form the
// mapping gives (ISBN without hyphens, a year's four digits, a language
// that has a MARC code).
QString expected(const Record& r, const QString& field)
{
    const QString v = r.text(field.toStdString()).trimmed();
    if (field == QLatin1String("Isbn"))
        return Isbn::normalised(v);
    if (field == QLatin1String("Lingua"))
        return MarcMapping::languageCode(v).isEmpty() ? QString() : v;
    return v;
}

// The archive of `cards`, in a program folder of its own.
void writeArchive(const TestFolder& folder, const QList<QByteArray>& cards)
{
    QByteArray all;
    for (const QByteArray& c : cards)
        all += c;
    folder.write(Books::collection().archiveName(), all);
}

QList<QByteArray> sampleCards(int count)
{
    QList<QByteArray> out = handWritten();
    SampleCards samples(7);
    Record r(*Books::collection().layout);
    for (int i = 0; i < count; ++i) {
        samples.fill(Books::collection(), r, 100 + i);
        out << r.bytes();
    }
    return out;
}

// The records of an ISO 2709 file, cut at each record's own length.
QList<QByteArray> isoRecords(const QByteArray& file)
{
    QList<QByteArray> out;
    qsizetype at = 0;
    while (at + 5 <= file.size()) {
        const qsizetype length = file.mid(at, 5).toLongLong();
        if (length < 24 || at + length > file.size())
            return {};
        out << file.mid(at, length);
        at += length;
    }
    return out;
}

struct Dump {
    int code = -1;
    QByteArray out;
    QByteArray err;
};

// yaz-marcdump's reading of a file: `input` "marc" or "marcxml", written as
// `output` ("marc", "line").
Dump marcdump(const QString& path, const char* input, const char* output)
{
    QProcess p;
    p.start(QStringLiteral("yaz-marcdump"), {"-i", input, "-o", output, "-f", "utf-8", "-t", "utf-8", path});
    Dump d;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return d;
    }
    d.code = p.exitCode();
    d.out = p.readAllStandardOutput();
    d.err = p.readAllStandardError();
    return d;
}

} // namespace

class MarcTest : public QObject {
    Q_OBJECT
private slots:
    void roundTripThroughFiles_data();
    void roundTripThroughFiles();
    void cancelledCardIsADeletedRecord();
    void recordTooLongIsRefused_data();
    void recordTooLongIsRefused();
    void exportRefusals_data();
    void exportRefusals();
    void exportForceReplacesAnotherFile();

    void importGivesBackTheExportedCards_data();
    void importGivesBackTheExportedCards();
    void importMarc8AndWhatTheCardCannotHold();
    void importCodes_data();
    void importCodes();
    void hostileFilesAreRefused_data();
    void hostileFilesAreRefused();
    void cancelledImportLeavesTheArchive();
    void largestRecordIsRead();
    void boxOfIsbnsFromAFile();
};

// clang-format off
void MarcTest::roundTripThroughFiles_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<bool>("xml");
    QTest::newRow("MARC 21, ISO 2709") << "--marc21" << false;
    QTest::newRow("MARC 21, MARCXML") << "--marc21" << true;
    QTest::newRow("UNIMARC, ISO 2709") << "--unimarc" << false;
    QTest::newRow("UNIMARC, MARCXML") << "--unimarc" << true;
}
// clang-format on

void MarcTest::roundTripThroughFiles()
{
    QFETCH(QString, option);
    QFETCH(bool, xml);
    const Syntax syntax = option == QLatin1String("--marc21") ? Syntax::Marc21 : Syntax::Unimarc;
    TestFolder folder;
    const QList<QByteArray> cards = sampleCards(300);
    writeArchive(folder, cards);
    const QString out = folder.file(xml ? "libri.xml" : "libri.mrc");
    QStringList args{"--folder", folder.path(), "export", "books", option, "--out", out};
    if (xml)
        args << "--xml";
    const CliResult r = cli(args);
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY(r.out.startsWith(QStringLiteral("%1 schede esportate").arg(cards.size())));

    // YAZ reads every record; from MARCXML it makes the ISO 2709 read below.
    const Dump dump = marcdump(out, xml ? "marcxml" : "marc", "marc");
    QCOMPARE(dump.code, 0);
    QVERIFY2(dump.err.isEmpty(), dump.err.constData());
    const QList<QByteArray> records = isoRecords(dump.out);
    QCOMPARE(records.size(), cards.size());
    if (!xml)
        QCOMPARE(dump.out, folder.read(xml ? "libri.xml" : "libri.mrc")); // YAZ writes back the same bytes

    MarcMapping::ReadOptions options;
    options.localFields = true;
    options.codeTag = QStringLiteral("001");
    Record original(*Books::collection().layout);
    for (qsizetype i = 0; i < cards.size(); ++i) {
        MarcRecord marc;
        QVERIFY(marc.readIso2709(records[i], "utf-8"));
        if (syntax == Syntax::Marc21)
            QCOMPARE(marc.leader().at(9), QChar(u'a')); // UTF-8, as MARC 21 says it
        original.bytes() = cards[i];
        const CatalogueRecord back = MarcMapping::card(marc, syntax, options);
        for (const QString& field : MarcMapping::mappedFields())
            QVERIFY2(back.value(field) == expected(original, field),
                qPrintable(QStringLiteral("card %1, %2: \"%3\" came back as \"%4\"")
                               .arg(i)
                               .arg(field, original.text(field.toStdString()), back.value(field))));
    }
}

void MarcTest::cancelledCardIsADeletedRecord()
{
    TestFolder folder;
    writeArchive(folder, handWritten());
    QCOMPARE(cli({"--folder", folder.path(), "export", "books", "--marc21", "--out", folder.file("x.mrc")}).code, 0);
    const QList<QByteArray> records = isoRecords(folder.read("x.mrc"));
    QCOMPARE(records.size(), 3);
    QCOMPARE(records[0].at(5), 'n');
    QCOMPARE(records[1].at(5), 'd');
    QCOMPARE(records[2].at(5), 'n');
    // The line form shows the fields where MARC 21 keeps them.
    const Dump line = marcdump(folder.file("x.mrc"), "marc", "line");
    QCOMPARE(line.code, 0);
    const QString text = QString::fromUtf8(line.out);
    for (const char* expectedLine : {"001 L000001", "020    $a 8804339489", "020    $a 9788804571285", "100 1  $a Calvino, Italo",
             "700 1  $a Calvino, Esther $4 edt", "245 10 $a Perché leggere i classici : $b saggi",
             "260    $a Città di Castello $b Società tipografica editrice $c 1991", "700 1  $a Serra, Laura $4 trl", "852    $h A-3"})
        QVERIFY2(text.contains(QString::fromUtf8(expectedLine)),
            qPrintable(QString::fromUtf8(expectedLine) + QStringLiteral(" not in ") + text));
}

void MarcTest::recordTooLongIsRefused_data()
{
    QTest::addColumn<int>("fields");
    QTest::addColumn<int>("length");
    QTest::addColumn<bool>("written");
    // ISO 2709 counts a field's length in four digits, a record's in five.
    // A field: 2 indicators, delimiter and code, the value (one character
    // of two bytes), the field's end: 9,999 bytes for 9,993 characters.
    QTest::newRow("longest field") << 1 << 9993 << true;
    QTest::newRow("field one byte over") << 1 << 9994 << false;
    QTest::newRow("record over 99,999 bytes") << 12 << 9000 << false;
    QTest::newRow("record under") << 10 << 9000 << true;
}

void MarcTest::recordTooLongIsRefused()
{
    QFETCH(int, fields);
    QFETCH(int, length);
    QFETCH(bool, written);
    MarcRecord r;
    r.setLeader(QStringLiteral("00000nam a2200000 i 4500"));
    for (int i = 0; i < fields; ++i) {
        MarcRecord::DataField f;
        f.tag = QStringLiteral("500");
        f.subfields.append({u'a', QString(length - 1, u'x') + QChar(0xE8)}); // "è": two bytes in UTF-8
        r.addField(f);
    }
    MarcWriter iso(MarcWriter::Format::Iso2709);
    QByteArray out("before");
    QCOMPARE(iso.write(r, out), written);
    if (!written) {
        QCOMPARE(out, QByteArray("before"));
        return;
    }
    // What was written is the whole record, every byte of every field.
    const QByteArray record = out.mid(6);
    QCOMPARE(record.left(5).toInt(), record.size());
    MarcRecord back;
    QVERIFY(back.readIso2709(record, "utf-8"));
    QCOMPARE(back.fields(u"500").size(), fields);
    QCOMPARE(back.field(u"500")->first(u'a').size(), length);
}

// clang-format off
void MarcTest::exportRefusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    QTest::newRow("both formats") << QStringList{"export", "books", "--marc21", "--unimarc", "--out", "x.mrc"} << "--marc21 oppure --unimarc";
    QTest::newRow("--xml alone") << QStringList{"export", "books", "--xml", "--out", "x.mrc"} << "--marc21 oppure --unimarc";
    QTest::newRow("no --out") << QStringList{"export", "books", "--marc21"} << "vuole --out FILE";
    QTest::newRow("not books") << QStringList{"export", "dvd", "--unimarc", "--out", "x.mrc"} << "soltanto per books";
    QTest::newRow("with --csv") << QStringList{"export", "books", "--marc21", "--csv", "--out", "x.mrc"} << "non vanno con --csv";
    QTest::newRow("over a file that is not MARC") << QStringList{"export", "books", "--marc21", "--out", "note.txt"} << "non è un file MARC scritto da questo programma: non viene sostituito senza --force";
    QTest::newRow("over the archive") << QStringList{"export", "books", "--unimarc", "--out", "ARCHIVE"} << "è un file del catalogo o del programma";
    QTest::newRow("over the archive, --force") << QStringList{"export", "books", "--unimarc", "--force", "--out", "ARCHIVE"} << "è un file del catalogo o del programma";
}
// clang-format on

void MarcTest::exportRefusals()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    TestFolder folder;
    writeArchive(folder, handWritten());
    folder.write("note.txt", "appunti\n");
    const QByteArray archive = folder.read(Books::collection().archiveName());
    for (QString& a : args) {
        if (a == QLatin1String("ARCHIVE"))
            a = Books::collection().archiveName();
        if (a.contains(QLatin1Char('.')))
            a = folder.file(a);
    }
    const CliResult r = cli(QStringList{"--folder", folder.path()} + args);
    QCOMPARE(r.code, 2);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QCOMPARE(folder.read("note.txt"), QByteArray("appunti\n"));
    QCOMPARE(folder.read(Books::collection().archiveName()), archive);
    QVERIFY(!QFile::exists(folder.file("x.mrc")));
}

// A file of another kind is replaced when --force says so, and an earlier
// MARC export without it.
void MarcTest::exportForceReplacesAnotherFile()
{
    TestFolder folder;
    writeArchive(folder, handWritten());
    folder.write("note.txt", "appunti\n");
    const CliResult forced = cli({"--folder", folder.path(), "export", "books", "--marc21", "--force", "--out", folder.file("note.txt")});
    QCOMPARE(forced.code, 0);
    const QByteArray written = folder.read("note.txt");
    QVERIFY(written.size() > 24);
    QCOMPARE(written.mid(10, 2), QByteArray("22")); // an ISO 2709 leader, not the notes
    const CliResult again = cli({"--folder", folder.path(), "export", "books", "--marc21", "--xml", "--out", folder.file("note.txt")});
    QVERIFY2(again.code == 0, qPrintable(again.err));
    QVERIFY(folder.read("note.txt").contains("http://www.loc.gov/MARC21/slim"));
}

namespace {

// The cards of a program folder's book archive.
QList<QByteArray> archiveCards(const TestFolder& folder)
{
    const QByteArray all = folder.read(Books::collection().archiveName());
    const int size = Books::collection().layout->size;
    QList<QByteArray> out;
    for (qsizetype at = 0; at + size <= all.size(); at += size)
        out << all.mid(at, size);
    return out;
}

} // namespace

// clang-format off
void MarcTest::importGivesBackTheExportedCards_data()
{
    QTest::addColumn<QStringList>("exportOptions");
    QTest::addColumn<QString>("file");
    QTest::newRow("MARC 21, ISO 2709") << QStringList{"--marc21"} << "libri.mrc";
    QTest::newRow("MARC 21, MARCXML") << QStringList{"--marc21", "--xml"} << "libri.xml";
    QTest::newRow("UNIMARC, ISO 2709") << QStringList{"--unimarc"} << "libri.mrc";
    QTest::newRow("UNIMARC, MARCXML") << QStringList{"--unimarc", "--xml"} << "libri.xml";
}
// clang-format on

void MarcTest::importGivesBackTheExportedCards()
{
    QFETCH(QStringList, exportOptions);
    QFETCH(QString, file);
    TestFolder from, to;
    const QList<QByteArray> cards = sampleCards(120);
    writeArchive(from, cards);
    const QString path = from.file(file);
    QCOMPARE(cli(QStringList{"--folder", from.path(), "export", "books"} + exportOptions + QStringList{"--out", path}).code, 0);
    // The format is recognised by the content: no --syntax.
    const CliResult r = cli({"--folder", to.path(), "import", "books", path, "--code-tag", "001"});
    QVERIFY2(r.code == 0, qPrintable(r.err + r.out));
    QVERIFY2(r.out.startsWith(QStringLiteral("%1 schede importate").arg(cards.size())), qPrintable(r.out));
    const QList<QByteArray> back = archiveCards(to);
    QCOMPARE(back.size(), cards.size());
    Record original(*Books::collection().layout), imported(*Books::collection().layout);
    for (qsizetype i = 0; i < cards.size(); ++i) {
        original.bytes() = cards[i];
        imported.bytes() = back[i];
        for (const QString& field : MarcMapping::mappedFields() + QStringList{"Annullata"}) {
            const QString want = field == QLatin1String("Annullata") ? original.text("Annullata") : expected(original, field);
            QVERIFY2(imported.text(field.toStdString()) == want,
                qPrintable(
                    QStringLiteral("card %1, %2: \"%3\" came back as \"%4\"").arg(i).arg(field, want, imported.text(field.toStdString()))));
        }
    }
}

void MarcTest::importMarc8AndWhatTheCardCannotHold()
{
    TestFolder folder;
    // MARC-8 writes an accent as a combining mark before its letter (0xE2
    // acute, 0xE1 grave); the title is longer than the card's 250
    // characters; 650 and 856 have no field on the card; the second record
    // has a character Windows-1252 lacks and an author known only by $e role.
    const QByteArray longTitle = "Storia " + QByteArray(300, 'x');
    const QByteArray file = iso2709("00000cam  2200000 a 4500",
                                {{"001", "ext-1"},
                                    {"100",
                                        "1 \x1f"
                                        "aCalvino, Italo"},
                                    {"245",
                                        "10\x1f"
                                        "aPerch\xe2"
                                        "e leggere i classici /"},
                                    {"260",
                                        "  \x1f"
                                        "aCitt\xe1"
                                        "a di Castello :\x1f"
                                        "bSociet\xe1"
                                        "a tipografica,\x1f"
                                        "c1991."},
                                    {"650",
                                        " 0\x1f"
                                        "aLetteratura"},
                                    {"856",
                                        "40\x1f"
                                        "uhttp://example.org"}})
        + iso2709("00000nam a2200000 a 4500",
            {{"100",
                 "1 \x1f"
                 "aDostoevskij, Fedor"},
                {"245",
                    "10\x1f"
                    "a" + longTitle},
                {"500",
                    "  \x1f"
                    "a\xd0\x94\xd0\xb0."},
                {"650",
                    " 0\x1f"
                    "aRomanzo"}});
    folder.write("in.mrc", file);
    const CliResult r = cli({"--folder", folder.path(), "import", "books", folder.file("in.mrc"), "--code-prefix", "M"});
    QVERIFY2(r.code == 0, qPrintable(r.err + r.out));
    QVERIFY2(r.out.contains(QStringLiteral("tagliati alla lunghezza del campo della scheda, come li taglia Salva: Titolo (1)")),
        qPrintable(r.out));
    QVERIFY2(r.out.contains(QStringLiteral("resi con \"?\": Note (1)")), qPrintable(r.out));
    QVERIFY2(r.out.contains(QStringLiteral("con il numero dei record che li hanno: 650 (2), 856 (1)")), qPrintable(r.out));
    const QList<QByteArray> cards = archiveCards(folder);
    QCOMPARE(cards.size(), 2);
    Record c(*Books::collection().layout);
    c.bytes() = cards[0];
    QCOMPARE(c.text("Titolo"), QString::fromUtf8("Perché leggere i classici"));
    QCOMPARE(c.text("Citta"), QString::fromUtf8("Città di Castello"));
    QCOMPARE(c.text("Editore"), QString::fromUtf8("Società tipografica"));
    QCOMPARE(c.text("Codice"), QStringLiteral("M000001"));
    QCOMPARE(c.text("Annullata"), QStringLiteral("No"));
    c.bytes() = cards[1];
    QCOMPARE(c.text("Titolo"), QString::fromUtf8(longTitle.left(250)));
    QCOMPARE(c.text("Note"), QStringLiteral("??."));
    QCOMPARE(c.text("Codice"), QStringLiteral("M000002"));
}

// clang-format off
void MarcTest::importCodes_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("codes");
    // The archive holds L000123, L99 and X5: the highest L code with digits
    // only after the prefix sets the next number and its width.
    QTest::newRow("after the highest, its width") << QStringList{"--code-prefix", "L"} << QStringList{"L000124", "L000125"};
    QTest::newRow("another prefix starts from 1") << QStringList{"--code-prefix", "Dono-"} << QStringList{"Dono-000001", "Dono-000002"};
    QTest::newRow("the records' 001") << QStringList{"--code-tag", "001"} << QStringList{"ext-1", "ext-2"};
    QTest::newRow("a tag and subfield") << QStringList{"--code-tag", "852p"} << QStringList{"C 12", "C 13"};
}
// clang-format on

void MarcTest::importCodes()
{
    QFETCH(QStringList, options);
    QFETCH(QStringList, codes);
    TestFolder folder;
    const RecordLayout& layout = *Books::collection().layout;
    writeArchive(folder,
        {card(layout, {{"Titolo", "a"}, {"Codice", "L000123"}, {"Autore", "x"}}),
            card(layout, {{"Titolo", "b"}, {"Codice", "L99"}, {"Autore", "x"}}),
            card(layout, {{"Titolo", "c"}, {"Codice", "X5"}, {"Autore", "x"}})});
    QByteArray file;
    for (int i = 1; i <= 2; ++i)
        file += iso2709("00000nam a2200000 a 4500",
            {{"001", "ext-" + QByteArray::number(i)},
                {"100",
                    "1 \x1f"
                    "aAutore"},
                {"245",
                    "10\x1f"
                    "aTitolo"},
                {"852",
                    "  \x1f"
                    "p"
                    "C 1"
                        + QByteArray::number(i + 1)}});
    folder.write("in.mrc", file);
    const CliResult r = cli(QStringList{"--folder", folder.path(), "import", "books", folder.file("in.mrc")} + options);
    QVERIFY2(r.code == 0, qPrintable(r.err + r.out));
    const QList<QByteArray> cards = archiveCards(folder);
    QCOMPARE(cards.size(), 5);
    Record c(layout);
    for (int i = 0; i < 2; ++i) {
        c.bytes() = cards[3 + i];
        QCOMPARE(c.text("Codice"), codes[i]);
    }
}

// clang-format off
void MarcTest::hostileFilesAreRefused_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("message");
    const QByteArray good = iso2709("00000nam a2200000 a 4500", {{"100", "1 \x1f" "aAutore"}, {"245", "10\x1f" "aTitolo"}});
    QByteArray longer = good;
    longer.replace(0, 5, "00900");
    QTest::newRow("leader longer than the file") << good + longer << "record 2: dice di essere lungo 900 byte, ma il file ne ha soltanto altri";
    QByteArray shorter = good;
    shorter.replace(0, 5, QByteArray::number(good.size() - 3).rightJustified(5, '0'));
    QTest::newRow("leader shorter than the record") << shorter << "record 1: non finisce dove dice la sua lunghezza";
    QByteArray pastEnd = good;
    pastEnd.replace(24 + 3, 4, "0400");
    QTest::newRow("directory past the end") << pastEnd << "record 1: il campo 100 va oltre la fine del record";
    QByteArray base = good;
    base.replace(12, 5, "00031");
    QTest::newRow("base address inside the directory") << base << "record 1: l'indirizzo dei dati (31) non chiude la directory";
    QTest::newRow("not a length") << good + QByteArray("garbage after the records") << "record 2: non comincia con la lunghezza del record";
    QByteArray many = "<collection xmlns=\"http://www.loc.gov/MARC21/slim\"><record><leader>00000nam a2200000 a 4500</leader>";
    for (int i = 0; i < 10000; ++i)
        many += "<datafield tag=\"650\" ind1=\" \" ind2=\"0\"><subfield code=\"a\">x</subfield></datafield>";
    many += "</record></collection>";
    QTest::newRow("MARCXML, 10,000 fields") << many << "record 1: record con più di 2000 campi";
    QTest::newRow("MARCXML, broken") << QByteArray("<collection xmlns=\"http://www.loc.gov/MARC21/slim\"><record><leader>x</leader><datafield tag=\"245\">")
                                     << "record 1: XML non valido";
}
// clang-format on

void MarcTest::hostileFilesAreRefused()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, message);
    TestFolder folder;
    writeArchive(folder, handWritten());
    const QByteArray before = folder.read(Books::collection().archiveName());
    folder.write("in.mrc", file);
    const CliResult r = cli({"--folder", folder.path(), "import", "books", folder.file("in.mrc")});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(r.err.contains(QStringLiteral("l'archivio è rimasto com'era")));
    QCOMPARE(folder.read(Books::collection().archiveName()), before);
}

void MarcTest::cancelledImportLeavesTheArchive()
{
    // Raised once the second pass has written a batch: the journal cuts the
    // archive back to what it was.
    TestFolder folder, from;
    writeArchive(folder, handWritten());
    const QByteArray before = folder.read(Books::collection().archiveName());
    writeArchive(from, sampleCards(2500));
    QCOMPARE(cli({"--folder", from.path(), "export", "books", "--unimarc", "--xml", "--out", from.file("x.xml")}).code, 0);
    QFile file(from.file("x.xml"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    MarcRowSource::Options options;
    options.codePrefix = QStringLiteral("N");
    MarcRowSource source(options);
    CardImport import(Books::collection());
    import.setRowSource(&source);
    CardImport::Options o;
    o.archive = folder.file(Books::collection().archiveName());
    std::atomic<bool> cancel{false};
    bool checked = false;
    const CardImport::Outcome outcome = import.run(
        file, o,
        [&](CardImport::Pass pass, qint64, qint64) {
            if (pass == CardImport::Pass::Write)
                cancel = true;
            else
                checked = true;
        },
        &cancel);
    QVERIFY(checked);
    QCOMPARE(outcome.status, CardImport::Outcome::Status::Cancelled);
    QCOMPARE(folder.read(Books::collection().archiveName()), before);
}

void MarcTest::largestRecordIsRead()
{
    // 99,999 bytes, the most ISO 2709 can say: read whole, within budget.
    QList<QPair<QByteArray, QByteArray>> fields{{"100",
                                                    "1 \x1f"
                                                    "aAutore"},
        {"245",
            "10\x1f"
            "aTitolo"}};
    for (int i = 0; i < 10; ++i)
        fields.append({"650",
            " 0\x1f"
            "a" + QByteArray(9000, 'x')});
    QByteArray record = iso2709("00000nam a2200000 a 4500", fields);
    fields.append({"856",
        "40\x1f"
        "u" + QByteArray(99999 - record.size() - 12 - 5, 'y')});
    record = iso2709("00000nam a2200000 a 4500", fields);
    QCOMPARE(record.size(), 99999);
    TestFolder folder;
    folder.write("in.mrc", record + record);
    const CliResult r = cli({"--folder", folder.path(), "import", "books", folder.file("in.mrc"), "--dry-run"});
    QVERIFY2(r.code == 0, qPrintable(r.err));
    QVERIFY2(r.out.startsWith(QStringLiteral("2 schede pronte")), qPrintable(r.out));
    // The dry run's sentence names how the file was read.
    QVERIFY2(r.out.contains(QStringLiteral("(file letto come MARC 21 (ISO 2709, UTF-8))")), qPrintable(r.out));
    QVERIFY2(r.out.contains(QStringLiteral("650 (2), 856 (2)")), qPrintable(r.out));
}

// A box of books: found, unknown, not an ISBN, repeated (in another form),
// an ISBN-10 by hand; the cards found appended together, numbered after
// the highest code with the prefix, on the shelf given.
void MarcTest::boxOfIsbnsFromAFile()
{
    ZebraServer zebra;
    QVERIFY2(zebra.started(), qPrintable(zebra.failure()));
    TestFolder folder;
    const RecordLayout& layout = *Books::collection().layout;
    writeArchive(folder, {card(layout, {{"Titolo", "a"}, {"Codice", "D000041"}, {"Autore", "x"}})});
    const QByteArray before = folder.read(Books::collection().archiveName());
    folder.write("box.txt", "9788804339489\r\n9780000000002\n12-34\n\n88-04-33948-9\n978-0-00-748729-5\n");
    const QStringList args{"--folder", folder.path(), "catalogue", folder.file("box.txt"), "--server", zebra.z3950("libri21"),
        "--code-prefix", "D", "--shelf", "Dono 2026"};
    const CliResult dry = cli(args + QStringList{"--dry-run"});
    QCOMPARE(dry.code, 1);
    QCOMPARE(folder.read(Books::collection().archiveName()), before);
    const CliResult r = cli(args);
    QCOMPARE(r.code, 1);
    const QStringList lines = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 6);
    QVERIFY2(lines[0].startsWith(QString::fromUtf8("9788804339489\ttrovato\tD000042\tPerché leggere i classici, Calvino, Italo, 1991")),
        qPrintable(lines[0]));
    QCOMPARE(lines[1], QStringLiteral("9780000000002\tnessuna scheda"));
    QCOMPARE(lines[2], QString::fromUtf8("12-34\tnon è un ISBN"));
    QCOMPARE(lines[3], QStringLiteral("88-04-33948-9\tripetuto"));
    QVERIFY2(lines[4].startsWith(QStringLiteral("978-0-00-748729-5\ttrovato\tD000043\tThe hobbit")), qPrintable(lines[4]));
    QCOMPARE(lines[5], QStringLiteral("2 libri trovati, 2 senza scheda; schede aggiunte: 2"));
    const QList<QByteArray> cards = archiveCards(folder);
    QCOMPARE(cards.size(), 3);
    Record c(layout);
    c.bytes() = cards[2];
    QCOMPARE(c.text("Codice"), QStringLiteral("D000043"));
    QCOMPARE(c.text("Scaffale"), QStringLiteral("Dono 2026"));
    QCOMPARE(c.text("Isbn"), QStringLiteral("9780007487295"));
    QCOMPARE(c.text("Annullata"), QStringLiteral("No"));
}

QTEST_GUILESS_MAIN(MarcTest)
#include "test_marc.moc"
