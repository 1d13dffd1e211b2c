#include "CardXlsx.h"

#include "core/collections/Collection.h"
#include "core/storage/Cp1252.h"
#include "core/storage/DiskFile.h"
#include "core/storage/RecordStore.h"
#include "core/storage/TextSlot.h"
#include "core/text/Text.h"

#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>

#include <xlsxwriter.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// A sheet's last row; the header takes the first.
constexpr qint64 kMaxRows = 1048576;
// Column widths in characters: the widest value, within these bounds.
constexpr int kMinWidth = 6;
constexpr int kMaxWidth = 60;

// The widest line of a slot's bytes, in characters: every Windows-1252
// byte is one character, and a line break is the byte LF.
int widthOf(std::string_view bytes)
{
    std::size_t widest = 0;
    std::size_t from = 0;
    for (;;) {
        const std::size_t end = bytes.find('\n', from);
        const std::size_t size = (end == std::string_view::npos ? bytes.size() : end) - from;
        widest = std::max(widest, size);
        if (end == std::string_view::npos)
            return static_cast<int>(widest);
        from = end + 1;
    }
}

// The UTF-8 form of every Windows-1252 byte, worked out once.
class Utf8Table {
public:
    Utf8Table()
    {
        char all[256];
        for (int b = 0; b < 256; ++b)
            all[b] = static_cast<char>(b);
        const QString decoded = Cp1252::decode(std::string_view(all, sizeof all));
        for (int b = 0; b < 256; ++b) {
            const QByteArray utf8 = QString(decoded.at(b)).toUtf8();
            m_size[b] = static_cast<unsigned char>(utf8.size());
            std::memcpy(m_bytes[b], utf8.constData(), static_cast<std::size_t>(utf8.size()));
        }
    }

    // `bytes` as UTF-8 into `out`, with its terminating zero.
    void convert(std::string_view bytes, std::string& out) const
    {
        out.clear();
        for (const char c : bytes) {
            const auto b = static_cast<unsigned char>(c);
            if (b < 0x80)
                out.push_back(c);
            else
                out.append(m_bytes[b], m_size[b]);
        }
    }

private:
    char m_bytes[256][3];
    unsigned char m_size[256];
};

// Copies the finished workbook into the file being saved.
bool copyInto(const QString& from, QSaveFile& to, QString* why)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly)) {
        *why = in.errorString();
        return false;
    }
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 got = in.read(block.data(), block.size());
        if (got < 0) {
            *why = in.errorString();
            return false;
        }
        if (got == 0)
            return true;
        if (to.write(block.constData(), got) != got) {
            *why = DiskFile::failureReason(to);
            return false;
        }
    }
}

