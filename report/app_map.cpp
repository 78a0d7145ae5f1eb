#include "report/app_map.h"

#include <algorithm>
#include <map>

#include "common/cp1252.h"
#include "project/names.h"
#include "report/html.h"

namespace kest::report {
namespace {

constexpr int kGapX = 80;
constexpr int kGapY = 40;
constexpr int kMargin = 20;
constexpr int kSweeps = 4;
constexpr int kMarkRow = 16;

const char* kind_name(RouteKind k) {
    switch (k) {
    case RouteKind::Start: return "start";
    case RouteKind::Item: return "item";
    case RouteKind::Next: return "next";
    case RouteKind::Esc: return "esc";
    }
    return "";
}

struct Point {
    double x;
    double y;
};

Point bezier(Point a, Point b, Point c, Point d, double t) {
    const double u = 1 - t;
    return {u * u * u * a.x + 3 * u * u * t * b.x + 3 * u * t * t * c.x + t * t * t * d.x,
            u * u * u * a.y + 3 * u * u * t * b.y + 3 * u * t * t * c.y + t * t * t * d.y};
}

std::string pt(Point p) { return num(static_cast<int>(p.x)) + " " + num(static_cast<int>(p.y)); }

}  // namespace

const MapNode* MapLayout::node(int object) const {
    for (const MapNode& n : nodes)
        if (n.object == object) return &n;
    return nullptr;
}

bool is_jump_mark(const MapLayout& layout, const Route& r) {
    const MapNode* from = layout.node(r.from);
    const MapNode* to = layout.node(r.to);
    if (!from || !to || r.from == r.to || r.from == 0) return false;
    return r.to == 0 || (to->layer != from->layer + 1 && to->layer != from->layer - 1);
}

MapLayout layout_map(const std::vector<int>& objects, const std::vector<Route>& routes) {
    MapLayout out;
    out.nodes.push_back({});
    for (int o : objects) out.nodes.push_back({o, -1, 0, 0, 0, true});
    std::map<int, std::size_t> index;
    for (std::size_t i = 0; i < out.nodes.size(); ++i) index[out.nodes[i].object] = i;
    for (const Route& r : routes)
        if (r.to != r.from && r.to != 0 && index.count(r.to)) out.nodes[index[r.to]].orphan = false;

    // Layers by the fewest routes from the start screen; what no route reaches comes last.
    out.nodes[0].layer = 0;
    for (bool changed = true; changed;) {
        changed = false;
        for (const Route& r : routes) {
            if (!index.count(r.from) || !index.count(r.to) || r.to == 0) continue;
            const MapNode& from = out.nodes[index[r.from]];
            MapNode& to = out.nodes[index[r.to]];
            if (from.layer >= 0 && (to.layer < 0 || to.layer > from.layer + 1)) {
                to.layer = from.layer + 1;
                changed = true;
            }
        }
    }
    int layers = 0;
    for (const MapNode& n : out.nodes) layers = std::max(layers, n.layer + 1);
    for (MapNode& n : out.nodes)
        if (n.layer < 0) n.layer = layers;
    for (const MapNode& n : out.nodes) layers = std::max(layers, n.layer + 1);

    // Order within the layers: each node goes to the mean position of its neighbours in the
    // layer before (then after), a few sweeps down and up.
    std::vector<std::vector<std::size_t>> layer(static_cast<std::size_t>(layers));
    for (std::size_t i = 0; i < out.nodes.size(); ++i) layer[static_cast<std::size_t>(out.nodes[i].layer)].push_back(i);
    auto renumber = [&] {
        for (auto& l : layer)
            for (std::size_t k = 0; k < l.size(); ++k) out.nodes[l[k]].order = static_cast<int>(k);
    };
    renumber();
    auto sweep = [&](std::size_t l, std::size_t other) {
        std::vector<std::pair<double, std::size_t>> keyed;
        for (std::size_t i : layer[l]) {
            double sum = 0;
            int count = 0;
            for (const Route& r : routes) {
                if (!index.count(r.from) || !index.count(r.to)) continue;
                const std::size_t a = index[r.from], b = index[r.to];
                const std::size_t peer = a == i ? b : b == i ? a : out.nodes.size();
                if (peer == out.nodes.size() || peer == i || static_cast<std::size_t>(out.nodes[peer].layer) != other)
                    continue;
                sum += out.nodes[peer].order;
                ++count;
            }
            keyed.push_back({count ? sum / count : out.nodes[i].order, i});
        }
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
        for (std::size_t k = 0; k < keyed.size(); ++k) layer[l][k] = keyed[k].second;
        renumber();
    };
    for (int s = 0; s < kSweeps; ++s) {
        for (std::size_t l = 1; l < layer.size(); ++l) sweep(l, l - 1);
        for (std::size_t l = layer.size() - 1; l-- > 0;) sweep(l, l + 1);
    }

    // Every target a box has jump marks to takes a row below it.
    for (MapNode& n : out.nodes) {
        std::vector<int> targets;
        for (const Route& r : routes)
            if (r.from == n.object && is_jump_mark(out, r) &&
                std::find(targets.begin(), targets.end(), r.to) == targets.end())
                targets.push_back(r.to);
        n.marks = static_cast<int>(targets.size());
    }
    auto space = [](const MapNode& n) { return kMapBoxHeight + kGapY + n.marks * kMarkRow; };
    int columnHeight = 0;
    for (const auto& l : layer) {
        int h = 0;
        for (std::size_t i : l) h += space(out.nodes[i]);
        columnHeight = std::max(columnHeight, h);
    }
    for (auto& l : layer) {
        int h = 0;
        for (std::size_t i : l) h += space(out.nodes[i]);
        int y = kMargin + (columnHeight - h) / 2;
        for (std::size_t i : l) {
            MapNode& n = out.nodes[i];
            n.x = kMargin + n.layer * (kMapBoxWidth + kGapX);
            n.y = y;
            y += space(n);
        }
    }
    out.width = 2 * kMargin + layers * (kMapBoxWidth + kGapX);
    out.height = 2 * kMargin + columnHeight;
    return out;
}

std::string map_svg(const MapLayout& layout, const std::vector<Route>& routes,
                    const std::vector<std::string>& subtitles, const MapTexts& texts) {
    std::string out = "<svg class=\"map\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + num(layout.width) +
                      " " + num(layout.height) + "\" role=\"img\" aria-label=\"" + escape(texts.caption) + "\">";
    // Jump marks of a box: its targets in the order of their first route, each with the
    // labels of the routes to it.
    std::map<int, std::vector<std::pair<int, std::string>>> marks;
    // Arrows between neighbouring layers leave and enter the boxes' sides at points spread
    // over the side, ordered by where the other end lies, so that they neither meet nor cross
    // at the box: forward from the right side to the left side, back from the left side to
    // the right side.
    std::map<std::size_t, std::pair<double, double>> ends;  // route index: y at the source, y at the target
    {
        struct Attachment {
            double other;
            std::size_t route;
            bool atSource;
        };
        std::map<std::pair<int, bool>, std::vector<Attachment>> sides;  // (object, right side)
        for (std::size_t i = 0; i < routes.size(); ++i) {
            const Route& r = routes[i];
            const MapNode* from = layout.node(r.from);
            const MapNode* to = layout.node(r.to);
            if (!from || !to || r.from == r.to || is_jump_mark(layout, r)) continue;
            const bool forward = to->layer > from->layer;
            sides[{r.from, forward}].push_back({double(to->y), i, true});
            sides[{r.to, !forward}].push_back({double(from->y), i, false});
        }
        for (auto& [side, list] : sides) {
            std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) { return a.other < b.other; });
            const MapNode* n = layout.node(side.first);
            for (std::size_t k = 0; k < list.size(); ++k) {
                const double y = n->y + kMapBoxHeight * (k + 1.0) / (list.size() + 1.0);
                (list[k].atSource ? ends[list[k].route].first : ends[list[k].route].second) = y;
            }
        }
    }
    for (std::size_t i = 0; i < routes.size(); ++i) {
        const Route& r = routes[i];
        const MapNode* from = layout.node(r.from);
        const MapNode* to = layout.node(r.to);
        if (!from || !to) continue;
        std::string label = r.kind == RouteKind::Item   ? num(r.item)
                            : r.kind == RouteKind::Esc  ? std::string("Esc")
                            : r.kind == RouteKind::Next ? texts.next
                                                        : std::string("1");
        if (r.code != r.to) label += " (" + num(r.code) + ")";
        std::string path;
        Point labelAt{};
        if (is_jump_mark(layout, r)) {
            auto& list = marks[r.from];
            auto it = std::find_if(list.begin(), list.end(), [&](const auto& m) { return m.first == r.to; });
            if (it == list.end()) it = list.insert(list.end(), {r.to, ""});
            it->second += (it->second.empty() ? "" : ", ") + label;
            const int row = static_cast<int>(it - list.begin());
            const int x = from->x + 14;
            path = "M" + num(x) + " " + num(from->y + kMapBoxHeight) + "V" +
                   num(from->y + kMapBoxHeight + 12 + row * kMarkRow);
            label.clear();
        } else if (r.from == r.to) {
            const Point a{double(from->x + kMapBoxWidth), from->y + 12.0}, d{a.x, from->y + kMapBoxHeight - 12.0};
            const Point b{a.x + 36, a.y - 18}, c{d.x + 36, d.y + 18};
            path = "M" + pt(a) + "C" + pt(b) + " " + pt(c) + " " + pt(d);
            labelAt = bezier(a, b, c, d, 0.5);
            labelAt.x += 4;
        } else {
            const bool forward = to->layer > from->layer;
            const Point a{double(forward ? from->x + kMapBoxWidth : from->x), ends[i].first},
                d{double(forward ? to->x : to->x + kMapBoxWidth), ends[i].second};
            const double bend = forward ? kGapX * 0.6 : -kGapX * 0.6;
            const Point b{a.x + bend, a.y}, c{d.x - bend, d.y};
            path = "M" + pt(a) + "C" + pt(b) + " " + pt(c) + " " + pt(d);
            labelAt = bezier(a, b, c, d, forward ? 0.78 : 0.22);
        }
        out += "<g class=\"route " + std::string(kind_name(r.kind)) + "\" data-from=\"" + num(r.from) +
               "\" data-kind=\"" + kind_name(r.kind) + "\" data-item=\"" + num(r.item) + "\" data-to=\"" + num(r.to) +
               "\" data-code=\"" + num(r.code) + "\"><path d=\"" + path + "\"/>";
        if (!label.empty())
            out += "<text class=\"rlabel\" x=\"" + num(int(labelAt.x)) + "\" y=\"" + num(int(labelAt.y) - 3) + "\">" +
                   escape(label) + "</text>";
        out += "</g>";
    }
    for (const auto& [object, list] : marks) {
        const MapNode* n = layout.node(object);
        for (std::size_t row = 0; row < list.size(); ++row) {
            const auto& [target, labels] = list[row];
            const int y = n->y + kMapBoxHeight + 12 + static_cast<int>(row) * kMarkRow;
            const std::string name = target == 0 ? texts.startScreen : cp1252_to_utf8(names::jump_target(target));
            out += "<g class=\"mark\">" + (target ? "<a href=\"#obj-" + num(target) + "\">" : std::string("<a>")) +
                   "<rect x=\"" + num(n->x + 4) + "\" y=\"" + num(y) +
                   "\" width=\"86\" height=\"13\" rx=\"6\"/><text x=\"" + num(n->x + 47) + "\" y=\"" + num(y + 10) +
                   "\" text-anchor=\"middle\" xml:space=\"preserve\">&#8594; " + escape(name) +
                   "</text></a><text class=\"rlabel\" x=\"" + num(n->x + 94) + "\" y=\"" + num(y + 10) + "\">" +
                   escape(labels) + "</text></g>";
        }
    }
    for (std::size_t i = 0; i < layout.nodes.size(); ++i) {
        const MapNode& n = layout.nodes[i];
        const std::string name = n.object == 0 ? texts.startScreen : cp1252_to_utf8(names::jump_target(n.object));
        const std::string cls = n.object == 0 ? "node start" : n.orphan ? "node orphan" : "node";
        out += (n.object ? "<a href=\"#obj-" + num(n.object) + "\">" : std::string("<a>")) + "<g class=\"" + cls +
               "\" data-object=\"" + num(n.object) + "\"><rect x=\"" + num(n.x) + "\" y=\"" + num(n.y) + "\" width=\"" +
               num(kMapBoxWidth) + "\" height=\"" + num(kMapBoxHeight) + "\" rx=\"4\"/><text class=\"name\" x=\"" +
               num(n.x + 8) + "\" y=\"" + num(n.y + 18) + "\" xml:space=\"preserve\">" + escape(name) + "</text>";
        const std::string sub = n.orphan ? texts.orphan : i > 0 && i - 1 < subtitles.size() ? subtitles[i - 1] : "";
        if (!sub.empty())
            out += "<text class=\"sub\" x=\"" + num(n.x + 8) + "\" y=\"" + num(n.y + 35) +
                   "\" xml:space=\"preserve\">" + escape(sub) + "</text>";
        out += "</g></a>";
    }
    return out + "</svg>";
}

}  // namespace kest::report
