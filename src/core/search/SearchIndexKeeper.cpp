#include "SearchIndexKeeper.h"

#include "core/storage/ReadAt.h"
#include "core/search/SearchIndex.h"
#include "core/search/SearchIndexWriter.h"
#include "core/storage/RecordLayout.h"
#include "core/storage/TextSlot.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#ifndef Q_OS_WIN
#include <cerrno>
#include <unistd.h>
#endif

namespace {

// The size under which a last chunk takes appended cards.
constexpr std::int64_t kJoinBelow = 8192;

// The copy's directory: its trailer, columns and chunks. Only the chunks
// a write touches are read (loaded); the others go from the old file to
// the new one as they are, so memory stays one chunk whatever the size.
struct Copy {
    SearchIndex::Trailer trailer{};
    std::vector<SearchIndex::Column> columns;
    struct Chunk {
        SearchIndex::Chunk range;
        std::vector<SearchIndex::Part> parts; // where its values lie in the old file
        std::vector<std::string> values;      // one per column, once loaded
        bool loaded = false;
    };
    std::vector<Chunk> chunks;
};

// The copy's trailer, when it is whole and describes `archive`.
bool readTrailer(QFile& file, const SearchIndex::Stamp& archive, int recordSize, SearchIndex::Trailer& t)
{
    if (file.size() < qint64(sizeof t) || !file.seek(file.size() - qint64(sizeof t))
        || file.read(reinterpret_cast<char*>(&t), sizeof t) != qint64(sizeof t))
        return false;
    return t.magic == SearchIndex::kMagic && t.version == SearchIndex::kVersion
        && t.trailerSum == SearchIndex::checksum(reinterpret_cast<const char*>(&t), offsetof(SearchIndex::Trailer, trailerSum))
        && t.archive == archive && t.recordSize == recordSize && t.columns > 0 && t.columns < 1024 && t.chunks >= 0 && t.directoryAt >= 0
        && t.directoryBytes
        == t.columns * std::int64_t(sizeof(SearchIndex::Column))
            + t.chunks * std::int64_t(sizeof(SearchIndex::Chunk) + t.columns * sizeof(SearchIndex::Part))
        && t.directoryAt + t.directoryBytes + std::int64_t(sizeof t) == file.size();
}

// The directory, checked against its sum.
bool parse(QFile& file, const SearchIndex::Trailer& t, Copy& copy)
{
    std::string directory(static_cast<std::size_t>(t.directoryBytes), '\0');
    if (!file.seek(t.directoryAt) || file.read(directory.data(), t.directoryBytes) != t.directoryBytes
        || SearchIndex::checksum(directory.data(), directory.size()) != t.directorySum)
        return false;
    copy.trailer = t;
    copy.columns.resize(static_cast<std::size_t>(t.columns));
    std::memcpy(copy.columns.data(), directory.data(), copy.columns.size() * sizeof(SearchIndex::Column));
    const char* at = directory.data() + copy.columns.size() * sizeof(SearchIndex::Column);
    std::int64_t next = 0;
    copy.chunks.resize(static_cast<std::size_t>(t.chunks));
    for (Copy::Chunk& c : copy.chunks) {
        std::memcpy(&c.range, at, sizeof c.range);
        at += sizeof c.range;
        if (c.range.first != next || c.range.count <= 0)
            return false;
        next += c.range.count;
        c.parts.resize(copy.columns.size());
        std::memcpy(c.parts.data(), at, c.parts.size() * sizeof(SearchIndex::Part));
        at += c.parts.size() * sizeof(SearchIndex::Part);
        for (const SearchIndex::Part& p : c.parts) {
            if (p.at < 0 || p.bytes < c.range.count || p.at + p.bytes > t.directoryAt)
                return false;
        }
    }
    return next == t.records;
}

// Reads the values of `chunk`, checked against their sums.
bool load(QFile& file, Copy::Chunk& chunk)
{
    if (chunk.loaded)
        return true;
    chunk.values.resize(chunk.parts.size());
    for (std::size_t i = 0; i < chunk.parts.size(); ++i) {
        const SearchIndex::Part& p = chunk.parts[i];
        std::string& values = chunk.values[i];
        values.resize(static_cast<std::size_t>(p.bytes));
        if (!file.seek(p.at) || file.read(values.data(), p.bytes) != p.bytes
            || SearchIndex::checksum(values.data(), values.size()) != p.sum)
            return false;
    }
    chunk.loaded = true;
    return true;
}

// The folded value of column `column` of `record`.
std::string valueOf(const char* record, const SearchIndex::Column& column, SlotKind kind)
{
    const FieldDef field{{}, static_cast<int>(column.offset), static_cast<int>(column.capacity)};
    std::string out;
    SearchIndexWriter::fold(TextSlot::raw(record, field, kind), out);
    return out;
}

// Replaces the `k`-th value (each ended by a zero byte) of `values`.
bool replaceValue(std::string& values, qint64 k, const std::string& value)
{
    std::size_t start = 0;
    for (qint64 i = 0; i < k; ++i) {
        const std::size_t end = values.find('\0', start);
        if (end == std::string::npos)
            return false;
        start = end + 1;
    }
    const std::size_t end = values.find('\0', start);
    if (end == std::string::npos)
        return false;
    values.replace(start, end - start + 1, value);
    return true;
}

bool write(QFile& old, const QString& path, const Copy& copy, const SearchIndex::Stamp& archive)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    std::string directory;
    const auto put = [&directory](const auto& value) { directory.append(reinterpret_cast<const char*>(&value), sizeof value); };
    for (const SearchIndex::Column& c : copy.columns)
        put(c);
    qint64 at = 0;
    QByteArray block(1 << 20, Qt::Uninitialized);
    for (const Copy::Chunk& c : copy.chunks) {
        put(c.range);
        for (std::size_t i = 0; i < c.parts.size(); ++i) {
            if (c.loaded) {
                const std::string& values = c.values[i];
                put(SearchIndex::Part{at, static_cast<std::int64_t>(values.size()), SearchIndex::checksum(values.data(), values.size())});
                if (file.write(values.data(), qint64(values.size())) != qint64(values.size()))
                    return false;
                at += qint64(values.size());
                continue;
            }
            // As it was, sum and all: a damaged part stays one the search refuses.
            const SearchIndex::Part& p = c.parts[i];
            put(SearchIndex::Part{at, p.bytes, p.sum});
            if (!old.seek(p.at))
                return false;
            for (qint64 left = p.bytes; left > 0;) {
                const qint64 got = old.read(block.data(), std::min<qint64>(left, block.size()));
                if (got <= 0 || file.write(block.constData(), got) != got)
                    return false;
                left -= got;
            }
            at += p.bytes;
        }
    }
    SearchIndex::Trailer t = copy.trailer;
    t.archive = archive;
    t.chunks = static_cast<std::int64_t>(copy.chunks.size());
    t.directoryAt = at;
    t.directoryBytes = static_cast<std::int64_t>(directory.size());
    t.directorySum = SearchIndex::checksum(directory.data(), directory.size());
    t.trailerSum = SearchIndex::checksum(reinterpret_cast<const char*>(&t), offsetof(SearchIndex::Trailer, trailerSum));
    if (file.write(directory.data(), qint64(directory.size())) != qint64(directory.size())
        || file.write(reinterpret_cast<const char*>(&t), sizeof t) != qint64(sizeof t))
        return false;
    return file.commit();
}

