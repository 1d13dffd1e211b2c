#pragma once

#include "ui/cards/CollectionScreens.h"

#include <span>

// The collections with their screens, in menu order: the program's own,
// and any added before the registry creates the screens.
namespace CollectionList {

std::span<const CollectionScreens* const> all();

// Adds a collection with its screens; its core description joins
// Collection::all() too. False, adding nothing, when its key or caller tag
// is taken or its tables are not sound.
bool add(const CollectionScreens& entry);

} // namespace CollectionList
