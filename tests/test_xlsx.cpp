// The .xlsx reader without a screen: what it reads from a workbook an
// office program saved and from workbooks made by hand, cell by cell.
// The complete export's round trips and the import are in test_transfer.
#include "CoreSupport.h"
#include "XlsxFixtures.h"

#include "core/storage/XlsxReader.h"

#include <QTest>

using namespace XlsxFixtures;

class XlsxTest : public QObject {
    Q_OBJECT
private slots:
    void readerReadsWhatCalcShows();
    void readerTable_data();
    void readerTable();
};

// A workbook saved by Calc (tests/data/xlsx/misto.xlsx, from misto.fods
// with `soffice --headless --convert-to xlsx`): shared strings, numbers in
// the "000" and "0.00" formats and the General one, a date, empty cells
// and an empty row, a cell of two lines, an error, a second sheet.
void XlsxTest::readerReadsWhatCalcShows()
{
    XlsxReader::Status status{};
    const QStringList rows = rowsOf(readFile(QStringLiteral(TOMARIA_TEST_DATA "/xlsx/misto.xlsx")), &status);
    QCOMPARE(status, XlsxReader::Status::Done);
    const QStringList expected{
        "1: Titolo|Codice|Dewey|Scaffale|Scadenza|Pagine",
        "2: Testo 074|000123|074|3.10|03/03/2024|320",
        "3: Vuote in mezzo|||3.1||#VALUE!",
        "5: Prima riga\nseconda riga|=non formula|000|1|#VALUE!|\u00e0\u00e8 \u20ac \u00f1",
    };
    QCOMPARE(rows, expected);
}

// clang-format off
void XlsxTest::readerTable_data()
{
    QTest::addColumn<QByteArray>("sheet");
    QTest::addColumn<bool>("date1904");
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("shared strings, rich text, phonetic runs, escapes")
        << QByteArray("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>0</v></c><c r=\"B1\" t=\"s\"><v>1</v></c><c r=\"C1\" t=\"s\"><v>2</v></c></row>")
        << false << QStringList{"1: uno|ricco |a\rb_x0041_"};
    QTest::newRow("inline strings, cells without references")
        << QByteArray("<row><c t=\"inlineStr\"><is><t>a</t></is></c><c t=\"inlineStr\"><is><r><t>b</t></r><r><t>c</t></r></is></c></row>"
                      "<row><c t=\"inlineStr\"><is><t xml:space=\"preserve\">  d </t></is></c></row>")
        << false << QStringList{"1: a|bc", "2:   d "};
    QTest::newRow("numbers: General, built-in 0.00, custom 00000")
        << QByteArray("<row r=\"2\"><c r=\"A2\"><v>3.1000000000000001</v></c><c r=\"B2\" s=\"4\"><v>3.1</v></c><c r=\"C2\" s=\"3\"><v>123</v></c>"
                      "<c r=\"D2\"><v>1E+20</v></c><c r=\"E2\"><v>-0.5</v></c><c r=\"F2\" t=\"n\"><v>9788804668237</v></c></row>")
        << false << QStringList{"2: 3.1|3.10|00123|1e+20|-0.5|9788804668237"};
    QTest::newRow("dates: built-in, custom with quoted text, ISO cell, 1900 leap")
        << QByteArray("<row r=\"1\"><c r=\"A1\" s=\"1\"><v>45354</v></c><c r=\"B1\" s=\"2\"><v>45354.75</v></c>"
                      "<c r=\"C1\" t=\"d\"><v>2024-03-03T00:00:00</v></c><c r=\"D1\" s=\"1\"><v>59</v></c><c r=\"E1\" s=\"1\"><v>61</v></c></row>")
        << false << QStringList{"1: 03/03/2024|03/03/2024|03/03/2024|28/02/1900|01/03/1900"};
    QTest::newRow("dates in the 1904 system") << QByteArray("<row r=\"1\"><c r=\"A1\" s=\"1\"><v>0</v></c><c r=\"B1\" s=\"1\"><v>43892</v></c></row>")
                                              << true << QStringList{"1: 01/01/1904|03/03/2024"};
    QTest::newRow("empty cells, empty rows, a gap of rows")
        << QByteArray("<row r=\"1\"><c r=\"C1\" t=\"inlineStr\"><is><t>c</t></is></c><c r=\"D1\" s=\"1\"/><c r=\"E1\" t=\"inlineStr\"><is><t></t></is></c></row>"
                      "<row r=\"2\"><c r=\"A2\"/></row><row r=\"7\"><c r=\"AA7\" t=\"inlineStr\"><is><t>z</t></is></c></row>")
        << false << QStringList{"1: ||c", "7: " + QString(26, QLatin1Char('|')) + "z"};
    QTest::newRow("truth values, errors, formula results")
        << QByteArray("<row r=\"1\"><c r=\"A1\" t=\"b\"><v>1</v></c><c r=\"B1\" t=\"b\"><v>0</v></c><c r=\"C1\" t=\"e\"><f>1/0</f><v>#DIV/0!</v></c>"
                      "<c r=\"D1\" t=\"str\"><f>A1&amp;\"x\"</f><v>VEROx</v></c><c r=\"E1\"><f>2*2</f><v>4</v></c></row>")
        << false << QStringList{"1: VERO|FALSO|#DIV/0!|VEROx|4"};
}
// clang-format on

// Small workbooks made part by part, for what Calc does not write itself
// but another program may: the first sheet is the workbook's first,
// wherever its part is; the second is never read.
void XlsxTest::readerTable()
{
    QFETCH(QByteArray, sheet);
    QFETCH(bool, date1904);
    QFETCH(QStringList, rows);
    XlsxReader::Status status{};
    QCOMPARE(rowsOf(handMade(sheet, kStrings, date1904), &status), rows);
    QCOMPARE(status, XlsxReader::Status::Done);
}

QTEST_GUILESS_MAIN(XlsxTest)
#include "test_xlsx.moc"
