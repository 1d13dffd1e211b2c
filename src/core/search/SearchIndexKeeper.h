#pragma once

#include "core/storage/WriteFollower.h"

// Keeps the compact copy of the searched fields (SearchIndex) true across
// the program's own writes: a card written in place (a lend, a return, a
// card saved) has its values changed in the copy, cards appended (new
// cards, an import) are added to it, and the copy is stamped with the
// archive's state after the write, all under the archive's lock. Only a
// copy that matched the archive just before the write is kept; any other
// change to the archive still leaves the copy unused, and a copy that
// cannot be rewritten is left as it was, which the next search reads as
// out of date.
class SearchIndexKeeper : public WriteFollower {
public:
    std::unique_ptr<Write> begin(const QFile& archive, int recordSize) override;

    // Makes the program's writers keep their copies (WriteFollower::set).
    static void install();
};
