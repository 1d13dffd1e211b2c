#include "ArchiveCheck.h"

#include "core/collections/Collection.h"
#include "core/storage/AttachmentFolder.h"
#include "core/storage/Cp1252.h"
#include "core/storage/RecordStore.h"
#include "core/text/Text.h"
#include "core/storage/TextSlot.h"

#include <cstring>

namespace {

bool slotOverflows(const char* record, const FieldDef& f, SlotKind kind)
{
    const char* slot = record + f.offset;
    if (kind == SlotKind::LengthByte)
        return static_cast<unsigned char>(slot[0]) > f.capacity;
    return std::memchr(slot, 0, static_cast<std::size_t>(f.capacity) + 1) == nullptr;
}

} // namespace

namespace ArchiveCheck {

Report run(const Collection& collection, const QString& path)
{
    Report report;
    RecordStore store;
    if (!store.open(path, collection.layout->size, RecordStore::Mode::ReadExisting))
        return report;
    report.cards = store.count();
    report.trailingBytes = store.trailingBytes();
    const RecordLayout& layout = *collection.layout;
    const FieldDef* cancelled = layout.find("Annullata");
    report.readable = store.scan([&](const char* rec, qint64 index) {
        const qint64 position = index + 1;
        for (const FieldDef& f : layout.fields) {
            if (slotOverflows(rec, f, layout.kind)) {
                report.overlongSlots << position;
                break;
            }
        }
        if (collection.hasCancelledFlag() && cancelled) {
            const std::string_view flag = Text::trimmed(TextSlot::raw(rec, *cancelled, layout.kind));
            if (flag != std::string_view("S\xEC", 2) && flag != std::string_view("No"))
                report.badCancelled << position;
        }
        for (const FieldDef& f : layout.fields) {
            if (!f.name.starts_with("File"))
                continue;
            const std::string_view name = Text::trimmed(TextSlot::raw(rec, f, layout.kind));
            if (!name.empty() && !AttachmentFolder::isBareName(Cp1252::decode(name))) {
                report.badAttachments << position;
                break;
            }
        }
        for (const RequiredField& required : collection.required) {
            if (Text::trimmed(TextSlot::raw(rec, *layout.find(required.field), layout.kind)).empty()) {
                report.missingRequired << position;
                break;
            }
        }
        return true;
    });
    return report;
}

QString positions(const QList<qint64>& list)
{
    constexpr int kShown = 10;
    QStringList shown;
    for (int i = 0; i < list.size() && i < kShown; ++i)
        shown << QString::number(list[i]);
    QString text = shown.join(QStringLiteral(", "));
    if (list.size() > kShown)
        text += QStringLiteral(", ...");
    return text;
}

QStringList describe(const Report& r)
{
    QStringList lines;
    lines << QStringLiteral("Schede in archivio: %1").arg(r.cards);
    if (r.trailingBytes > 0)
        lines << QStringLiteral("Scheda incompleta in coda all'archivio: %1 byte").arg(r.trailingBytes);
    if (!r.overlongSlots.isEmpty())
        lines << QStringLiteral("Schede con un campo oltre la sua capienza: %1 (posizioni %2)")
                     .arg(r.overlongSlots.size())
                     .arg(positions(r.overlongSlots));
    if (!r.badCancelled.isEmpty())
        lines << QStringLiteral("Schede con il contrassegno Annullata diverso da \"Sì\" e \"No\": %1 (posizioni %2)")
                     .arg(r.badCancelled.size())
                     .arg(positions(r.badCancelled));
    if (!r.missingRequired.isEmpty())
        lines << QStringLiteral("Schede con un campo obbligatorio vuoto: %1 (posizioni %2)")
                     .arg(r.missingRequired.size())
                     .arg(positions(r.missingRequired));
    if (!r.badAttachments.isEmpty())
        lines << QStringLiteral(
            "Schede con un allegato il cui nome esce dalla cartella Documenti_Allegati o è un nome di dispositivo: %1 (posizioni %2)")
                     .arg(r.badAttachments.size())
                     .arg(positions(r.badAttachments));
    if (r.clean())
        lines << QStringLiteral("Nessun problema trovato.");
    return lines;
}

} // namespace ArchiveCheck
