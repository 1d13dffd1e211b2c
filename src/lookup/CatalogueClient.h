#pragma once

#include "core/text/InputBudget.h"
#include "lookup/Catalogue.h"
#include "lookup/CatalogueRecord.h"

#include <QStringList>

#include <atomic>

// What one catalogue said when asked for an ISBN.
struct CatalogueAnswer {
    enum class Status {
        Records,   // one record or more
        NoRecord,  // answered: nothing with that ISBN
        Timeout,   // no answer within the time allowed
        Refused,   // the connection could not be made
        Garbage,   // the answer was not the protocol, or its records unreadable
        Failed,    // the catalogue reported an error
        Cancelled, // stopped by the user
    };
    Status status = Status::Failed;
    QString detail; // YAZ's words for a failure, for the command line
    QList<CatalogueRecord> records;
    qint64 total = 0; // Records: how many the catalogue has, fetched or not

    bool answered() const { return status == Status::Records || status == Status::NoRecord; }
};

// Asks one catalogue for an ISBN through YAZ's ZOOM client, over Z39.50 or
// SRU. The connection runs in the calling thread (never the screen's): it
// waits on the socket in short steps, so that `cancel` stops it within a
// fraction of a second and the time allowed is kept to whatever the server
// does; the host's name is resolved within that time too. An answer over
// InputBudget::kAnswerBytes is refused as it comes (Garbage).
namespace CatalogueClient {

// At most this many records are fetched for one ISBN.
constexpr int kMaxRecords = InputBudget::kAnswerRecords;

// `isbns` are the forms to ask for (any of them may match).
CatalogueAnswer ask(const Catalogue& catalogue, const QStringList& isbns, int timeoutMs, const std::atomic_bool* cancel = nullptr);

} // namespace CatalogueClient
