#include "driver/MenuTree.h"

namespace tessarin {

namespace {

MenuItem item(std::string name, std::string caption, std::string shortcut = {},
              std::vector<MenuItem> items = {}) {
    MenuItem m;
    m.Name = std::move(name);
    m.Caption = std::move(caption);
    m.Shortcut = std::move(shortcut);
    m.Items = std::move(items);
    return m;
}

MenuItem separator(std::string name) {
    return item(std::move(name), "-");
}

MenuItem element(std::string name, int index, std::string caption) {
    MenuItem m = item(std::move(name), std::move(caption));
    m.Index = index;
    return m;
}

std::vector<MenuItem> arrayItems(const std::string& name, const std::string& word, int count) {
    std::vector<MenuItem> items;
    for (int i = 0; i < count; ++i) {
        // Only single digits get an access letter.
        const std::string caption =
            word + " " + (i < 10 ? "&" + std::to_string(i) : std::to_string(i));
        MenuItem m = item(name, caption);
        m.Index = i;
        items.push_back(std::move(m));
    }
    return items;
}

template <typename Item>
Item* findIn(std::vector<Item>& items, const std::string& name, int index) {
    for (auto& m : items) {
        if (m.Name == name && m.Index == index)
            return &m;
        if (auto* found = findIn(m.Items, name, index))
            return found;
    }
    return nullptr;
}

template <typename Item>
bool reachableIn(const std::vector<Item>& items, const std::string& name, int index) {
    for (const auto& m : items) {
        if (m.Name == name && m.Index == index)
            return m.Enabled;
        if (m.Enabled && reachableIn(m.Items, name, index))
            return true;
    }
    return false;
}

} // namespace

MenuTree::MenuTree() {
    Bar.push_back(item(
        "mnuGame", "&Game", {},
        {item("mnuOnePlayer", "&One Player", "Ctrl+O"),
         item("mnuTwoPlayers", "&Two Players", {},
              {item("mnuDuel", "&Duel", "Ctrl+D"), item("mnuCooperation", "&Cooperation", "Ctrl+C"),
               separator("mnuSep8"),
               // Who plays player 2 (Seat::Kind).
               element("mnuSeat", 0, "Player 2 at the &Keyboard"),
               element("mnuSeat", 1, "Computer, &Easy"), element("mnuSeat", 2, "Computer, &Normal"),
               element("mnuSeat", 3, "Computer, &Hard"),
               // Network play: the front end runs these itself.
               separator("mnuSepNet"), item("mnuHostNet", "H&ost a Network Game..."),
               item("mnuJoinNet", "&Join a Network Game...")}),
         separator("mnuSep1"), item("mnuNewGame", "&New Game", "F2"),
         item("mnuPause", "&Pause", "Ctrl+P"), item("mnuStop", "&Stop", "Ctrl+Q"),
         separator("mnusep7"), item("mnuChangeName", "C&hange Name"), separator("mnusep6"),
         item("mnuBestScore", "&Best Score"), item("mnuDuelResult", "&Duel Result"),
         separator("mnnuSep2"), item("mnuExit", "E&xit", "Ctrl+X")}));
    Bar.push_back(item("mnuSkills", "&Skills", {},
                       {item("mnuLevel0", "&Level", {}, arrayItems("mnuLevel", "Level", 12)),
                        item("mnuSpeed0", "&Speed", {}, arrayItems("mnuSpeed", "Speed", 10))}));
    Bar.push_back(
        item("mnuOption", "&Option", {},
             {item("mnuSound", "&Sound", "Ctrl+S"), item("mnuPreview", "&Preview"),
              separator("mnuSep3"), item("mnuGameA", "Game &A"), item("mnuGameB", "Game &B"),
              separator("mnuSep4"), item("mnuCustom", "&Custom ..."),
              // Which gamepad plays whom: the front end runs this itself.
              separator("mnuSepPads"), item("mnuGamepads", "&Gamepads...")}));
    Bar.push_back(item(
        "mnuHelp", "&Help", {},
        {item("mnuHow", "&How to Play?"), separator("mnuSep5"), item("mnuAbout", "&About...")}));
}

MenuItem* MenuTree::find(const std::string& name, int index) {
    return findIn(Bar, name, index);
}

const MenuItem* MenuTree::find(const std::string& name, int index) const {
    return const_cast<MenuTree*>(this)->find(name, index);
}

bool MenuTree::reachable(const std::string& name, int index) const {
    return reachableIn(Bar, name, index);
}

} // namespace tessarin
