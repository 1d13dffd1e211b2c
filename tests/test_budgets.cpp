// Every reader of outside input within its budget (core/text/InputBudget.h):
// hostile codes files and workbooks are refused with a reason in Italian,
// or read in bounded memory; none hangs.

#include "CoreSupport.h"

#include "core/storage/CodesFile.h"
#include "core/storage/XlsxReader.h"
#include "core/text/InputBudget.h"

#include <QBuffer>
#include <QFile>
#include <QMap>
#include <QTest>

#include <zip.h>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

// A workbook made of the parts given over the smallest package: its
// relationships, a workbook of one sheet, the workbook's relationships.
// Parts are deflated, so that a hostile part of megabytes makes a small file.
QByteArray workbook(const QByteArray& sheetData, const QByteArray& sharedStrings = {}, const QByteArray& prologue = {})
{
    QMap<QByteArray, QByteArray> parts;
    parts["_rels/.rels"] = R"(<?xml version="1.0" encoding="UTF-8"?>
<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/officeDocument" Target="xl/workbook.xml"/></Relationships>)";
    parts["xl/workbook.xml"]
        = R"(<workbook xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main" xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"><sheets><sheet name="F" sheetId="1" r:id="rId1"/></sheets></workbook>)";
    parts["xl/_rels/workbook.xml.rels"]
        = R"(<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships"><Relationship Id="rId1" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/sheet1.xml"/><Relationship Id="rId2" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings" Target="sharedStrings.xml"/></Relationships>)";
    parts["xl/worksheets/sheet1.xml"] = prologue
        + R"(<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData>)" + sheetData
        + "</sheetData></worksheet>";
    if (!sharedStrings.isNull())
        parts["xl/sharedStrings.xml"] = R"(<sst xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main">)" + sharedStrings
            + "</sst>";

    QTemporaryDir dir;
    const QByteArray path = QFile::encodeName(dir.filePath(u"w.xlsx"_s));
    int code = 0;
    zip_t* z = zip_open(path.constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!z)
        return {};
    for (auto it = parts.cbegin(); it != parts.cend(); ++it) {
        zip_source_t* source = zip_source_buffer(z, it.value().constData(), zip_uint64_t(it.value().size()), 0);
        const zip_int64_t index = zip_file_add(z, it.key().constData(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0)
            zip_source_free(source);
        else
            zip_set_file_compression(z, zip_uint64_t(index), ZIP_CM_DEFLATE, 1);
    }
    if (zip_close(z) != 0) {
        zip_discard(z);
        return {};
    }
    QFile file(QFile::decodeName(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray inlineCell(const QByteArray& ref, const QByteArray& text)
{
    return "<c r=\"" + ref + "\" t=\"inlineStr\"><is><t>" + text + "</t></is></c>";
}

struct Read {
    XlsxReader::Status status;
    QString error;
    QList<QList<QByteArray>> rows;
};

Read readAll(const QByteArray& file)
{
    QByteArray bytes = file;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    XlsxReader reader(buffer);
    Read r;
    r.status = reader.read([&r](XlsxReader::Row& row) {
        r.rows << row.fields;
        return true;
    });
    r.error = reader.error();
    return r;
}

} // namespace

class BudgetsTest : public QObject {
    Q_OBJECT

private slots:
    void codesFile_data();
    void codesFile();
    void codesFileThatIsNoRegularFile_data();
    void codesFileThatIsNoRegularFile();
    void hostileWorkbook_data();
    void hostileWorkbook();
    void markupTheGuardLetsThrough();
};

void BudgetsTest::codesFile_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<CodesFile::Status>("status");
    QTest::addColumn<QStringList>("codes");
    QTest::addColumn<QString>("why");

    const QByteArray longest(InputBudget::kCodeLineBytes, 'A');
    QTest::newRow("blank lines, CR LF, blanks around, no final break")
        << QByteArray(" L1 \r\n\r\n\tL2\nL3") << CodesFile::Status::Done << QStringList{u"L1"_s, u"L2"_s, u"L3"_s} << QString();
    QTest::newRow("the longest code, with CR LF")
        << (longest + "\r\nL2\n") << CodesFile::Status::Done << QStringList{QString::fromLatin1(longest), u"L2"_s} << QString();
    QTest::newRow("a line one byte over") << ("L1\n" + longest + "A\nL3\n") << CodesFile::Status::LineTooLong << QStringList{u"L1"_s}
                                          << u"la riga 2 supera 256 caratteri: non è un codice"_s;
    QTest::newRow("a line of 4 MB without a break") << QByteArray(4 * 1024 * 1024, 'x') << CodesFile::Status::LineTooLong << QStringList()
                                                    << u"la riga 1 supera 256 caratteri: non è un codice"_s;
    QByteArray many;
    for (qsizetype i = 0; i <= InputBudget::kCodes; ++i)
        many += "C\n";
    QStringList allowed;
    for (qsizetype i = 0; i < InputBudget::kCodes; ++i)
        allowed << u"C"_s;
    QTest::newRow("one code more than a file may hold")
        << many << CodesFile::Status::TooManyCodes << allowed << u"il file contiene più di 250000 codici (riga 250001)"_s;
}

void BudgetsTest::codesFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(CodesFile::Status, status);
    QFETCH(QStringList, codes);
    QFETCH(QString, why);
    TestFolder folder;
    folder.write(u"codici.txt"_s, bytes);
    QStringList got;
    QString reason;
    QCOMPARE(CodesFile::read(
                 folder.file(u"codici.txt"_s), [&got](const QString& code) { got << code; }, &reason),
        status);
    QCOMPARE(got, codes);
    QCOMPARE(reason, why);
}