class KeptWrite : public WriteFollower::Write {
public:
    KeptWrite(const QString& path, int recordSize, const SearchIndex::Stamp& before)
        : m_path(path)
        , m_recordSize(recordSize)
        , m_before(before)
    {
    }

    void done(const QFile& archive, qint64 first, qint64 count) override
    {
#ifndef Q_OS_WIN
        SearchIndex::Stamp after;
        SearchIndex::Trailer t;
        QFile old(m_path);
        Copy copy;
        if (count <= 0 || !SearchIndex::stampOf(archive.handle(), after) || !old.open(QIODevice::ReadOnly)
            || !readTrailer(old, m_before, m_recordSize, t) || !parse(old, t, copy) || first > t.records)
            return;
        const auto kind = static_cast<SlotKind>(t.kind);
        // The written cards are read a block at a time: an import of many
        // cards holds one block.
        constexpr qint64 kBlock = 256;
        std::string records;
        qint64 blockFirst = first;
        for (qint64 r = first; r < first + count; ++r) {
            if (r == first || r - blockFirst == kBlock) {
                blockFirst = r;
                const qint64 n = std::min(kBlock, first + count - r);
                records.resize(static_cast<std::size_t>(n * m_recordSize));
                if (!readAt(archive.handle(), r * m_recordSize, records.data(), n * m_recordSize))
                    return;
            }
            const char* record = records.data() + (r - blockFirst) * m_recordSize;
            if (r < t.records) {
                // The chunk that holds the card: few, so a plain search.
                Copy::Chunk* chunk = nullptr;
                for (Copy::Chunk& c : copy.chunks) {
                    if (r >= c.range.first && r < c.range.first + c.range.count)
                        chunk = &c;
                }
                if (!chunk || !load(old, *chunk))
                    return;
                for (std::size_t i = 0; i < copy.columns.size(); ++i) {
                    if (!replaceValue(chunk->values[i], r - chunk->range.first, valueOf(record, copy.columns[i], kind)))
                        return;
                }
            } else {
                // New cards join a small last chunk rather than make a
                // chunk each: an archive that grows card by card keeps a
                // short directory.
                const bool joins = !copy.chunks.empty() && copy.chunks.back().range.first + copy.chunks.back().range.count == r
                    && copy.chunks.back().range.count < kJoinBelow;
                if (joins && !load(old, copy.chunks.back()))
                    return;
                if (!joins) {
                    Copy::Chunk added;
                    added.range = {r, 0};
                    added.parts.resize(copy.columns.size());
                    added.values.resize(copy.columns.size());
                    added.loaded = true;
                    copy.chunks.push_back(std::move(added));
                }
                Copy::Chunk& added = copy.chunks.back();
                for (std::size_t i = 0; i < copy.columns.size(); ++i)
                    added.values[i] += valueOf(record, copy.columns[i], kind);
                ++added.range.count;
            }
        }
        copy.trailer.records = std::max<std::int64_t>(t.records, first + count);
        // The archive holds whole cards only, as the copy describes them.
        if (after.size != copy.trailer.records * m_recordSize)
            return;
        write(old, m_path, copy, after);
#else
        Q_UNUSED(archive);
        Q_UNUSED(first);
        Q_UNUSED(count);
#endif
    }

private:
    QString m_path;
    int m_recordSize;
    SearchIndex::Stamp m_before;
};

} // namespace

std::unique_ptr<WriteFollower::Write> SearchIndexKeeper::begin(const QFile& archive, int recordSize)
{
    SearchIndex::Stamp before;
    SearchIndex::Trailer t;
    const QString path = SearchIndex::pathFor(archive.fileName());
    if (!SearchIndex::supported() || recordSize <= 0 || !SearchIndex::stampOf(archive.handle(), before))
        return nullptr;
    QFile copy(path);
    if (!copy.open(QIODevice::ReadOnly) || !readTrailer(copy, before, recordSize, t))
        return nullptr;
    return std::make_unique<KeptWrite>(path, recordSize, before);
}

void SearchIndexKeeper::install()
{
    static SearchIndexKeeper keeper;
    WriteFollower::set(&keeper);
}
