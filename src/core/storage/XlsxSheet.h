#pragma once

#include "core/storage/XlsxReader.h"

#include <QString>

#include <functional>

class XlsxPart;
class XlsxSharedStrings;
class XlsxStyles;

// A workbook's sheet, read a row at a time: each cell becomes the text the
// spreadsheet shows for it (XlsxReader says how). One cell holds at most
// InputBudget::kCellBytes, one row at most InputBudget::kRowBytes, counted
// after each cell's text is made, so that a shared string is not copied
// across a whole row before the row is refused.
class XlsxSheet {
public:
    XlsxSheet(const XlsxSharedStrings& strings, const XlsxStyles& styles);

    // Calls `onRow` for every row holding a text; on a fault `why` says
    // what it was and `line` the sheet row it was found on.
    XlsxReader::Status read(XlsxPart& part, const std::function<bool(XlsxReader::Row&)>& onRow, QString* why, int* line);

private:
    // The text a cell of type `type` and style `style` shows for `value`;
    // false, with `why`, when the cell is not what its type says.
    bool shown(const QString& type, int style, const QString& value, QByteArray& text, QString* why) const;

    const XlsxSharedStrings& m_strings;
    const XlsxStyles& m_styles;
};
