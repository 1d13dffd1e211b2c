#include "CardXlsx.h"

#include "core/collections/Collection.h"
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
#include <vector>

namespace {

// A sheet's last row; the header takes the first.
constexpr qint64 kMaxRows = 1048576;
// Column widths in characters: the widest value, within these bounds.
constexpr int kMinWidth = 6;
constexpr int kMaxWidth = 60;

// The widest line of `value`, in characters.
int widthOf(const QString& value)
{
    int widest = 0;
    for (const QStringView line : QStringView(value).split(u'\n'))
        widest = std::max(widest, static_cast<int>(line.size()));
    return widest;
}

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
    const bool read = error == LXW_NO_ERROR && store.scan([&](const char* record, qint64) {
        if (qint64(row) + 1 >= kMaxRows) {
            o.reason
                = QStringLiteral("l'archivio ha più schede delle %1 righe di un foglio di calcolo: usare il file CSV").arg(kMaxRows - 1);
            error = LXW_ERROR_WORKSHEET_INDEX_OUT_OF_RANGE;
            return false;
        }
        ++row;
        for (std::size_t i = 0; i < layout.fields.size(); ++i) {
            const QString value = TextSlot::readAsIs(record, layout.fields[i], layout.kind);
            if (value.isEmpty())
                continue;
            widths[i] = std::max(widths[i], widthOf(value));
            const QByteArray utf8 = value.toUtf8();
            error = worksheet_write_string(sheet, row, lxw_col_t(i), utf8.constData(), text);
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
