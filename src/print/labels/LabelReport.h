#pragma once

#include "core/labels/LabelCards.h"
#include "core/labels/LabelSheet.h"
#include "print/report/PreparedReport.h"

#include <QImage>

// Label sheets as prepared pages of the report engine, so that they print
// through the same dialog and printer as every other print (ReportPrinter)
// and are written as PDF without one.
// Every label is an invisible rectangle named "etichetta" followed by its
// texts and bars; all positions are from the paper's corner.
namespace LabelReport {

enum class Kind {
    Spine,   // Dewey code, the surname's first three letters, the shelf
    Barcode, // library name, title, Code 128 bars, the code in writing
};

struct Request {
    Kind kind = Kind::Spine;
    LabelSheet sheet;
    int start = 1;       // 1-based label on the first sheet where printing begins
    QString libraryName; // barcode labels only; empty: none
};

// The item names, for whoever reads the pages.
inline const QString kLabel = QStringLiteral("etichetta");
inline const QString kBar = QStringLiteral("barra");

// Text sizes in points: each line shrinks down to kSmallest, then is cut.
inline constexpr double kSmallest = 6.0;

PreparedReport prepare(const QList<LabelCard>& cards, const Request& request);

// "12 etichette su 3 fogli", in the singular where one.
QString counted(qsizetype labels, int sheets);

// The sheets `count` labels take from label `start` on.
int sheetsFor(int count, const LabelSheet& sheet, int start);

// Writes the pages as a PDF file that replaces `path` only when complete.
bool writePdf(const PreparedReport& report, const QString& path, QString* error);

// Page `page` drawn `widthPixels` wide, for the screen's preview.
QImage render(const PreparedReport& report, int page, int widthPixels);

} // namespace LabelReport
