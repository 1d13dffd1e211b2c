#include "SearchIndexWriter.h"

#include "core/search/Fold.h"
#include "core/storage/RecordStore.h"
#include "core/storage/TextSlot.h"

#include <algorithm>
#include <cstring>

bool SearchIndexWriter::begin(const RecordStore& store, SlotKind kind, const std::vector<const FieldDef*>& fields)
{
    m_file.reset();
    m_written.clear();
    m_failed = false;
    m_at = 0;
    if (!SearchIndex::supported() || fields.empty() || !store.isOpen() || !store.readsToEnd()
        || !SearchIndex::stampOf(store.handle(), m_archive))
        return false;
    // Never through a link or into a special file standing at its name.
    auto file = std::make_unique<SideFileWriter>(SearchIndex::pathFor(store.fileName()));
    if (!file->open())
        return false;
    // The new file's time comes from the clock that stamps the archive (the
    // same file system): an archive changed less than the settle time
    // before it may still be changing in ways its change time would not
    // show later, so no copy is made of it now.
    SearchIndex::Stamp made;
    if (!SearchIndex::stampOf(file->file().handle(), made) || m_archive.changedNs + SearchIndex::settle().count() >= made.modifiedNs) {
        file->cancel();
        return false;
    }
    m_file = std::move(file);
    m_fields = fields;
    m_kind = kind;
    m_records = store.count();
    return true;
}

void SearchIndexWriter::fold(std::string_view raw, std::string& out)
{
    const std::size_t at = out.size();
    out.resize(at + raw.size() + 1);
    char* to = out.data() + at;
    Fold::into(raw, to);
    // A zero byte inside a value (possible in a length-byte slot) would
    // end it early; no filter holds one, so any other byte keeps every
    // match a match.
    for (std::size_t k = 0; k < raw.size(); ++k)
        to[k] = to[k] ? to[k] : '\x01';
    to[raw.size()] = '\0';
}

void SearchIndexWriter::add(const char* record, Buffers& into) const
{
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        fold(TextSlot::raw(record, *m_fields[i], m_kind), into[i]);
}

void SearchIndexWriter::addPiece(qint64 first, qint64 last, Buffers& from)
{
    if (last <= first)
        return;
    Written w;
    w.chunk = {first, last - first};
    for (const std::string& values : from)
        w.parts.push_back({0, static_cast<std::int64_t>(values.size()), SearchIndex::checksum(values.data(), values.size())});
    {
        const QMutexLocker turn(&m_turn);
        if (!m_file || m_failed)
            return;
        for (std::size_t i = 0; i < from.size(); ++i) {
            w.parts[i].at = m_at;
            if (m_file->file().write(from[i].data(), static_cast<qint64>(from[i].size())) != static_cast<qint64>(from[i].size()))
                m_failed = true;
            m_at += static_cast<qint64>(from[i].size());
        }
        m_written.push_back(std::move(w));
    }
    for (std::string& values : from)
        values.clear();
}

void SearchIndexWriter::finish(const RecordStore& store, bool read)
{
    if (!m_file)
        return;
    std::unique_ptr<SideFileWriter> file = std::move(m_file);
    SearchIndex::Stamp now;
    std::sort(m_written.begin(), m_written.end(), [](const Written& a, const Written& b) { return a.chunk.first < b.chunk.first; });
    qint64 next = 0;
    for (const Written& w : m_written) {
        if (w.chunk.first != next)
            read = false;
        next += w.chunk.count;
    }
    if (!read || m_failed || next != m_records || !SearchIndex::stampOf(store.handle(), now) || !(now == m_archive)) {
        file->cancel();
        return;
    }
    std::string directory;
    const auto put = [&directory](const auto& value) { directory.append(reinterpret_cast<const char*>(&value), sizeof value); };
    for (const FieldDef* f : m_fields)
        put(SearchIndex::Column{f->offset, f->capacity});
    for (const Written& w : m_written) {
        put(w.chunk);
        for (const SearchIndex::Part& p : w.parts)
            put(p);
    }
    SearchIndex::Trailer t{};
    t.magic = SearchIndex::kMagic;
    t.version = SearchIndex::kVersion;
    t.archive = m_archive;
    t.recordSize = store.recordSize();
    t.kind = static_cast<std::int64_t>(m_kind);
    t.records = m_records;
    t.columns = static_cast<std::int64_t>(m_fields.size());
    t.chunks = static_cast<std::int64_t>(m_written.size());
    t.directoryAt = m_at;
    t.directoryBytes = static_cast<std::int64_t>(directory.size());
    t.directorySum = SearchIndex::checksum(directory.data(), directory.size());
    t.trailerSum = SearchIndex::checksum(reinterpret_cast<const char*>(&t), offsetof(SearchIndex::Trailer, trailerSum));
    if (file->file().write(directory.data(), static_cast<qint64>(directory.size())) != static_cast<qint64>(directory.size())
        || file->file().write(reinterpret_cast<const char*>(&t), sizeof t) != static_cast<qint64>(sizeof t)) {
        file->cancel();
        return;
    }
    // A copy that cannot be put in place is only a lost shortcut.
    file->commit();
}