// Writes the workbook to `path` (a scratch file). libxlsxwriter keeps its
// own scratch files in `scratch`.
bool writeWorkbook(
    const Collection& collection, const QString& archivePath, const QString& path, const QString& scratch, CardCsv::Outcome& o)
{
    const RecordLayout& layout = *collection.layout;
    RecordStore store;
    if (!store.open(archivePath, layout.size, RecordStore::Mode::ReadExisting)) {
        o.readFailed = true;
        o.reason = store.errorString();
        return false;
    }
    const QByteArray fileName = QFile::encodeName(path);
    QByteArray tmpdir = QFile::encodeName(scratch);
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tmpdir.data();
    lxw_workbook* book = workbook_new_opt(fileName.constData(), &options);
    if (!book) {
        o.reason = QStringLiteral("impossibile creare il foglio di calcolo");
        return false;
    }
    const QByteArray name = CardXlsx::sheetName(collection).toUtf8();
    lxw_worksheet* sheet = workbook_add_worksheet(book, name.constData());
    // "@": the text format, so that a value typed over one stays text too.
    lxw_format* text = workbook_add_format(book);
    lxw_format* heading = workbook_add_format(book);
    if (text && heading) {
        format_set_num_format(text, "@");
        format_set_num_format(heading, "@");
        format_set_bold(heading);
    }
    if (!sheet || !text || !heading) {
        // A sheet name or a format the library refused: nothing to write into.
        workbook_close(book);
        o.reason = QStringLiteral("impossibile creare il foglio di calcolo");
        return false;
    }

    std::vector<int> widths(layout.fields.size(), kMinWidth);
    lxw_error error = LXW_NO_ERROR;
    for (std::size_t i = 0; i < layout.fields.size() && error == LXW_NO_ERROR; ++i) {
        const std::string cell(layout.fields[i].name);
        widths[i] = std::max(widths[i], static_cast<int>(cell.size()) + 2); // bold is wider
        error = worksheet_write_string(sheet, 0, lxw_col_t(i), cell.c_str(), heading);
    }
    lxw_row_t row = 0;
    const Utf8Table utf8;
    std::string cell;
    const bool read = error == LXW_NO_ERROR && store.scan([&](const char* record, qint64) {
        if (qint64(row) + 1 >= kMaxRows) {
            o.reason
                = QStringLiteral("l'archivio ha più schede delle %1 righe di un foglio di calcolo: usare il file CSV").arg(kMaxRows - 1);
            error = LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE;
            return false;
        }
        ++row;
        for (std::size_t i = 0; i < layout.fields.size(); ++i) {
            // The stored characters as the complete export gives them
            // (TextSlot::readAsIs), straight from the slot's bytes to UTF-8.
            const std::string_view value = TextSlot::raw(record, layout.fields[i], layout.kind);
            if (value.empty())
                continue;
            widths[i] = std::max(widths[i], widthOf(value));
            utf8.convert(value, cell);
            error = worksheet_write_string(sheet, row, lxw_col_t(i), cell.c_str(), text);
            if (error != LXW_NO_ERROR)
                return false;
        }
        return true;
    });
    store.close();
    if (error == LXW_NO_ERROR && read) {
        worksheet_freeze_panes(sheet, 1, 0);
        for (std::size_t i = 0; i < widths.size(); ++i)
            worksheet_set_column(sheet, lxw_col_t(i), lxw_col_t(i), std::min(widths[i], kMaxWidth) + 1, text);
    }
    // Closing writes the file (and frees the workbook) whatever happened.
    errno = 0;
    const lxw_error closed = workbook_close(book);
    // The library says only "zip error"; the system's cause (a full disk,
    // the file-size limit) is in errno, and is what the user can act on.
    const int systemError = errno;
    if (!read && error == LXW_NO_ERROR) {
        o.readFailed = true;
        o.reason = QStringLiteral("errore di lettura");
        return false;
    }
    if (error != LXW_NO_ERROR || closed != LXW_NO_ERROR) {
        const bool systemFault = closed == LXW_ERROR_CREATING_XLSX_FILE || closed == LXW_ERROR_CREATING_TMPFILE
            || closed == LXW_ERROR_ZIP_FILE_OPERATION || closed == LXW_ERROR_ZIP_FILE_ADD;
        if (o.reason.isEmpty() && error == LXW_NO_ERROR && systemFault && systemError != 0)
            o.reason = DiskFile::systemReason(systemError);
        if (o.reason.isEmpty())
            o.reason = QString::fromUtf8(lxw_strerror(error != LXW_NO_ERROR ? error : closed));
        return false;
    }
    o.cards = static_cast<int>(row);
    return true;
}

} // namespace

namespace CardXlsx {

bool save(const Collection& collection, const QString& archivePath, const QString& path, CardCsv::Outcome* outcome)
{
    CardCsv::Outcome local;
    CardCsv::Outcome& o = outcome ? *outcome : local;
    o = CardCsv::Outcome();
    // libxlsxwriter writes a file by name: the workbook is made in a
    // scratch folder, then copied whole over `path`.
    QTemporaryDir scratch;
    if (!scratch.isValid()) {
        o.reason = QStringLiteral("impossibile creare una cartella temporanea: %1").arg(scratch.errorString());
        return false;
    }
    const QString made = scratch.filePath(QStringLiteral("export.xlsx"));
    if (!writeWorkbook(collection, archivePath, made, scratch.path(), o))
        return false;
    QString reason;
    if (!DiskFile::replaceWhole(
            path, [&](QSaveFile& file, QString* why) { return copyInto(made, file, why); }, &reason)) {
        o.reason = reason;
        return false;
    }
    return true;
}

} // namespace CardXlsx
