#include "web/CardFacts.h"

#include "core/collections/Collection.h"
#include "core/storage/TextSlot.h"
#include "core/text/Text.h"

#include <QRegularExpression>

QString CardFacts::value(const Collection& collection, const char* record, std::string_view field)
{
    const FieldDef* def = collection.layout->find(field);
    return def ? Text::trimmed(TextSlot::read(record, *def, collection.layout->kind)) : QString();
}

QString CardFacts::availability(const Collection& collection, const char* record)
{
    if (!collection.loans || collection.roles.borrower.empty())
        return {};
    const QString borrower = value(collection, record, collection.roles.borrower);
    const QString date = collection.roles.loanDate.empty() ? QString() : value(collection, record, collection.roles.loanDate);
    if (borrower.isEmpty() && date.isEmpty())
        return QStringLiteral("disponibile");
    // Only a date is ever shown from a loan field: anything else typed there
    // stays unsaid.
    static const QRegularExpression aDate(QStringLiteral("^[0-9]{1,2}/[0-9]{1,2}/[0-9]{4}$"));
    if (collection.loans->dateIsDue && aDate.match(date).hasMatch())
        return QStringLiteral("in prestito fino al ") + date;
    return QStringLiteral("in prestito");
}
