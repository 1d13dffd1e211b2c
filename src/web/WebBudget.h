#pragma once

#include <QtGlobal>

// What one request to the web catalogue may cost, in one place: a request
// past a budget is answered with a plain page, or its connection is dropped,
// before it costs more.
namespace WebBudget {

// Bytes of a request line and its headers together; the catalogue takes no
// body. Longer: "414", connection closed.
inline constexpr qint64 kRequestBytes = 8 * 1024;
// Characters of all search texts of one request, and words in them.
inline constexpr int kSearchChars = 300;
inline constexpr int kSearchWords = 12;
// Lines on one page of results, and the SRU records of one answer.
inline constexpr int kPageLines = 20;
inline constexpr int kMostRecords = 50;
// The deepest page a search goes to (a reader leafs through; a robot
// walking every page of every search is refused).
inline constexpr int kMostPages = 500;
// Milliseconds a connection may take to send one whole request, and to
// stay open idle between two; a slower client is dropped.
inline constexpr int kRequestMs = 10'000;
inline constexpr int kIdleMs = 15'000;
// Connections open at once; more are closed as they come.
inline constexpr int kConnections = 256;
// Searches whose results are kept while their archive is unchanged.
inline constexpr int kCachedSearches = 64;
// Nodes of one CQL query (terms and operators).
inline constexpr int kCqlNodes = 32;

} // namespace WebBudget
