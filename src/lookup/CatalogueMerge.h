#pragma once

#include "lookup/CatalogueRecord.h"

#include <QList>
#include <QString>

#include <functional>
#include <optional>

struct Collection;

// What a catalogue's record brings to a card that may hold typed values:
// the rule the book card follows and the command line can share. A field
// the record names is considered only when the collection's card has it;
// an empty one is filled, a typed one the record contradicts is offered
// (kept unless chosen), a typed one the record agrees with is left alone.
class CatalogueMerge {
public:
    struct Change {
        QString field; // the card's field name ("Titolo")
        QString typed; // trimmed; empty for a fill
        QString found;
    };

    // `typed(field)`: the card's value of `field`, or nothing when the card
    // shows no such field.
    using Typed = std::function<std::optional<QString>(const QString& field)>;

    CatalogueMerge(const Collection& collection, const CatalogueRecord& record, const Typed& typed);

    // Filled without asking, in the record's order.
    const QList<Change>& fills() const { return m_fills; }
    // Offered for the user to choose, in the record's order.
    const QList<Change>& offers() const { return m_offers; }

    // The changes to make: every fill and the offers whose `replace` is
    // true (by position), in the record's order.
    QList<Change> chosen(const QList<bool>& replace) const;

    // Whether a typed value of `field` and the record's are the same:
    // trimmed text, or for the collection's ISBN field the same book in any
    // of its written forms (hyphens, the other length).
    static bool sameValue(const Collection& collection, const QString& field, const QString& typed, const QString& found);

private:
    QList<Change> m_fills;
    QList<Change> m_offers;
    QStringList m_order;
};
