#pragma once

#include "lookup/Catalogue.h"
#include "lookup/MarcWriter.h"

#include <QList>
#include <QString>

#include <atomic>
#include <functional>

// The book catalogue, or some of its cards, as a MARC file for another
// library's system: one record per card, MARC 21 or UNIMARC, ISO 2709 in
// UTF-8 or MARCXML, built by MarcMapping::record() and written by YAZ. A
// cancelled card goes out as a deleted record (leader status "d"), so that
// a system that had it drops it.
namespace MarcExport {

struct Outcome {
    int cards = 0;
    bool readFailed = false; // the archive, not the file written, failed
    QString reason;
};

struct Options {
    Catalogue::Syntax syntax = Catalogue::Syntax::Marc21;
    MarcWriter::Format format = MarcWriter::Format::Iso2709;
    // The cards' positions in the archive, from 0 (a search's result);
    // empty: every card.
    QList<qint64> positions;
    // Read between cards: once raised, nothing is written.
    const std::atomic_bool* cancel = nullptr;
    // Called now and then with the cards written and their number.
    std::function<void(qint64 done, qint64 total)> progress;
};

// Creates `path` anew, beside it under a temporary name renamed over it only
// when complete: a failure leaves any previous file as it was.
bool save(const QString& archivePath, const QString& path, const Options& options, Outcome* outcome = nullptr);

} // namespace MarcExport
