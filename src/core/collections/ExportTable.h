#pragma once

#include "core/storage/RecordLayout.h"

#include <span>
#include <string_view>

// One listed field of an export: its grid column and its spreadsheet column.
// Texts are UTF-8.
struct ExportColumn {
    std::string_view gridCaption;
    int gridWidth;
    bool editable; // the user may type into the grid cell; the archive never changes
    std::string_view field;
    std::string_view fileCaption;
    int fileWidth; // the header cell's width attribute
};

// A collection's export described as data: the grid lists the card's
// position and then these columns; the spreadsheet file holds the columns.
struct ExportTable {
    const RecordLayout* layout;
    std::span<const ExportColumn> columns;
    std::string_view sheetName; // worksheet name inside the file
    std::string_view fileName;  // written in the program folder
    std::string_view caption;   // the export screen's window caption
};
