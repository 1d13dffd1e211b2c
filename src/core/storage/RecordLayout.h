#pragma once

#include <span>
#include <string_view>

// How the text of a slot is held: a length byte before the characters
// (book and DVD records, values stored trimmed) or the characters followed
// by a zero byte (article records, values stored as typed).
enum class SlotKind { LengthByte, ZeroTerminated };

struct FieldDef {
    std::string_view name;
    int offset;
    int capacity; // characters; the slot takes capacity + 1 bytes
};

struct RecordLayout {
    std::string_view name;
    int size;
    SlotKind kind;
    std::span<const FieldDef> fields;

    // nullptr when the layout has no such field.
    const FieldDef* find(std::string_view field) const
    {
        for (const FieldDef& f : fields) {
            if (f.name == field)
                return &f;
        }
        return nullptr;
    }

    // True when the slots follow each other without gaps from byte 0 and
    // the last one ends exactly at the record size.
    constexpr bool isContiguous() const
    {
        int next = 0;
        for (const FieldDef& f : fields) {
            if (f.offset != next || f.capacity < 1)
                return false;
            next = f.offset + f.capacity + 1;
        }
        return next == size;
    }
};
