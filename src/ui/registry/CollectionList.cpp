#include "CollectionList.h"

#include "core/collections/Collection.h"
#include "ui/articles/TfrmBibliografie.h"
#include "ui/books/TfrmLibri.h"
#include "ui/dvd/TfrmDVD.h"

#include <algorithm>
#include <vector>

namespace CollectionList {

namespace {

std::vector<const CollectionScreens*>& entries()
{
    static std::vector<const CollectionScreens*> list{&TfrmLibri::screens(), &TfrmDVD::screens(), &TfrmBibliografie::screens()};
    return list;
}

} // namespace

std::span<const CollectionScreens* const> all()
{
    return entries();
}

bool add(const CollectionScreens& entry)
{
    const auto& known = Collection::all();
    const bool inCore = std::find(known.begin(), known.end(), entry.collection) != known.end();
    if (!inCore && !Collection::add(*entry.collection))
        return false;
    for (const CollectionScreens* e : entries()) {
        if (e->collection == entry.collection)
            return false;
    }
    entries().push_back(&entry);
    return true;
}

} // namespace CollectionList
