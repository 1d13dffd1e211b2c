#pragma once

#include <span>
#include <string_view>

class TForm;
struct CardForm;
struct Collection;

// A collection as the screens see it: its description in the core, its card
// form, its tile on the main menu and the screens it brings. The registry
// keeps the list of them (ui/registry/CollectionList.h), creates their
// screens at start-up and builds the main menu's tiles from it.
struct CollectionScreens {
    // Makes one start-up screen; the registry owns it from then on.
    using Maker = TForm* (*)();

    const Collection* collection;
    const CardForm* form;
    std::string_view menuName;      // "Libri": the tile is imgLibri with btnLibri under it
    std::string_view menuScreen;    // object name of the screen the tile opens; empty: the card
    std::span<const Maker> screens; // in creation order

    // A maker for the tables: `&CollectionScreens::make<TfrmTrovaLibri>`.
    template <class T> static TForm* make() { return new T; }
};
