#pragma once

#include "core/search/Threads.h"
#include "core/storage/RecordStore.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <type_traits>

// One pass over every whole record of an open store, read in blocks by the
// store's own scan. The archive is cut into pieces that the threads take in
// turn, so a thread that gets less of a processor (another program is busy)
// takes fewer pieces. The searches and the statistics read this way.
class ArchivePass {
public:
    // `threads` > 0 sets the number by hand; 0 chooses from the archive's
    // size and the processors.
    ArchivePass(qint64 records, int recordSize, int threads = 0)
        : m_records(records)
    {
        if (threads > 0) {
            m_threads = static_cast<int>(std::clamp<qint64>(threads, 1, std::max<qint64>(records, 1)));
        } else {
            // A thread pays for itself once it has a few megabytes to read;
            // more threads than processors only take turns.
            constexpr qint64 kBytesPerThread = 8 << 20;
            constexpr qint64 kMostThreads = 8;
            const qint64 cores = std::max(1u, std::thread::hardware_concurrency());
            m_threads = static_cast<int>(std::clamp<qint64>(records * recordSize / kBytesPerThread, 1, std::min(cores, kMostThreads)));
        }
        constexpr qint64 kPieceBytes = 4 << 20;
        m_perPiece = std::clamp<qint64>(
            (records + 4 * m_threads - 1) / (4 * m_threads), 1, std::max<qint64>(1, kPieceBytes / std::max(1, recordSize)));
        m_pieces = std::max<qint64>(1, (records + m_perPiece - 1) / m_perPiece);
    }

    int threads() const { return m_threads; }
    qint64 pieces() const { return m_pieces; }

    // Calls visit(thread, piece, record) (or, when it takes it, visit(thread,
    // piece, record, index)) for every record; records of one piece come in
    // archive order on one thread. False when a piece could
    // not be read to its end (the store's scan says why).
    template <class Visit> bool run(const RecordStore& store, const Visit& visit) const
    {
        return run(store, visit, [](int, qint64, qint64, qint64) {});
    }

    // The same, and done(thread, piece, first, last) on that piece's thread
    // once records [first, last) of a piece have all been visited.
    template <class Visit, class Done> bool run(const RecordStore& store, const Visit& visit, const Done& done) const
    {
        std::atomic<qint64> next = 0;
        std::atomic<bool> failed = false;
        Threads::run(m_threads, [&](int thread) {
            for (qint64 piece = next++; piece < m_pieces && !failed; piece = next++) {
                const qint64 first = piece * m_perPiece;
                const qint64 last = std::min(m_records, first + m_perPiece);
                const bool read = store.scanRange(first, last, [&](const char* record, qint64 index) {
                    if constexpr (std::is_invocable_v<Visit, int, qint64, const char*, qint64>)
                        visit(thread, piece, record, index);
                    else
                        visit(thread, piece, record);
                    return true;
                });
                if (!read)
                    failed = true;
                else
                    done(thread, piece, first, last);
            }
        });
        return !failed;
    }

private:
    qint64 m_records;
    int m_threads = 1;
    qint64 m_perPiece = 1;
    qint64 m_pieces = 1;
};
