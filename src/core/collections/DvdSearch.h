#pragma once

struct SearchTable;

// The DVD collection described as tables for the engines that serve every
// collection.
namespace DvdSearch {

// Every DVD card that is not cancelled ("Trova DVD in archivio").
const SearchTable& search();
// Not cancelled and without a due date: the borrower plays no part here.
const SearchTable& available();

} // namespace DvdSearch
