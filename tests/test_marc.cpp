#include "CliRun.h"
#include "CoreSupport.h"

#include "core/collections/Books.h"
#include "core/collections/Collection.h"
#include "core/collections/SampleCards.h"
#include "core/storage/Record.h"
#include "lookup/Isbn.h"
#include "lookup/MarcMapping.h"
#include "lookup/MarcRecord.h"
#include "lookup/MarcWriter.h"

#include <QFile>
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
                {"Citta", QString::fromUtf8("Città di Castello")}, {"Anno", "1991"}, {"Collana", "Oscar saggi"},
                {"Lingua", "Italiano"}, {"Note", "Copia con dedica dell'autore."}, {"Annullata", "No"}}),
        card(layout,
            {{"Titolo", "Buona Apocalisse a tutti!"}, {"Codice", "L000002"}, {"Autore", "Pratchett, Terry; Gaiman, Neil"},
                {"Traduttore", "Fusari, Luca; Serra, Laura"}, {"Isbn", "9788804571285"}, {"Editore", "Mondadori"}, {"Citta", "Milano"},
                {"Anno", "2007"}, {"Originale", "Good omens"}, {"Lingua", "Inglese"}, {"Annullata", QString::fromUtf8("Sì")}}),
        card(layout, {{"Titolo", "Senza autore"}, {"Codice", "L000003"}, {"Annullata", "No"}}),
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
    for (const char* expectedLine : {"001 L000001", "020    $a 8804339489", "020    $a 9788804571285", "100 1  $a Calvino, Italo", "700 1  $a Calvino, Esther $4 edt",
             "245 10 $a Perché leggere i classici : $b saggi", "260    $a Città di Castello $b Società tipografica editrice $c 1991",
             "700 1  $a Serra, Laura $4 trl", "852    $h A-3"})
        QVERIFY2(text.contains(QString::fromUtf8(expectedLine)), qPrintable(QString::fromUtf8(expectedLine) + QStringLiteral(" not in ") + text));
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
    QTest::newRow("over a file that is not MARC") << QStringList{"export", "books", "--marc21", "--out", "note.txt"} << "non è un file MARC";
    QTest::newRow("over the archive") << QStringList{"export", "books", "--unimarc", "--out", "ARCHIVE"} << "è un archivio";
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

QTEST_GUILESS_MAIN(MarcTest)
#include "test_marc.moc"
