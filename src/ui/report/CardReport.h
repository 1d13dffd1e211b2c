#pragma once

#include <QString>

#include <memory>

class QWidget;
class Report;
struct CardSheet;

// The one-page card sheet: A4 portrait, 10 mm margins, a title bar, one
// boxed row per field (caption left, value right of a separator line) and
// a gold footer bar with the date and time of printing. Every text prints
// literally.
namespace CardReport {

std::unique_ptr<Report> createTemplate(const CardSheet& sheet);

// Every value element gets the trimmed text of the card control of the same
// name; the footer gets the date and time of now.
void fill(Report& report, const CardSheet& sheet, const QWidget* card);

// "Stampa eseguita in data dd/mm/yyyy alle ore <long time>" for now.
QString footerText();

} // namespace CardReport
