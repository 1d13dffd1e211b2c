#pragma once

#include "core/storage/XlsxReader.h"

#include <QString>

#include <vector>

class XlsxPart;

// A workbook's styles part as far as it says how numbers are shown: the
// number format of each cell style, and the date system. At most
// InputBudget::kCellStyles styles are taken.
class XlsxStyles {
public:
    // How a number format shows a number.
    struct NumberFormat {
        bool date = false;
        bool percent = false;
        int integerDigits = 0; // "000": at least three
        int decimals = -1;     // -1: as many as needed (the General format)
    };

    // Reads the styles part; on a fault `why` says what it was.
    XlsxReader::Status read(XlsxPart& part, QString* why);

    void setDate1904(bool date1904) { m_date1904 = date1904; }

    // `value` as a cell of style `style` shows it.
    QString shown(double value, int style) const;

    static NumberFormat parseFormat(const QString& code);
    static NumberFormat builtInFormat(int id);

private:
    std::vector<NumberFormat> m_styles;
    bool m_date1904 = false;
};
