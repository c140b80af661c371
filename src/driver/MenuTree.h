#pragma once

#include "platform/WindowElements.h"

#include <string>
#include <vector>

namespace tessarin {

// The main window's menu bar: the four menus and everything below them, in
// display order, with captions, access letters and shortcuts. Every item
// starts enabled and unchecked; Form_Load sets the start-up states.
class MenuTree {
public:
    MenuTree();

    std::vector<MenuItem> Bar; // mnuGame, mnuSkills, mnuOption, mnuHelp

    // The item of that name (and index, for the mnuLevel, mnuSpeed and
    // mnuSeat arrays); nullptr when there is none.
    MenuItem* find(const std::string& name, int index = -1);
    const MenuItem* find(const std::string& name, int index = -1) const;
    // True when the item and every menu above it are enabled.
    bool reachable(const std::string& name, int index = -1) const;
};

} // namespace tessarin
