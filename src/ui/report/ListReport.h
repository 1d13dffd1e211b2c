#pragma once

#include <QString>
#include <QStringList>

#include <memory>

class QWidget;
class Report;

// The "Riepilogo dati" list report: fixed-width lines under a title, one
// line per 12.822 report units, dated footer after the last line.
namespace ListReport {

// One line of the 8 pt fixed-width font, in report units.
inline constexpr double kLineHeight = 12.822;

// Prepares the report and offers the print dialog over `parent`.
void print(QWidget* parent, const QString& title, const QStringList& lines);

// The template, and its filling as print() does it (the lines are shared,
// not copied).
std::unique_ptr<Report> createTemplate();
void fill(Report& report, const QString& title, const QStringList& lines);

} // namespace ListReport
