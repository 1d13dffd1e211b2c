#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <span>
#include <string_view>

// The RTF document of one card: a centred heading, then one paragraph per
// field with its label in bold and its value in regular type.
// Single-byte Windows-1252 text, as the header declares. Every value is
// trimmed (blank = code 32 or less); "\", "{" and "}" are escaped so that
// they print as typed; a CR LF inside a value is kept and preceded by
// RTF's line break, so readers break the line where the card does; a
// character Windows-1252 cannot hold is written as "\uN?" (N the signed
// UTF-16 code unit, "?" the one fallback character the header announces).
namespace RtfDocument {

// What the document shows, UTF-8: its heading and, from the top, a label
// and a record field per paragraph.
struct Row {
    std::string_view caption; // "Titolo articolo:"
    std::string_view field;
};
struct Card {
    std::string_view title; // "SCHEDA ARTICOLO"
    std::span<const Row> rows;
};

// The card's text for a record field, the lines of a multi-line field
// joined by CR LF.
using Values = std::function<QString(std::string_view field)>;

// The whole document of `card` for the record `values` reads.
QByteArray build(const Card& card, const Values& values);

// Creates `path` anew. The document is written beside it under a temporary
// name and renamed over it only when complete, so a failure leaves any
// previous document exactly as it was. False when anything failed.
bool save(const Card& card, const Values& values, const QString& path);

} // namespace RtfDocument
