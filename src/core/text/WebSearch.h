#pragma once

#include <QString>

// The web look-ups of the card screens go to one search engine whose search
// page takes the query in the key "q" under "/search".
namespace WebSearch {

inline const QString kHost = QStringLiteral("www.google.com");

// The address that asks the engine for `query`. The value is percent-encoded
// so that "&", "#", "+" and "%" reach the engine as typed.
QString address(const QString& query);

} // namespace WebSearch
