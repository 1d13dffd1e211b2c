#include "CardCsv.h"

#include "core/collections/Collection.h"
#include "core/storage/DiskFile.h"
#include "core/storage/RecordStore.h"
#include "core/text/Text.h"
#include "core/storage/TextSlot.h"

#include <QFile>
#include <QIODevice>
#include <QSaveFile>

namespace {

constexpr char kSeparator = ';';
constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr std::string_view kRowEnd = "\r\n";
// Written to the device in pieces of about this size.
constexpr qsizetype kChunk = qsizetype(1) << 20;

bool needsQuotes(QStringView value)
{
    if (value.isEmpty())
        return false;
    if (Text::isBlank(value.front().unicode()) || Text::isBlank(value.back().unicode()))
        return true;
    for (const QChar ch : value) {
        const char16_t c = ch.unicode();
        if (c == kSeparator || c == u'"' || c < 32 || c == 0x7F)
            return true;
    }
    return false;
}

void appendValue(QByteArray& out, const QString& value)
{
    if (!needsQuotes(value)) {
        out += value.toUtf8();
        return;
    }
    QString quoted = value;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    out += '"';
    out += quoted.toUtf8();
    out += '"';
}

bool flush(QByteArray& buffer, QIODevice& out)
{
    const bool ok = out.write(buffer) == buffer.size();
    buffer.clear();
    return ok;
}

QString writeFailure(QIODevice& out)
{
    if (auto* file = qobject_cast<QFileDevice*>(&out))
        return DiskFile::failureReason(*file);
    return out.errorString();
}

} // namespace

namespace CardCsv {

QString header(const Collection& collection)
{
    QString line;
    for (const FieldDef& f : collection.layout->fields) {
        if (!line.isEmpty())
            line += QLatin1Char(kSeparator);
        line += Text::latin1(f.name);
    }
    return line;
}

bool write(const Collection& collection, const QString& archivePath, QIODevice& out, Outcome* outcome)
{
    Outcome local;
    Outcome& o = outcome ? *outcome : local;
    o = Outcome();
    const RecordLayout& layout = *collection.layout;
    RecordStore store;
    if (!store.open(archivePath, layout.size, RecordStore::Mode::ReadExisting)) {
        o.readFailed = true;
        o.reason = store.errorString();
        return false;
    }
    QByteArray buffer;
    buffer.reserve(kChunk + layout.size * 2);
    buffer.append(kBom.data(), qsizetype(kBom.size()));
    buffer += header(collection).toUtf8();
    buffer.append(kRowEnd.data(), qsizetype(kRowEnd.size()));
    // The reason is taken at once: closing the archive may change errno.
    const auto written = [&] {
        if (flush(buffer, out))
            return true;
        o.reason = writeFailure(out);
        return false;
    };
    bool writing = true;
    int rows = 0;
    const bool read = store.scan([&](const char* record, qint64) {
        for (std::size_t i = 0; i < layout.fields.size(); ++i) {
            if (i > 0)
                buffer += kSeparator;
            appendValue(buffer, TextSlot::readAsIs(record, layout.fields[i], layout.kind));
        }
        buffer.append(kRowEnd.data(), qsizetype(kRowEnd.size()));
        ++rows;
        if (buffer.size() >= kChunk)
            writing = written();
        return writing;
    });
    if (writing && read)
        writing = written();
    store.close();
    if (!writing)
        return false;
    if (!read) {
        o.readFailed = true;
        o.reason = QStringLiteral("errore di lettura");
        return false;
    }
    o.cards = rows;
    return true;
}

bool save(const Collection& collection, const QString& archivePath, const QString& path, Outcome* outcome)
{
    Outcome local;
    Outcome& o = outcome ? *outcome : local;
    o = Outcome();
    QString reason;
    const bool saved = DiskFile::replaceWhole(
        path,
        [&](QSaveFile& file, QString* why) {
            if (write(collection, archivePath, file, &o))
                return true;
            *why = o.reason;
            return false;
        },
        &reason);
    if (!saved)
        o.reason = reason;
    return saved;
}

bool isOurs(const QString& path)
{
    QFile file(path);
    if (!DiskFile::isRegular(path) || !file.open(QIODevice::ReadOnly))
        return false;
    QByteArray head = file.readLine(64 * 1024);
    if (!head.startsWith(QByteArray::fromRawData(kBom.data(), qsizetype(kBom.size()))) || !head.endsWith("\r\n"))
        return false;
    head = head.mid(qsizetype(kBom.size()));
    head.chop(2);
    for (const Collection* c : Collection::all()) {
        if (head == header(*c).toUtf8())
            return true;
    }
    return false;
}

} // namespace CardCsv
