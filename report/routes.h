// The routes of an application: where the program starts, where each menu item, the Esc key
// of a menu or form and the completion of a form lead, and which forms and menus are in use.
#pragma once

#include <vector>

#include "project/project.h"

namespace kest::report {

enum class RouteKind {
    Start,  // the start screen's "1": form 1 or menu 1
    Item,   // a menu item
    Next,   // a form's "Nächste Aktion"
    Esc,    // the Esc key of a menu or form
};

struct Route {
    int from = 0;  // jump target of the menu or form, 0 for the start screen
    RouteKind kind = RouteKind::Start;
    int item = 0;  // 1-10 for an item
    int to = 0;    // jump target 0-20; a byte past the last menu leads to the start screen
    int code = 0;  // the byte as stored
    bool operator==(const Route&) const = default;
};

// Items that hold a character above blank within the menu's line width: the ones the
// terminal counts and lists.
bool item_in_use(const MenuRecord& menu, int item);

// The forms and menus in use, as jump targets in ascending order: the one the program starts
// with, every form with a line and every menu with an item or a shown title, and whatever
// these lead to.
std::vector<int> objects_in_use(const Project& project);

// Every route of the objects in use (and the start screen's), in object order: items in
// their order, then the next target, then Esc.
std::vector<Route> routes(const Project& project);

// The jump target the program starts with: form 1 or menu 1.
int start_object(const Project& project);

}  // namespace kest::report
