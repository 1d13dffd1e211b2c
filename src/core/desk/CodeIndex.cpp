#include "CodeIndex.h"

#include "core/collections/Collection.h"
#include "core/desk/DeskCard.h"
#include "core/search/Fold.h"
#include "core/storage/ProgramFolder.h"
#include "core/storage/RecordStore.h"
#include "core/storage/TextSlot.h"

#include <QFileInfo>

CodeIndex::CodeIndex(const Collection& collection)
    : m_collection(&collection)
{
}

QString CodeIndex::path() const
{
    return ProgramFolder::file(m_collection->archiveName());
}

bool CodeIndex::stampOf(const RecordStore& store, Stamp& stamp)
{
    stamp = {};
    if (SearchIndex::stampOf(store.handle(), stamp.file)) {
        stamp.exact = true;
        return true;
    }
    // A system that gives no change time: size and modification time of
    // the open file are all there is.
    const QFileInfo info(store.fileName());
    stamp.file.size = store.count() * store.recordSize() + store.trailingBytes();
    stamp.file.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
    return info.exists();
}

void CodeIndex::underLock(int handle, bool written)
{
    Stamp now;
    now.exact = SearchIndex::stampOf(handle, now.file);
    if (!written) {
        m_keep = m_built && now.exact && now == m_stamp;
        return;
    }
    if (m_keep && now.exact)
        m_stamp = now;
    else
        m_built = false;
    m_keep = false;
}

bool CodeIndex::build(RecordStore& store, const Stamp& stamp)
{
    m_positions.clear();
    m_built = false;
    m_fromCopy = false;
    const FieldDef* code = DeskCard::field(*m_collection, DeskCard::Role::Code);
    if (!code)
        return false;
    const SlotKind kind = m_collection->layout->kind;
    // The compact copy holds every card's code already, as the searches
    // read it: a few megabytes instead of the whole archive.
    SearchIndex copy;
    if (copy.open(store, kind, {code})) {
        const bool read = copy.values(
            code, [&](qint64 index, std::string_view folded) { m_positions[DeskCard::key(folded)].append(index); });
        if (read && copy.current(store)) {
            m_fromCopy = true;
            m_stamp = stamp;
            m_built = true;
            return true;
        }
        m_positions.clear();
    }
    // Stamped before reading: a change made during the pass shows at the
    // next lookup.
    const bool ok = store.scan([&](const char* record, qint64 index) {
        m_positions[DeskCard::key(TextSlot::raw(record, *code, kind))].append(index);
        return true;
    });
    if (!ok)
        return false;
    m_stamp = stamp;
    m_built = true;
    return true;
}

bool CodeIndex::open(RecordStore& store, Stamp& now) const
{
    return store.open(path(), m_collection->layout->size, RecordStore::Mode::ReadExisting) && stampOf(store, now);
}

bool CodeIndex::prepare()
{
    if (!QFileInfo::exists(path()))
        return true;
    RecordStore store;
    Stamp now;
    if (!open(store, now))
        return false;
    return (m_built && now == m_stamp) || build(store, now);
}

bool CodeIndex::fromCopy(RecordStore& store, const QByteArray& key, QList<qint64>& positions)
{
    const FieldDef* code = DeskCard::field(*m_collection, DeskCard::Role::Code);
    const SlotKind kind = m_collection->layout->kind;
    SearchIndex copy;
    if (!code || key.contains('\0') || !copy.open(store, kind, {code}))
        return false;
    std::string needle(static_cast<std::size_t>(key.size()), '\0');
    Fold::into(std::string_view(key.constData(), needle.size()), needle.data());
    std::vector<qint64> candidates;
    // Every card whose code holds the key; past a few, making the index
    // from the copy costs less than reading them.
    constexpr std::size_t kFew = 256;
    if (!copy.candidates({{code, needle}}, 1, candidates) || candidates.size() > kFew)
        return false;
    QList<qint64> found;
    const bool read = store.readRecords(candidates.data(), static_cast<qint64>(candidates.size()), [&](const char* record, qint64 index) {
        if (DeskCard::key(TextSlot::raw(record, *code, kind)) == key)
            found.append(index);
        return true;
    });
    if (!read || !copy.current(store))
        return false;
    positions = found;
    m_fromCopy = true;
    return true;
}

bool CodeIndex::lookup(const QByteArray& key, QList<qint64>& positions)
{
    positions.clear();
    if (!QFileInfo::exists(path())) {
        // A missing archive holds no code; one made later is read then.
        m_positions.clear();
        m_built = false;
        return true;
    }
    RecordStore store;
    Stamp now;
    if (!open(store, now))
        return false;
    if (key.isEmpty())
        return true;
    if (m_built && now == m_stamp) {
        positions = m_positions.value(key);
        return true;
    }
    // The first scan: the compact copy names the few cards to read, and no
    // index is made until one is needed (prepare()).
    if (fromCopy(store, key, positions))
        return true;
    if (!build(store, now))
        return false;
    positions = m_positions.value(key);
    return true;
}
