#include "Readers.h"

#include "core/text/Text.h"

#include <QDate>
#include <QHash>
#include <QMap>

namespace Readers {

std::vector<Reader> of(const LoanList& loans)
{
    struct Spelling {
        int cards = 0;
        QDate latest;
        qsizetype lastSeen = -1; // order in the list, for loans of one day
    };
    struct Entry {
        Reader reader;
        QHash<QString, Spelling> spellings;
    };
    QMap<QString, Entry> byKey;
    qsizetype seen = 0;
    for (const Loan& loan : loans.loans()) {
        const QString name = Text::trimmed(loan.borrower);
        if (name.isEmpty())
            continue;
        Entry& e = byKey[Text::foldAZ(name)];
        Spelling& sp = e.spellings[name];
        ++sp.cards;
        if (loan.when.isValid() && (!sp.latest.isValid() || loan.when >= sp.latest))
            sp.latest = loan.when;
        sp.lastSeen = seen++;
        e.reader.items.push_back(loan);
        if (loan.marked)
            ++e.reader.overdue;
    }
    std::vector<Reader> out;
    out.reserve(static_cast<std::size_t>(byKey.size()));
    for (Entry& e : byKey) {
        const Spelling* best = nullptr;
        for (auto it = e.spellings.cbegin(); it != e.spellings.cend(); ++it) {
            const Spelling& sp = it.value();
            const bool better = !best || sp.cards > best->cards
                || (sp.cards == best->cards && (sp.latest > best->latest || (sp.latest == best->latest && sp.lastSeen > best->lastSeen)));
            if (better) {
                best = &sp;
                e.reader.name = it.key();
            }
        }
        out.push_back(std::move(e.reader));
    }
    return out;
}

std::vector<Reader> late(const LoanList& loans)
{
    std::vector<Reader> out;
    for (Reader& r : of(loans)) {
        if (r.overdue == 0)
            continue;
        std::erase_if(r.items, [](const Loan& l) { return !l.marked; });
        out.push_back(std::move(r));
    }
    return out;
}

QStringList names(const LoanList& loans)
{
    QStringList out;
    for (const Reader& r : of(loans))
        out << r.name;
    return out;
}

QString line(const Reader& reader)
{
    const qsizetype n = static_cast<qsizetype>(reader.items.size());
    QString s = QStringLiteral("%1  (%2 in prestito").arg(reader.name).arg(n);
    if (reader.overdue > 0)
        s += QStringLiteral(", %1 in ritardo").arg(reader.overdue);
    return s + QLatin1Char(')');
}

} // namespace Readers
