#include "CatalogueLookup.h"

#include "core/text/InputBudget.h"
#include "core/text/Text.h"
#include "lookup/Isbn.h"

#include <QElapsedTimer>

#include <algorithm>

CatalogueLookup CatalogueLookup::run(const QList<Catalogue>& catalogues, const QString& typedIsbn, int timeoutMs,
    const std::atomic_bool* cancel, const std::function<void(const Catalogue&)>& asking)
{
    CatalogueLookup out;
    const QStringList forms = Isbn::forms(typedIsbn);
    if (forms.isEmpty()) {
        out.result = Result::NotIsbn;
        return out;
    }
    // One deadline over every catalogue: each may take its time-out, but
    // the whole look-up no more than the budget (or one time-out, if longer).
    QElapsedTimer clock;
    clock.start();
    const qint64 deadline = std::max<qint64>(timeoutMs, InputBudget::kLookupMs);
    bool anyAnswered = false;
    for (const Catalogue& c : catalogues) {
        const qint64 left = deadline - clock.elapsed();
        if (left <= 0) {
            out.asked << Asked{c.name, CatalogueAnswer::Status::Timeout, QStringLiteral("non interrogato: tempo della ricerca esaurito")};
            continue;
        }
        if (asking)
            asking(c);
        CatalogueAnswer a = CatalogueClient::ask(c, forms, int(std::min<qint64>(timeoutMs, left)), cancel);
        out.asked << Asked{c.name, a.status, a.detail};
        if (a.status == CatalogueAnswer::Status::Cancelled) {
            out.result = Result::Cancelled;
            return out;
        }
        if (a.status == CatalogueAnswer::Status::Records) {
            out.result = Result::Found;
            out.records = std::move(a.records);
            out.total = std::max<qint64>(a.total, out.records.size());
            return out;
        }
        anyAnswered = anyAnswered || a.answered();
    }
    out.result = anyAnswered ? Result::NoRecord : Result::NoAnswer;
    return out;
}

QString CatalogueLookup::statusWords(CatalogueAnswer::Status status)
{
    switch (status) {
    case CatalogueAnswer::Status::Records:
        return QStringLiteral("schede trovate");
    case CatalogueAnswer::Status::NoRecord:
        return QStringLiteral("nessuna scheda");
    case CatalogueAnswer::Status::Timeout:
        return QStringLiteral("nessuna risposta nel tempo previsto");
    case CatalogueAnswer::Status::Refused:
        return QStringLiteral("collegamento non riuscito");
    case CatalogueAnswer::Status::Garbage:
        return QStringLiteral("risposta non leggibile");
    case CatalogueAnswer::Status::Failed:
        return QStringLiteral("errore del catalogo");
    case CatalogueAnswer::Status::Cancelled:
        return QStringLiteral("ricerca annullata");
    }
    return {};
}

QString CatalogueLookup::failureMessage(const QString& typedIsbn) const
{
    if (result == Result::NotIsbn)
        return QStringLiteral("Attenzione: \"%1\" non è un ISBN valido (10 o 13 cifre, trattini e spazi esclusi).")
            .arg(Text::trimmed(typedIsbn));
    if (asked.isEmpty())
        return QStringLiteral("Attenzione: nessun catalogo è configurato nel file Tomaria.ini.");
    QStringList each;
    for (const Asked& a : asked)
        each << QStringLiteral("%1 (%2)").arg(a.catalogue, statusWords(a.status));
    const QString head = result == Result::NoRecord
        ? QStringLiteral("Nessuna scheda con l'ISBN %1 nei cataloghi interrogati").arg(Text::trimmed(typedIsbn))
        : QStringLiteral("Nessun catalogo ha risposto alla ricerca dell'ISBN %1").arg(Text::trimmed(typedIsbn));
    return head + QStringLiteral(": ") + Text::listed(each) + QLatin1Char('.');
}

QString CatalogueLookup::moreWords() const
{
    if (result != Result::Found || total <= records.size())
        return {};
    return QStringLiteral("e altri %1").arg(total - records.size());
}
