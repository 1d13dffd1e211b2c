#include "MarcExport.h"

#include "core/collections/Books.h"
#include "core/collections/Collection.h"
#include "core/storage/DiskFile.h"
#include "core/storage/Record.h"
#include "core/storage/RecordStore.h"
#include "core/text/Text.h"
#include "lookup/MarcMapping.h"
#include "lookup/MarcRecord.h"

#include <QSaveFile>

#include <algorithm>

namespace {

// Bytes gathered before each write to the file.
constexpr qsizetype kChunk = 1 << 20;

} // namespace

bool MarcExport::save(const QString& archivePath, const QString& path, const Options& options, Outcome* outcome)
{
    Outcome local;
    Outcome& o = outcome ? *outcome : local;
    o = Outcome();
    const Collection& books = Books::collection();
    RecordStore store;
    if (!store.open(archivePath, books.layout->size, RecordStore::Mode::ReadExisting)) {
        o.readFailed = true;
        o.reason = store.errorString();
        return false;
    }
    QList<qint64> wanted = options.positions;
    std::sort(wanted.begin(), wanted.end());
    const qint64 total = wanted.isEmpty() ? store.count() : wanted.size();
    QString reason;
    const bool saved = DiskFile::replaceWhole(
        path,
        [&](QSaveFile& file, QString* why) {
            MarcWriter writer(options.format);
            Record card(*books.layout);
            QByteArray chunk;
            bool written = true;
            qsizetype next = 0; // in `wanted`
            const auto flush = [&] {
                if (file.write(chunk) != chunk.size()) {
                    written = false;
                    *why = file.errorString();
                }
                chunk.clear();
                return written;
            };
            const bool read = store.scan([&](const char* bytes, qint64 index) {
                if (!wanted.isEmpty()) {
                    while (next < wanted.size() && wanted[next] < index)
                        ++next;
                    if (next == wanted.size())
                        return false;
                    if (wanted[next] != index)
                        return true;
                }
                if (options.cancel && options.cancel->load()) {
                    written = false;
                    *why = QStringLiteral("esportazione interrotta");
                    return false;
                }
                card.bytes() = QByteArray(bytes, card.bytes().size());
                MarcRecord r = MarcMapping::record(card, options.syntax);
                if (Text::trimmed(card.text("Annullata")).compare(QLatin1String("No"), Qt::CaseInsensitive) != 0
                    && !Text::trimmed(card.text("Annullata")).isEmpty()) {
                    QString leader = r.leader();
                    leader[5] = u'd';
                    r.setLeader(leader);
                }
                if (!writer.write(r, chunk)) {
                    written = false;
                    *why = QStringLiteral("la scheda in posizione %1 non si può scrivere come record MARC").arg(index + 1);
                    return false;
                }
                ++o.cards;
                if (options.progress && o.cards % 1000 == 0)
                    options.progress(o.cards, total);
                return chunk.size() < kChunk || flush();
            });
            if (!read && written) {
                o.readFailed = true;
                *why = store.errorString();
                return false;
            }
            chunk += writer.finish();
            return written && flush();
        },
        &reason);
    if (!saved)
        o.reason = reason;
    return saved;
}
