#pragma once

#include <QString>

class ExportModel;
class QIODevice;
struct ExportTable;

// The spreadsheet file of every export: an HTML table with the Office
// spreadsheet extensions, written as one line of Windows-1252 text. Cells
// are trimmed, "&", "<" and ">" become character references, and control
// characters inside a cell become blanks so that the file has no line break.
// Every data cell is marked as text for LibreOffice too, as x:str does for
// Excel, so codes such as "068" keep their leading zero.
namespace Spreadsheet {

// Writes the file of the grid's current texts into `out`. False when a
// write failed.
bool write(const ExportModel& grid, QIODevice& out);

// Creates `path` anew from the grid. The file is written beside it under a
// temporary name and renamed over it only when complete, so a failure
// leaves any previous file exactly as it was; `reason` (when given) then
// says why, in Italian.
bool save(const ExportModel& grid, const QString& path, QString* reason = nullptr);

// Whether the file at `path` starts as every file written by write() does:
// a spreadsheet of this program, which an export may replace.
bool isOurs(const QString& path);

// Every card of the archive exported with no cell edited: the same bytes
// as the export screen writes. False when the archive cannot be read to
// its end (nothing is written then) or the file cannot be written.
bool exportArchive(const ExportTable& table, const QString& archivePath, const QString& path);

} // namespace Spreadsheet
