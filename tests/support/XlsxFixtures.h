#pragma once

#include "core/storage/XlsxReader.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <zip.h>

#include <vector>

// Workbooks for the tests of the .xlsx reader: read back as text rows, or
// made by hand from their parts for what no office program writes.
namespace XlsxFixtures {

// The rows XlsxReader reads from `bytes`, each as "line: cell|cell|...".
inline QStringList rowsOf(const QByteArray& bytes, XlsxReader::Status* status = nullptr)
{
    QByteArray copy = bytes;
    QBuffer device(&copy);
    device.open(QIODevice::ReadOnly);
    XlsxReader reader(device);
    QStringList rows;
    const XlsxReader::Status s = reader.read([&](XlsxReader::Row& row) {
        QStringList cells;
        for (const QByteArray& cell : row.fields)
            cells << QString::fromUtf8(cell);
        rows << QStringLiteral("%1: %2").arg(row.line).arg(cells.join(QLatin1Char('|')));
        return true;
    });
    if (status)
        *status = s;
    return rows;
}

inline QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// A workbook made of the given parts, for the cases no office program
// writes but a file may hold.
inline QByteArray workbook(const QList<QPair<QString, QByteArray>>& parts)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* out = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_t* zip = zip_open_from_source(out, ZIP_TRUNCATE, &error);
    zip_source_keep(out);
    std::vector<QByteArray> kept;
    for (const auto& [name, bytes] : parts) {
        kept.push_back(bytes);
        zip_source_t* s = zip_source_buffer(zip, kept.back().constData(), zip_uint64_t(kept.back().size()), 0);
        zip_file_add(zip, name.toUtf8().constData(), s, ZIP_FL_OVERWRITE);
    }
    zip_close(zip);
    QByteArray result;
    zip_source_open(out);
    zip_source_seek(out, 0, SEEK_END);
    const zip_int64_t size = zip_source_tell(out);
    zip_source_seek(out, 0, SEEK_SET);
    result.resize(qsizetype(size));
    zip_source_read(out, result.data(), zip_uint64_t(size));
    zip_source_close(out);
    zip_source_free(out);
    zip_error_fini(&error);
    return result;
}

inline const QByteArray kWorkbookXml
    = "<?xml version=\"1.0\"?><workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
      "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">%1<sheets>"
      "<sheet name=\"Secondo\" sheetId=\"2\" r:id=\"rId2\"/><sheet name=\"Primo\" sheetId=\"1\" r:id=\"rId1\"/>"
      "</sheets></workbook>";
inline const QByteArray kRels
    = "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
      "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
      "Target=\"worksheets/a.xml\"/>"
      "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet\" "
      "Target=\"/xl/worksheets/b.xml\"/>"
      "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/sharedStrings\" "
      "Target=\"sharedStrings.xml\"/>"
      "<Relationship Id=\"rId4\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships/styles\" "
      "Target=\"styles.xml\"/>"
      "</Relationships>";
inline const QByteArray kStyles = "<?xml version=\"1.0\"?><styleSheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\">"
                                  "<numFmts><numFmt numFmtId=\"170\" formatCode=\"[$-410]d&quot; giorni &quot;mmmm yyyy\"/>"
                                  "<numFmt numFmtId=\"171\" formatCode=\"00000;[Red]-00000\"/></numFmts>"
                                  "<cellStyleXfs><xf numFmtId=\"14\"/></cellStyleXfs>"
                                  "<cellXfs><xf numFmtId=\"0\"/><xf numFmtId=\"14\"/><xf numFmtId=\"170\"/><xf numFmtId=\"171\"/><xf "
                                  "numFmtId=\"2\"/></cellXfs></styleSheet>";

// A workbook whose first sheet is b.xml and whose second is a.xml.
inline QByteArray handMade(const QByteArray& sheet, const QByteArray& strings, bool date1904 = false)
{
    QByteArray book = kWorkbookXml;
    book.replace("%1", date1904 ? "<workbookPr date1904=\"1\"/>" : "");
    return workbook(
        {{"xl/workbook.xml", book}, {"xl/_rels/workbook.xml.rels", kRels}, {"xl/styles.xml", kStyles}, {"xl/sharedStrings.xml", strings},
            {"xl/worksheets/b.xml",
                "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" + sheet
                    + "</sheetData></worksheet>"},
            {"xl/worksheets/a.xml",
                "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
                "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>ignorato</t></is></c></row></sheetData></worksheet>"}});
}

inline const QByteArray kStrings
    = "<sst xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><si><t>uno</t></si>"
      "<si><r><t>ric</t></r><r><rPr><b/></rPr><t xml:space=\"preserve\">co </t></r><rPh><t>fonetica</t></rPh></si>"
      "<si><t>a_x000D_b_x005F_x0041_</t></si></sst>";

} // namespace XlsxFixtures
