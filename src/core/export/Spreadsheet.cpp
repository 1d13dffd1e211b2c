#include "Spreadsheet.h"

#include "core/export/ExportModel.h"
#include "core/storage/Cp1252.h"
#include "core/storage/DiskFile.h"
#include "core/text/Text.h"

#include <QFile>
#include <QIODevice>
#include <QSaveFile>

#include <string>
#include <string_view>

namespace {

// Written to the device in pieces of about this size.
constexpr std::size_t kChunk = std::size_t(1) << 20;

constexpr std::string_view kHead
    = R"(<html xmlns:o="urn:schemas-microsoft-com:office:office" xmlns:x="urn:schemas-microsoft-com:office:excel" xmlns="http://www.w3.org/TR/REC-html40">)"
      R"(<head>)"
      R"(<meta http-equiv="Content-Type" content="text/html; charset=windows-1252">)"
      R"(<!--[if gte mso 9]><xml>)"
      R"(<x:ExcelWorkbook>)"
      R"(<x:ExcelWorksheets>)"
      R"(<x:ExcelWorksheet>)"
      R"(<x:Name>)";
constexpr std::string_view kAfterName = R"(</x:Name>)"
                                        R"(<x:WorksheetOptions>)"
                                        R"(<x:Selected/>)"
                                        R"(<x:Panes>)"
                                        R"(<x:Pane>)"
                                        R"(<x:Number>1</x:Number>)"
                                        R"(<x:ActiveRow>3</x:ActiveRow>)"
                                        R"(</x:Pane>)"
                                        R"(</x:Panes>)"
                                        R"(<x:ProtectContents>False</x:ProtectContents>)"
                                        R"(<x:ProtectObjects>False</x:ProtectObjects>)"
                                        R"(<x:ProtectScenarios>False</x:ProtectScenarios>)"
                                        R"(</x:WorksheetOptions>)"
                                        R"(</x:ExcelWorksheet>)"
                                        R"(</x:ExcelWorksheets>)"
                                        R"(</x:ExcelWorkbook>)"
                                        R"(</xml><![endif]-->)"
                                        R"(</head>)"
                                        R"(<body>)"
                                        R"(<table x:str>)"
                                        R"(<tr>)";
constexpr std::string_view kHeaderCell = R"(<td style="text-align: left; font-weight: bold;" width=)";
// Excel reads every cell as text because of the table's x:str; LibreOffice
// ignores x:str and would turn "068" into 68, "1.000" into 1 and "=1+1" into
// a formula, so each cell also carries LibreOffice's own text format.
constexpr std::string_view kDataCell = R"(<td style="text-align: left;" sdnum="1040;0;@">)";
constexpr std::string_view kEndCell = "</td>";
constexpr std::string_view kRowStart = "<tr>";
constexpr std::string_view kRowEnd = "</tr>";
constexpr std::string_view kTail = "</table></body></html>";

// Appends Windows-1252 text trimmed, with the characters HTML reserves as
// references and any control character as a blank.
void appendText(std::string& out, std::string_view text)
{
    text = Text::trimmed(text);
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::string_view ref;
        switch (text[i]) {
        case '&':
            ref = "&amp;";
            break;
        case '<':
            ref = "&lt;";
            break;
        case '>':
            ref = "&gt;";
            break;
        default:
            if (!Text::isBlank(text[i]) || text[i] == ' ')
                continue;
            ref = " ";
        }
        out.append(text.data() + run, i - run);
        out.append(ref);
        run = i + 1;
    }
    out.append(text.data() + run, text.size() - run);
}

void appendUtf8(std::string& out, std::string_view utf8)
{
    const QByteArray bytes = Cp1252::encode(Text::utf8(utf8));
    appendText(out, {bytes.constData(), static_cast<std::size_t>(bytes.size())});
}

bool flush(std::string& out, QIODevice& device)
{
    const auto size = static_cast<qint64>(out.size());
    const bool ok = device.write(out.data(), size) == size;
    out.clear();
    return ok;
}

} // namespace

namespace Spreadsheet {

bool write(const ExportModel& grid, QIODevice& out)
{
    const ExportTable& table = grid.table();
    std::string buffer;
    buffer.reserve(kChunk + 4096);

    buffer.append(kHead);
    appendUtf8(buffer, table.sheetName);
    buffer.append(kAfterName);
    for (const ExportColumn& c : table.columns) {
        buffer.append(kHeaderCell);
        buffer.append(std::to_string(c.fileWidth));
        buffer.push_back('>');
        appendUtf8(buffer, c.fileCaption);
        buffer.append(kEndCell);
    }
    buffer.append(kRowEnd);

    const int rows = grid.rowCount();
    const int fields = static_cast<int>(table.columns.size());
    QByteArray scratch;
    for (int row = 0; row < rows; ++row) {
        buffer.append(kRowStart);
        for (int field = 0; field < fields; ++field) {
            buffer.append(kDataCell);
            appendText(buffer, grid.fileCell(row, field, scratch));
            buffer.append(kEndCell);
        }
        buffer.append(kRowEnd);
        if (buffer.size() >= kChunk && !flush(buffer, out))
            return false;
    }
    buffer.append(kTail);
    return flush(buffer, out);
}

bool save(const ExportModel& grid, const QString& path, QString* reason)
{
    return DiskFile::replaceWhole(
        path, [&](QSaveFile& file, QString*) { return write(grid, file); }, reason);
}

bool isOurs(const QString& path)
{
    QFile file(path);
    if (!DiskFile::isRegular(path) || !file.open(QIODevice::ReadOnly))
        return false;
    return file.read(qint64(kHead.size())) == QByteArray::fromRawData(kHead.data(), qsizetype(kHead.size()));
}

bool exportArchive(const ExportTable& table, const QString& archivePath, const QString& path)
{
    ExportModel grid(table);
    return grid.load(archivePath) && save(grid, path);
}

} // namespace Spreadsheet
