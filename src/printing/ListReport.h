#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The "Riepilogo dati" list report: fixed-width lines under a title, one
// line per 12.822 report units, dated footer after the last line.
namespace ListReport {

// Prepares the report and offers the print dialog over `parent`.
void print(QWidget* parent, const QString& title, const QStringList& lines);

} // namespace ListReport
