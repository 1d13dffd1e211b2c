#include "LabelCards.h"

#include "core/collections/Collection.h"
#include "core/search/Search.h"
#include "core/storage/RecordStore.h"
#include "core/text/Text.h"
#include "core/storage/TextSlot.h"

#include <array>

namespace {

const std::array<LabelFields, 2> kFields{{
    {"books", "Libri", "Codice", "Titolo", "Autore", "Dewey", "Scaffale", "Isbn"},
    {"dvd", "DVD", "Codice", "Titolo", "Regia", "", "Scaffale", ""},
}};

QString fieldText(const char* record, const RecordLayout& layout, std::string_view field)
{
    if (field.empty())
        return {};
    const FieldDef* f = layout.find(field);
    return f ? Text::trimmed(TextSlot::read(record, *f, layout.kind)) : QString();
}

} // namespace

const LabelFields* LabelFields::of(const Collection& collection)
{
    for (const LabelFields& f : kFields) {
        if (f.collection == collection.key)
            return &f;
    }
    return nullptr;
}

QString LabelFields::collections()
{
    return Text::listed(Collection::plurals(&has, false));
}

QString LabelCard::surnameLetters() const
{
    QString name = Text::trimmed(person);
    // "Surname, Name" as catalogues write it; else "Name Surname".
    const qsizetype comma = name.indexOf(QLatin1Char(','));
    if (comma >= 0)
        name = name.left(comma);
    else if (const qsizetype space = name.lastIndexOf(QLatin1Char(' ')); space >= 0)
        name = name.mid(space + 1);
    QString letters;
    for (const QChar ch : name) {
        if (ch.isLetter())
            letters += ch.toUpper();
        if (letters.size() == 3)
            break;
    }
    return letters;
}

namespace LabelCards {

bool codeInRange(const QString& code, const QString& from, const QString& to)
{
    const QString c = Text::foldAZ(Text::trimmed(code));
    const QString a = Text::foldAZ(Text::trimmed(from));
    const QString b = Text::foldAZ(Text::trimmed(to));
    return (a.isEmpty() || QString::compare(c, a, Qt::CaseSensitive) >= 0)
        && (b.isEmpty() || QString::compare(c, b, Qt::CaseSensitive) <= 0);
}

bool select(const Collection& collection, const QString& path, const LabelChoice& choice, QList<LabelCard>& cards)
{
    cards.clear();
    const LabelFields* fields = LabelFields::of(collection);
    if (!fields)
        return false;
    const RecordLayout& layout = *collection.layout;
    RecordStore store;
    if (!store.open(path, layout.size, RecordStore::Mode::ReadExisting))
        return false;
    const QString shelf = Text::foldAZ(Text::trimmed(choice.shelf));
    // Cancelled by the searches' own rule.
    const Search rule(*collection.search);
    return store.scan([&](const char* rec, qint64 index) {
        const qint64 position = index + 1;
        using R = LabelChoice::Range;
        if (choice.range == R::Positions && (position < choice.fromPosition || position > choice.toPosition))
            return true;
        if (choice.range == R::Since && position < choice.sincePosition)
            return true;
        if (!choice.withCancelled && rule.cancelled(rec))
            return true;
        LabelCard card;
        card.position = position;
        card.code = fieldText(rec, layout, fields->code);
        card.shelf = fieldText(rec, layout, fields->shelf);
        if (choice.range == R::Codes && !codeInRange(card.code, choice.fromCode, choice.toCode))
            return true;
        if (choice.range == R::Shelf && Text::foldAZ(card.shelf) != shelf)
            return true;
        card.title = fieldText(rec, layout, fields->title);
        card.person = fieldText(rec, layout, fields->person);
        card.dewey = fieldText(rec, layout, fields->dewey);
        cards.append(card);
        return true;
    });
}

} // namespace LabelCards
