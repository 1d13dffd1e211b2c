#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QRectF;
class QWidget;
class Report;
class ReportBand;
class ReportText;

// The "Riepilogo dati" list report: fixed-width lines under a title, one
// line per 12.822 report units, dated footer after the last line.
namespace ListReport {

// One line of the 8 pt fixed-width font, in report units.
inline constexpr double kLineHeight = 12.822;

// Prepares the report and offers the print dialog over `parent`; `name`
// is the document's name (the file a PDF is proposed as), "Riepilogo dati"
// when empty.
void print(QWidget* parent, const QString& title, const QStringList& lines, const QString& name = {});

// The template, and its filling as print() does it (the lines are shared,
// not copied).
std::unique_ptr<Report> createTemplate(const QString& name = {});
void fill(Report& report, const QString& title, const QStringList& lines);

// The list's strip: white bold Verdana of `points`, centred on slate grey.
// Its title and its dated footer are such strips, and so are those of the
// other printed lists.
ReportText* addStrip(Report& report, const QString& name, const QRectF& at, ReportBand* band, int points, const QString& text);

} // namespace ListReport
