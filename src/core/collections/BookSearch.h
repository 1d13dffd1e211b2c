#pragma once

struct SearchTable;

// The book collection described as tables for the engines that serve every
// collection.
namespace BookSearch {

// Every book card that is not cancelled ("Trova libri in archivio").
const SearchTable& search();
// Not cancelled, no borrower and no loan date ("disponibili per il prestito").
const SearchTable& available();

} // namespace BookSearch
