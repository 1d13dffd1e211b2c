#pragma once

#include "lookup/CatalogueClient.h"

#include <functional>

// Asks the catalogues in order for an ISBN as typed, until one has records:
// each for at most `timeoutMs`, all of them together for at most
// InputBudget::kLookupMs (or `timeoutMs` when that is longer); a catalogue
// left when the time is up is listed as timed out, not asked.
struct CatalogueLookup {
    enum class Result {
        Found,    // `records` from the catalogue that had them
        NoRecord, // at least one catalogue answered, none had the ISBN
        NoAnswer, // no catalogue answered (time-out, refused, garbage)
        NotIsbn,  // the text typed is not an ISBN
        Cancelled,
    };
    struct Asked {
        QString catalogue;
        CatalogueAnswer::Status status;
        QString detail;
    };

    Result result = Result::NoAnswer;
    QList<CatalogueRecord> records;
    qint64 total = 0;   // Found: how many records the catalogue has (more than `records` when it had too many to fetch)
    QList<Asked> asked; // in the order asked

    // `asking` is called (in the calling thread) before each catalogue.
    static CatalogueLookup run(const QList<Catalogue>& catalogues, const QString& typedIsbn, int timeoutMs,
        const std::atomic_bool* cancel = nullptr, const std::function<void(const Catalogue&)>& asking = {});

    // The card's message for a lookup that found nothing: which catalogues
    // were asked and what each said.
    QString failureMessage(const QString& typedIsbn) const;
    // One catalogue's outcome in a few words ("tempo scaduto").
    static QString statusWords(CatalogueAnswer::Status status);
    // "e altri N" when the catalogue had more records than were fetched;
    // empty otherwise.
    QString moreWords() const;
};
