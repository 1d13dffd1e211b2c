#include "Readers.h"

#include "core/text/Text.h"

#include <QMap>

namespace Readers {

std::vector<Reader> of(const LoanList& loans)
{
    QMap<QString, Reader> byKey;
    for (const Loan& loan : loans.loans()) {
        const QString name = Text::trimmed(loan.borrower);
        if (name.isEmpty())
            continue;
        Reader& r = byKey[Text::foldAZ(name)];
        if (r.name.isEmpty())
            r.name = name;
        r.items.push_back(loan);
        if (loan.marked)
            ++r.overdue;
    }
    return {byKey.begin(), byKey.end()};
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