void BudgetsTest::codesFileThatIsNoRegularFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("FIFO") << u"fifo"_s;
    QTest::newRow("device") << u"/dev/zero"_s;
    QTest::newRow("folder") << u"folder"_s;
    QTest::newRow("link to a device") << u"link"_s;
}

void BudgetsTest::codesFileThatIsNoRegularFile()
{
    // A FIFO would wait for a writer and /dev/zero never end: both are
    // refused before a byte is read.
    QFETCH(QString, kind);
    TestFolder folder;
    QString path = folder.file(u"codici.txt"_s);
    std::optional<FifoWatch> fifo;
    if (kind == "fifo"_L1) {
        fifo.emplace(path);
        QVERIFY(fifo->created());
    } else if (kind == "folder"_L1) {
        path = folder.path();
    } else if (kind == "link"_L1) {
        QVERIFY(QFile::link(u"/dev/zero"_s, path));
    } else {
        path = kind;
    }
    int calls = 0;
    QString why;
    QCOMPARE(CodesFile::read(
                 path, [&calls](const QString&) { ++calls; }, &why),
        CodesFile::Status::NotRegular);
    QCOMPARE(why, u"non è un file di testo ordinario (una cartella, una pipe o un dispositivo)"_s);
    QCOMPARE(calls, 0);
    if (fifo)
        QVERIFY(!fifo->hung());
}

