#pragma once

#include "core/search/SearchIndex.h"
#include "core/storage/SideFileWriter.h"

#include <QMutex>

#include <memory>
#include <string>
#include <vector>

class RecordStore;

// Makes the compact copy of an archive (see SearchIndex) during a pass that
// reads the whole archive anyway: each thread folds its piece's values into
// buffers of its own (add), hands them over when the piece is done
// (addPiece), and the copy replaces the old one only when the pass read
// everything and the archive did not change meanwhile (finish). Memory is
// one piece's values per thread, whatever the archive's size.
class SearchIndexWriter {
public:
    // The values of one piece, one buffer per field.
    using Buffers = std::vector<std::string>;

    // Starts a copy of `fields` (slots of `kind`) of the open archive; false, with nothing
    // written, where copies are not used, when the folder refuses a new
    // file, or when the archive changed too recently (SearchIndex::settle).
    bool begin(const RecordStore& store, SlotKind kind, const std::vector<const FieldDef*>& fields);
    bool active() const { return m_file != nullptr; }

    Buffers buffers() const { return Buffers(m_fields.size()); }
    // Adds the values of `record` to `into`.
    void add(const char* record, Buffers& into) const;
    // Appends `raw` to `into` as the copy holds a value: folded, ended by a
    // zero byte.
    static void fold(std::string_view raw, std::string& into);
    // Writes the values of records [first, last) and empties `from`; any
    // thread, pieces in any order.
    void addPiece(qint64 first, qint64 last, Buffers& from);
    // Puts the copy in place when `read` (the pass read the whole archive)
    // and the archive is as it was at begin; else leaves the old one.
    void finish(const RecordStore& store, bool read);

private:
    std::vector<const FieldDef*> m_fields;
    SlotKind m_kind = SlotKind::LengthByte;
    SearchIndex::Stamp m_archive;
    qint64 m_records = 0;
    std::unique_ptr<SideFileWriter> m_file;
    QMutex m_turn;
    qint64 m_at = 0;
    bool m_failed = false;
    struct Written {
        SearchIndex::Chunk chunk;
        std::vector<SearchIndex::Part> parts;
    };
    std::vector<Written> m_written;
};
