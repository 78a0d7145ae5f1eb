// The map of an application: the start screen and every form and menu in use as boxes in
// layers from left to right (the start screen first, then by the fewest routes from it),
// ordered within a layer so that routes cross little. A route between neighbouring layers is
// an arrow; any other route (back to the start screen, further back or on, within a layer)
// is a jump mark below its box that names the target, so that the map stays readable with
// ten menus and ten forms.
#pragma once

#include <string>
#include <vector>

#include "report/routes.h"

namespace kest::report {

struct MapNode {
    int object = 0;  // jump target, 0 for the start screen
    int layer = 0;
    int order = 0;  // position within the layer, from the top
    int x = 0;
    int y = 0;
    bool orphan = false;  // no route of another object and not the start leads to it
    int marks = 0;        // jump marks below the box: one per target
};

struct MapLayout {
    std::vector<MapNode> nodes;  // the start screen first, then the objects in their order
    int width = 0;
    int height = 0;
    const MapNode* node(int object) const;
};

inline constexpr int kMapBoxWidth = 150;
inline constexpr int kMapBoxHeight = 44;

MapLayout layout_map(const std::vector<int>& objects, const std::vector<Route>& routes);
// Whether the route is drawn as a jump mark rather than an arrow.
bool is_jump_mark(const MapLayout& layout, const Route& route);

struct MapTexts {
    std::string startScreen;  // UTF-8: "Startmaske"
    std::string next;         // "weiter"
    std::string orphan;       // "nichts führt hierher"
    std::string caption;
};

// `subtitles` holds per object a short text shown under its name (UTF-8, may be empty), in
// the order of the layout's nodes after the start screen.
std::string map_svg(const MapLayout& layout, const std::vector<Route>& routes,
                    const std::vector<std::string>& subtitles, const MapTexts& texts);

}  // namespace kest::report
