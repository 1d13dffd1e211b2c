#pragma once

#include "core/storage/XlsxReader.h"

#include <QString>

#include <zip.h>

// Where a workbook's parts are in its zip package: the package's
// relationships name the workbook part, the workbook names its first sheet
// and its date system, the workbook's relationships say where that sheet,
// the shared strings and the styles are. Only these small parts are read
// here, each within InputBudget::kSmallPartBytes.
struct XlsxPackage {
    QString workbook, sheet, sharedStrings, styles;
    bool date1904 = false;

    // On a fault `why` says what it was.
    XlsxReader::Status read(zip_t* zip, QString* why);

    // The workbook part (xl/workbook.xml as the office programs write it);
    // empty when the package holds none, as an .ods or a .docx.
    static QString findWorkbook(zip_t* zip);
};
