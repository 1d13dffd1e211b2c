#include "DeskCard.h"

#include "core/collections/Collection.h"
#include "core/search/Search.h"
#include "core/storage/Cp1252.h"
#include "core/storage/Record.h"
#include "core/storage/TextSlot.h"
#include "core/text/Text.h"

QString DeskCard::kindName() const
{
    return collection && collection->loans ? Text::utf8(collection->loans->name) : QString();
}

QString DeskCard::line() const
{
    return QStringLiteral("%1 cod. %2 \"%3\" (posizione %4)").arg(kindName(), code, title, position());
}

const FieldDef* DeskCard::field(const Collection& collection, Role role)
{
    // The desk reads a card by the parts its fields play in the collection.
    const FieldRoles& roles = collection.roles;
    std::string_view name;
    switch (role) {
    case Role::Code:
        name = roles.code;
        break;
    case Role::Title:
        name = roles.title;
        break;
    case Role::Author:
        name = roles.person;
        break;
    case Role::Shelf:
        name = roles.shelf;
        break;
    case Role::Borrower:
        name = roles.borrower;
        break;
    case Role::Date:
        name = roles.loanDate;
        break;
    }
    return name.empty() ? nullptr : collection.layout->find(name);
}

DeskCard DeskCard::read(const Collection& collection, qint64 index, const QByteArray& bytes)
{
    DeskCard card;
    card.collection = &collection;
    card.index = index;
    card.bytes = bytes;
    const SlotKind kind = collection.layout->kind;
    auto text = [&](Role role) {
        const FieldDef* f = field(collection, role);
        return f ? Text::trimmed(TextSlot::read(bytes.constData(), *f, kind)) : QString();
    };
    card.code = text(Role::Code);
    card.title = text(Role::Title);
    card.author = text(Role::Author);
    card.shelf = text(Role::Shelf);
    card.borrower = text(Role::Borrower);
    card.date = text(Role::Date);
    card.cancelled = !Search(*collection.search).listable(bytes.constData());
    if (const FieldDef* flag = collection.search->skip.flagField.empty() ? nullptr
                                                                         : collection.layout->find(collection.search->skip.flagField))
        card.flag = Text::trimmed(TextSlot::read(bytes.constData(), *flag, kind));
    return card;
}

QByteArray DeskCard::key(const QString& code)
{
    bool exact = true;
    const QByteArray bytes = Cp1252::encode(Text::trimmed(code), &exact);
    if (!exact)
        return {};
    return key(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QByteArray DeskCard::key(std::string_view stored)
{
    const std::string_view t = Text::trimmed(stored);
    QByteArray out(t.data(), static_cast<qsizetype>(t.size()));
    for (char& c : out)
        c = Text::foldAZ(c);
    return out;
}

QByteArray DeskCard::asSaved(const Collection& collection, const QByteArray& stored)
{
    const Record before = [&] {
        Record r(*collection.layout);
        r.bytes() = stored;
        return r;
    }();
    Record after(*collection.layout);
    for (const FieldDef& f : collection.layout->fields)
        after.setText(f.name, before.text(f.name));
    return after.bytes();
}

QByteArray DeskCard::withLoan(const Collection& collection, const QByteArray& stored, const QString& borrower, const QString& date)
{
    Record record(*collection.layout);
    record.bytes() = asSaved(collection, stored);
    if (const FieldDef* f = field(collection, Role::Borrower))
        record.setText(f->name, borrower);
    if (const FieldDef* f = field(collection, Role::Date))
        record.setText(f->name, date);
    return record.bytes();
}
