#include "CodeIndex.h"

#include "core/collections/Collection.h"
#include "core/desk/DeskCard.h"
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

CodeIndex::Stamp CodeIndex::stamp() const
{
    const QFileInfo info(path());
    if (!info.exists())
        return {};
    return {info.size(), info.lastModified()};
}

bool CodeIndex::current() const
{
    return m_built && stamp() == m_stamp;
}

void CodeIndex::keep(bool wasCurrent)
{
    if (wasCurrent)
        m_stamp = stamp();
    else
        m_built = false;
}

bool CodeIndex::build()
{
    m_positions.clear();
    m_built = false;
    // Stamped before reading: a change made during the scan shows at the
    // next lookup.
    const Stamp before = stamp();
    if (before.size >= 0) {
        const FieldDef* code = DeskCard::field(*m_collection, DeskCard::Role::Code);
        if (!code)
            return false;
        const SlotKind kind = m_collection->layout->kind;
        RecordStore store;
        if (!store.open(path(), m_collection->layout->size, RecordStore::Mode::ReadExisting))
            return false;
        const bool ok = store.scan([&](const char* record, qint64 index) {
            m_positions[DeskCard::key(TextSlot::raw(record, *code, kind))].append(index);
            return true;
        });
        if (!ok)
            return false;
    }
    m_stamp = before;
    m_built = true;
    return true;
}

bool CodeIndex::lookup(const QByteArray& key, QList<qint64>& positions)
{
    positions.clear();
    if (!current() && !build())
        return false;
    if (!key.isEmpty())
        positions = m_positions.value(key);
    return true;
}
