#pragma once

#include <QString>
#include <QStringList>

#include <string_view>

struct Collection;
struct FieldDef;

// The words an import's header may use for a collection's fields: the
// record field's name ("Citta"), the caption beside the field on the card
// screen ("Città:"), and the heading of the spreadsheet export ("Città
// pubblicazione"), compared in any letter case, with any blanks and with or
// without the caption's colon.
class ImportNames {
public:
    explicit ImportNames(const Collection& collection);

    // nullptr when `header` names no field.
    const FieldDef* field(const QString& header) const;

    // One line listing the accepted names, field by field, for the message
    // about an unknown column.
    QString accepted() const;

    // The fields whose card control holds several lines: any other field
    // keeps a value on one line.
    static bool multiLine(const Collection& collection, std::string_view field);

    // Blanks and a final colon taken away, letters in lower case.
    static QString normalized(const QString& header);

private:
    const Collection& m_collection;
};
