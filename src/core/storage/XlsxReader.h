#pragma once

#include "core/text/InputBudget.h"

#include <QByteArray>
#include <QStringList>
#include <QList>
#include <QString>

#include <functional>

class QIODevice;

// The first sheet of a spreadsheet file (.xlsx, Office Open XML) cut into
// rows of cell texts, as CsvReader cuts a CSV file: the workbook names the
// first sheet, the shared strings give the texts the cells point at, and
// the styles only tell which number formats are dates. Every cell becomes
// the text the spreadsheet shows for it, in UTF-8:
//  - a shared or inline string as it is (the "_xHHHH_" escapes decoded);
//  - a number as its format shows it when that is a plain number format
//    ("000" pads to three digits, "0.00" gives two decimals; no thousands
//    separators, a point before the decimals), else in its shortest form
//    ("74", "3.1");
//  - a number formatted as a date as gg/mm/aaaa;
//  - a formula's last result, a truth value as "VERO" or "FALSO".
// The sheet is read as a stream from the zip entry, so a reader holds one
// row at a time; the shared strings are held whole. Every part is read
// within the workbook's budgets of InputBudget (a cell, a row, the shared
// strings by count and bytes, each XML token), so that any file is read in
// bounded memory and linear time, and refused beyond them. Other sheets
// are ignored. The work is done by the parts of the package: XlsxPackage
// (where the parts are), XlsxStyles, XlsxSharedStrings and XlsxSheet, each
// XML part read through XlsxPart.
class XlsxReader {
public:
    struct Row {
        int line;                 // the sheet's row number, from 1
        QList<QByteArray> fields; // from column A to the last cell holding a text
    };

    enum class Status {
        Done,
        Stopped,      // the row callback asked to stop
        NotWorkbook,  // no zip, or a zip without a workbook (an .ods, a .docx)
        Damaged,      // a part missing or malformed; error() says which
        FieldTooLong, // one cell longer than kMaxFieldBytes, or a row beyond its budget
        TooLarge,     // a part, a token or the shared strings beyond their budget
        ReadError,
    };

    static constexpr qsizetype kMaxFieldBytes = InputBudget::kCellBytes;
    // The widest sheet an office program makes (column XFD).
    static constexpr int kMaxColumns = 16384;

    explicit XlsxReader(QIODevice& device);

    // Reads the device's first sheet from its first row, calling `onRow`
    // for every row holding at least one text, in sheet order; `onRow`
    // returns false to stop. Rows without any text are no rows.
    Status read(const std::function<bool(Row&)>& onRow);

    // After a failure: what was wrong, in Italian, and the sheet row it
    // was found on (0 when none).
    const QString& error() const { return m_error; }
    int errorLine() const { return m_errorLine; }

    // Whether the first bytes of a file are those of a zip archive (any
    // office document of today); isWorkbook() then tells an .xlsx apart.
    static bool looksZipped(const QByteArray& head);
    static bool isWorkbook(QIODevice& device);
    // The first row of the first sheet, without its empty cells at the end
    // (empty when the workbook cannot be read).
    static QStringList firstRow(QIODevice& device);

private:
    QIODevice& m_device;
    QString m_error;
    int m_errorLine = 0;
};
