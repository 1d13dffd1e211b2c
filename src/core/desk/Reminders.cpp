#include "Reminders.h"

#include "core/collections/Collection.h"
#include "core/desk/DeskSettings.h"
#include "core/desk/Readers.h"
#include "core/text/Clock.h"

#include <QStringList>

QStringList ReminderLetter::lines() const
{
    QStringList out;
    for (const QString& s : {library, place})
        if (!s.isEmpty())
            out << s;
    out << dated << greeting << body;
    for (const Item& i : items)
        out << QStringLiteral("%1  (cod. %2)  %3").arg(i.title, i.code, i.when);
    out << closing << signature;
    return out;
}

namespace Reminders {

std::vector<ReminderLetter> letters(const LoanList& loans, const QDate& today)
{
    const QString library = DeskSettings::libraryName();
    const QString place = DeskSettings::libraryPlace();
    const QString date = Clock::shortDate(today);
    std::vector<ReminderLetter> out;
    for (const Reader& r : Readers::late(loans)) {
        ReminderLetter letter;
        letter.library = library;
        letter.place = place;
        letter.dated = place.isEmpty() ? date : place + QStringLiteral(", ") + date;
        letter.reader = r.name;
        letter.greeting = QStringLiteral("Gentile %1,").arg(r.name);
        const bool one = r.items.size() == 1;
        letter.body = one ? QStringLiteral("dai nostri registri risulta ancora in prestito a Suo nome, oltre il termine "
                                           "previsto, il titolo seguente:")
                          : QStringLiteral("dai nostri registri risultano ancora in prestito a Suo nome, oltre il termine "
                                           "previsto, i titoli seguenti:");
        for (const Loan& l : r.items) {
            const bool due = l.collection->loans->dateIsDue;
            letter.items.push_back(
                {l.title, l.code, (due ? QStringLiteral("da restituire entro il ") : QStringLiteral("prestato il ")) + l.date});
        }
        letter.closing = (one ? QStringLiteral("La preghiamo cortesemente di restituirlo al più presto. ")
                              : QStringLiteral("La preghiamo cortesemente di restituirli al più presto. "))
            + QStringLiteral("Se lo ha già fatto, non tenga conto di questa lettera. Grazie per la collaborazione.");
        letter.signature = library.isEmpty() ? QStringLiteral("La biblioteca") : library;
        out.push_back(std::move(letter));
    }
    return out;
}

} // namespace Reminders