void BudgetsTest::hostileWorkbook_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<XlsxReader::Status>("status");
    QTest::addColumn<QString>("error");
    QTest::addColumn<int>("rows"); // rows handed over before the end

    const QByteArray mib(1024 * 1024, 'x');
    QTest::newRow("a cell of 2 MB of text") << workbook("<row r=\"1\">" + inlineCell("A1", mib + mib) + "</row>")
                                            << XlsxReader::Status::FieldTooLong << u"una cella supera 1048576 caratteri"_s << 0;
    QTest::newRow("a text of 9 MB in a value") << workbook("<row r=\"1\"><c r=\"A1\"><v>" + mib.repeated(9) + "</v></c></row>")
                                               << XlsxReader::Status::TooLarge
                                               << u"la parte xl/worksheets/sheet1.xml del file ha un testo di oltre 8 MB"_s << 0;
    QTest::newRow("a formula of 9 MB, a skipped part of the cell")
        << workbook("<row r=\"1\"><c r=\"A1\"><f>" + mib.repeated(9) + "</f><v>1</v></c></row>") << XlsxReader::Status::TooLarge
        << u"la parte xl/worksheets/sheet1.xml del file ha un testo di oltre 8 MB"_s << 0;
    QTest::newRow("an attribute of 1 MB")
        << workbook("<row r=\"1\" x=\"" + mib + "\">" + inlineCell("A1", "a") + "</row>") << XlsxReader::Status::TooLarge
        << u"la parte xl/worksheets/sheet1.xml del file ha un elemento con attributi di oltre 65536 byte"_s << 0;
    QTest::newRow("9 MB of blank space between two tags")
        << workbook("<row r=\"1\">" + inlineCell("A1", "a") + QByteArray(9 * 1024 * 1024, ' ') + "</row>") << XlsxReader::Status::TooLarge
        << u"la parte xl/worksheets/sheet1.xml del file ha un testo di oltre 8 MB"_s << 0;
    QTest::newRow("a shared string of 2 MB") << workbook(
        "<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c></row>", "<si><t>" + mib + mib + "</t></si>")
                                             << XlsxReader::Status::FieldTooLong << u"un testo del file supera 1048576 caratteri"_s << 0;
    QTest::newRow("one empty shared string more than allowed")
        << workbook("<row r=\"1\">" + inlineCell("A1", "a") + "</row>", QByteArray("<si/>").repeated(InputBudget::kSharedStrings + 1))
        << XlsxReader::Status::TooLarge << u"il file ha più di 2000000 testi condivisi"_s << 0;
    QTest::newRow("shared strings of 65 MB in all")
        << workbook("<row r=\"1\">" + inlineCell("A1", "a") + "</row>", ("<si><t>" + mib + "</t></si>").repeated(65))
        << XlsxReader::Status::TooLarge << u"i testi condivisi del file superano 64 MB"_s << 0;
    QByteArray wholeRow = "<row r=\"2\">";
    for (int column = 0; column < XlsxReader::kMaxColumns; ++column)
        wholeRow += "<c t=\"s\"><v>0</v></c>";
    wholeRow += "</row>";
    QTest::newRow("a shared string of 1 MB from A2 to XFD2")
        << workbook("<row r=\"1\">" + inlineCell("A1", "a") + "</row>" + wholeRow, "<si><t>" + mib.left(1000 * 1000) + "</t></si>")
        << XlsxReader::Status::FieldTooLong << u"una riga supera 4 MB di testo"_s << 1;
    QTest::newRow("a comment of 40 MB, passed over")
        << workbook("<row r=\"1\">" + inlineCell("A1", "a") + "<!--" + mib.repeated(40) + "--></row>") << XlsxReader::Status::Done
        << QString() << 1;
    QTest::newRow("a document type declaring an entity")
        << workbook("<row r=\"1\">" + inlineCell("A1", "&e;") + "</row>", {}, "<!DOCTYPE w [<!ENTITY e \"x\">]>")
        << XlsxReader::Status::Damaged
        << u"la parte xl/worksheets/sheet1.xml del file contiene una dichiarazione <!...> che un foglio di calcolo non usa"_s << 0;
}

void BudgetsTest::hostileWorkbook()
{
    QFETCH(QByteArray, file);
    QFETCH(XlsxReader::Status, status);
    QFETCH(QString, error);
    QFETCH(int, rows);
    QVERIFY(!file.isEmpty());
    const Read r = readAll(file);
    QCOMPARE(r.status, status);
    if (!error.isEmpty())
        QCOMPARE(r.error, error);
    QCOMPARE(r.rows.size(), rows);
    if (rows > 0)
        QCOMPARE(r.rows.first(), QList<QByteArray>{"a"});
}

void BudgetsTest::markupTheGuardLetsThrough()
{
    // Declarations, comments (with dashes and '>' inside), CDATA holding
    // markup, quoted '>' and '<' in attributes, and a processing instruction
    // reach the parser as written; a workbook with a DOCTYPE changed into a
    // comment is read.
    const QByteArray sheet = R"(<!-- a > b -- c --><row r="1" x="a>b" y='>'><?pi x > y?>)"
                             R"(<c r="A1" t="inlineStr"><is><t><![CDATA[<b>]]]]><![CDATA[>]]></t></is></c>)"
                             R"(<c r="C1" t="s"><v>0</v></c><!----></row>)";
    const Read r = readAll(workbook(sheet, "<si><t>uno &amp; due</t><!-- x --></si>"));
    QCOMPARE(r.status, XlsxReader::Status::Done);
    QCOMPARE(r.rows, (QList<QList<QByteArray>>{{"<b>]]>", QByteArray(), "uno & due"}}));
}

QTEST_GUILESS_MAIN(BudgetsTest)
#include "test_budgets.moc"
