#pragma once

#include "core/storage/RecordLayout.h"

#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class RecordStore;

// The compact copy of an archive's searched fields, in a file beside it
// ("Libri.pro" has "Libri.pro-search"): for each field, the slot's bytes of
// every card with A-Z read as a-z, one value after another, each ended by a
// zero byte, in chunks of consecutive cards. A filter then reads a few
// megabytes instead of the whole archive.
//
// It only names candidates: every card it names is read again from the
// archive and matched there, so it never adds a line. It is used only while
// the archive is, by device, inode, size, modification and change time, the
// very file it was made from; the change time is set by the system on every
// write and by no program, and a copy is made only of an archive that had
// not changed for settle() before the copy began, so any later write, even
// one that sets the modification time back, shows as a new change time.
// A search that finds no copy, or one that does not match, reads the whole
// archive and makes the copy anew on the way (SearchIndexWriter). The copy
// is a cache: it is never part of a safety copy, and losing it costs one
// full pass. Not on Windows, where a program can set every time a file has:
// there searches always read the archive.
class SearchIndex {
public:
    static inline const QString kSuffix = QStringLiteral("-search");
    static QString pathFor(const QString& archive);

    // False where the copy is never used (Windows).
    static bool supported();

    // How long an archive must have been unchanged before a copy of it is
    // made: longer than a time stamp's step on any file system and than any
    // write the system may still be doing. Tests shorten it.
    static std::chrono::nanoseconds settle();
    static void setSettle(std::chrono::nanoseconds settle);

    // Opens the copy of the open archive of `store`; false (and nothing
    // held) when there is none, it is damaged, it describes another file or
    // another state of this one, or it lacks one of `fields`.
    bool open(const RecordStore& store, SlotKind kind, const std::vector<const FieldDef*>& fields);
    bool isOpen() const { return m_fd >= 0; }
    void close();

    SearchIndex() = default;
    ~SearchIndex() { close(); }
    SearchIndex(const SearchIndex&) = delete;
    SearchIndex& operator=(const SearchIndex&) = delete;

    // One filter: the field's value must contain `folded` (A-Z already read
    // as a-z; no zero byte).
    struct Needle {
        const FieldDef* field;
        std::string_view folded;
    };

    // The cards, ascending, whose values contain every needle; `threads`
    // share the chunks. False when a chunk turns out damaged (the caller
    // then reads the archive).
    bool candidates(const std::vector<Needle>& needles, int threads, std::vector<qint64>& out) const;

    // Every card's value of `field` (A-Z read as a-z), in archive order:
    // what the lending desk keys its codes by. False when the copy lacks
    // the field or a chunk turns out damaged.
    bool values(const FieldDef* field, const std::function<void(qint64 index, std::string_view folded)>& visit) const;

    // Bytes of the copy's values of `field`, for choosing the threads.
    qint64 columnBytes(const FieldDef* field) const;

    // True while the archive of `store` is still the state the copy describes.
    bool current(const RecordStore& store) const;

    // --- The file's format, shared with SearchIndexWriter. ---

    // What identifies one state of a file.
    struct Stamp {
        std::int64_t device = 0, inode = 0, size = 0, modifiedNs = 0, changedNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    // The stamp of an open file; false on failure or where unsupported.
    static bool stampOf(int fd, Stamp& stamp);

    static constexpr std::uint64_t kMagic = 0x3148435241455354ull; // "TSEARCH1" read little-endian
    // 2: the sums are xxHash's XXH3 (a copy of version 1 is rebuilt).
    static constexpr std::uint64_t kVersion = 2;

    // The last bytes of the file; the directory lies just before it.
    struct Trailer {
        std::uint64_t magic;
        std::uint64_t version;
        Stamp archive;
        std::int64_t recordSize;
        std::int64_t kind;
        std::int64_t records;
        std::int64_t columns;
        std::int64_t chunks;
        std::int64_t directoryAt;
        std::int64_t directoryBytes;
        std::uint64_t directorySum;
        std::uint64_t trailerSum; // of every word above
    };
    // The directory: `columns` Column entries, then for each chunk its
    // Chunk entry followed by `columns` Part entries.
    struct Column {
        std::int64_t offset, capacity;
    };
    struct Chunk {
        std::int64_t first, count;
    };
    struct Part {
        std::int64_t at, bytes;
        std::uint64_t sum;
    };

    // A quick sum that tells a damaged or cut file from the one written
    // (xxHash's XXH3, 64 bits).
    static std::uint64_t checksum(const char* data, std::size_t size);

private:
    struct ChunkParts {
        Chunk chunk;
        std::vector<Part> parts;
    };
    // A part's bytes, in memory that is reused and never cleared first.
    struct Buffer {
        std::unique_ptr<char[]> data;
        std::size_t room = 0;
        std::size_t size = 0;
    };
    int columnOf(const FieldDef* field) const;
    bool readPart(const Part& part, Buffer& into) const;

    int m_fd = -1;
    Stamp m_archive;
    std::vector<Column> m_columns;
    std::vector<ChunkParts> m_chunks;
};
