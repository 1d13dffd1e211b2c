#pragma once

#include "core/storage/RecordLayout.h"

#include <QString>

#include <span>
#include <string_view>

// The three collections as data: their record layout, where their archive
// lives and which fields a stored card never leaves empty.
struct Collection {
    std::string_view key; // "books", "dvd", "articles"
    const RecordLayout* layout;
    std::span<const std::string_view> required;
    bool yearly; // one archive per year ("YYYY.art")
    bool hasCancelledFlag;

    // The archive's file name in the program folder; `year` only for yearly ones.
    QString archiveName(const QString& year = {}) const;

    static const Collection* find(std::string_view key);
    static const Collection& books();
    static const Collection& dvd();
    static const Collection& articles();
};
