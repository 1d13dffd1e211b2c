#include "TextSlot.h"

#include "Cp1252.h"
#include "core/text/Text.h"

#include <algorithm>
#include <cstring>

namespace TextSlot {

std::string_view raw(const char* record, const FieldDef& field, SlotKind kind)
{
    const char* slot = record + field.offset;
    if (kind == SlotKind::LengthByte) {
        const int length = std::min<int>(static_cast<unsigned char>(slot[0]), field.capacity);
        return {slot + 1, static_cast<std::size_t>(length)};
    }
    const std::size_t size = static_cast<std::size_t>(field.capacity) + 1;
    const void* zero = std::memchr(slot, 0, size);
    return {slot, zero ? static_cast<std::size_t>(static_cast<const char*>(zero) - slot) : size};
}

QString read(const char* record, const FieldDef& field, SlotKind kind)
{
    const std::string_view bytes = raw(record, field, kind);
    if (kind == SlotKind::LengthByte)
        return Cp1252::decode(Text::trimmed(bytes));
    return Cp1252::decode(bytes);
}

void write(char* record, const FieldDef& field, SlotKind kind, QStringView value)
{
    char* slot = record + field.offset;
    std::memset(slot, 0, static_cast<std::size_t>(field.capacity) + 1);
    if (kind == SlotKind::LengthByte) {
        QByteArray bytes = Cp1252::encode(Text::trimmed(value));
        // Cut to the capacity, and keep the stored value trimmed even when
        // the cut lands just after a blank.
        std::string_view kept = Text::trimmed(
            std::string_view(bytes.constData(), static_cast<std::size_t>(std::min<qsizetype>(bytes.size(), field.capacity))));
        slot[0] = static_cast<char>(kept.size());
        std::memcpy(slot + 1, kept.data(), kept.size());
    } else {
        const QByteArray bytes = Cp1252::encode(value);
        const qsizetype n = std::min<qsizetype>(bytes.size(), field.capacity);
        std::memcpy(slot, bytes.constData(), static_cast<std::size_t>(n));
    }
}

QString readAsIs(const char* record, const FieldDef& field, SlotKind kind)
{
    return Cp1252::decode(raw(record, field, kind));
}

void writeAsIs(char* record, const FieldDef& field, SlotKind kind, QStringView value)
{
    char* slot = record + field.offset;
    std::memset(slot, 0, static_cast<std::size_t>(field.capacity) + 1);
    const QByteArray bytes = Cp1252::encode(value);
    const qsizetype n = std::min<qsizetype>(bytes.size(), field.capacity);
    if (kind == SlotKind::LengthByte) {
        slot[0] = static_cast<char>(n);
        std::memcpy(slot + 1, bytes.constData(), static_cast<std::size_t>(n));
    } else {
        std::memcpy(slot, bytes.constData(), static_cast<std::size_t>(n));
    }
}

} // namespace TextSlot
