#pragma once

#include <QString>

#include <string_view>
#include <vector>

struct Collection;
struct FieldDef;

// Which fields of a collection's cards the web catalogue shows and searches,
// from section "Catalogo in rete" of the program folder's Tomaria.ini: a key
// named after the collection ("Libri", "DVD", "Articoli") lists record
// fields separated by commas. Without the key: every field the card screen
// captions except the price, the notes, the loan fields and the
// attachments. Whatever the file says, the loan fields are never public:
// the catalogue says whether an item is lent, never to whom.
class PublicFields {
public:
    static inline const QString kSection = QStringLiteral("Catalogo in rete");

    // Reads the settings of `iniPath` for `collection`.
    PublicFields(const Collection& collection, const QString& iniPath);

    const Collection& collection() const { return m_collection; }
    // In the order of the card screen's captions.
    const std::vector<const FieldDef*>& fields() const { return m_fields; }
    bool isPublic(std::string_view field) const;
    // The caption a page shows for `field`, without its colon.
    QString caption(const FieldDef& field) const;

    // The fields never public whatever the settings say.
    static bool neverPublic(const Collection& collection, std::string_view field);

private:
    const Collection& m_collection;
    std::vector<const FieldDef*> m_fields;
};
