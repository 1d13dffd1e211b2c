#include "Collection.h"

#include "core/storage/Layouts.h"

namespace {

constexpr std::string_view kBookRequired[] = {"Titolo", "Codice", "Autore"};
constexpr std::string_view kDvdRequired[] = {"Titolo", "Codice"};
constexpr std::string_view kArticleRequired[] = {"Titolo"};

const Collection kBooks{"books", &TSchedaLibro, kBookRequired, false, true};
const Collection kDvd{"dvd", &TSchedaDVD, kDvdRequired, false, true};
const Collection kArticles{"articles", &TSchedaArticolo, kArticleRequired, true, false};

} // namespace

QString Collection::archiveName(const QString& year) const
{
    if (this == &kBooks)
        return QStringLiteral("Libri.pro");
    if (this == &kDvd)
        return QStringLiteral("DVD.pro");
    return year.trimmed() + QStringLiteral(".art");
}

const Collection* Collection::find(std::string_view key)
{
    for (const Collection* c : {&kBooks, &kDvd, &kArticles}) {
        if (c->key == key)
            return c;
    }
    return nullptr;
}

const Collection& Collection::books() { return kBooks; }
const Collection& Collection::dvd() { return kDvd; }
const Collection& Collection::articles() { return kArticles; }
