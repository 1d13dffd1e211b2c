#pragma once

#include "RecordLayout.h"

#include <QString>
#include <QStringView>

#include <string_view>

// Reading and writing one text slot inside a record buffer. Readers never
// trust the bytes: a length byte above the capacity reads as the capacity and
// a zero-terminated slot without its zero ends at the end of the slot.
namespace TextSlot {

// The stored characters, as bytes (not trimmed, not decoded).
std::string_view raw(const char* record, const FieldDef& field, SlotKind kind);

// The value as a card shows it: decoded, and trimmed for length-byte slots.
QString read(const char* record, const FieldDef& field, SlotKind kind);

// Stores a value: length-byte slots hold it trimmed, zero-terminated slots
// as given; either way cut to the capacity. Unused bytes become zeros.
void write(char* record, const FieldDef& field, SlotKind kind, QStringView value);

// The stored characters decoded, blanks kept: what the complete export
// gives, so that a value another program stored comes back as it was.
QString readAsIs(const char* record, const FieldDef& field, SlotKind kind);
// Stores a value exactly as given, blanks kept, cut to the capacity.
void writeAsIs(char* record, const FieldDef& field, SlotKind kind, QStringView value);

} // namespace TextSlot
