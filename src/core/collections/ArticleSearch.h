#pragma once

struct SearchTable;

// The article collection described as tables for the engines that serve
// every collection.
namespace ArticleSearch {

// Every article of a year: articles have no cancelled flag and no loan.
const SearchTable& search();

} // namespace ArticleSearch
