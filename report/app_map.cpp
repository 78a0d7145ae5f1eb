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

std::string num(int v) { return std::to_string(v); }

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

    std::size_t tallest = 1;
    for (const auto& l : layer) tallest = std::max(tallest, l.size());
    const int columnHeight = static_cast<int>(tallest) * (kMapBoxHeight + kGapY);
    for (auto& l : layer) {
        const int top = kMargin + (columnHeight - static_cast<int>(l.size()) * (kMapBoxHeight + kGapY)) / 2;
        for (std::size_t i : l) {
            MapNode& n = out.nodes[i];
            n.x = kMargin + n.layer * (kMapBoxWidth + kGapX);
            n.y = top + n.order * (kMapBoxHeight + kGapY);
        }
    }
    out.width = 2 * kMargin + layers * (kMapBoxWidth + kGapX);
    out.height = 2 * kMargin + columnHeight + kGapY;
    return out;
}

std::string map_svg(const MapLayout& layout, const std::vector<Route>& routes,
                    const std::vector<std::string>& subtitles, const MapTexts& texts) {
    // Routes that do not lead to the next layer run in lanes below the boxes: out of the
    // source's side into the gap beside its column, down to their lane, across, up in the
    // gap beside the target, into its side.
    int bottom = 0;
    for (const MapNode& n : layout.nodes) bottom = std::max(bottom, n.y + kMapBoxHeight + 24);
    int lanes = 0;
    std::string paths;
    std::map<int, std::string> startMarks;     // routes back to the start screen, by their source
    std::map<int, int> gapUse;                 // lanes taken in the gap right of a layer
    std::map<std::pair<int, int>, int> pairs;  // routes drawn between two boxes
    for (const Route& r : routes) {
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
        const double fy = from->y + kMapBoxHeight / 2.0, ty = to->y + kMapBoxHeight / 2.0;
        if (r.to == 0 && r.from != 0) {
            const int x = from->x + kMapBoxWidth / 2;
            const int y = from->y + kMapBoxHeight;
            path = "M" + num(x) + " " + num(y) + "V" + num(y + 18);
            std::string& mark = startMarks[r.from];
            mark += (mark.empty() ? "" : ", ") + label;
            label.clear();
        } else if (r.from == r.to) {
            const Point a{double(from->x + kMapBoxWidth), from->y + 12.0}, d{a.x, from->y + kMapBoxHeight - 12.0};
            const Point b{a.x + 36, a.y - 18}, c{d.x + 36, d.y + 18};
            path = "M" + pt(a) + "C" + pt(b) + " " + pt(c) + " " + pt(d);
            labelAt = bezier(a, b, c, d, 0.5);
            labelAt.x += 4;
        } else if (to->layer == from->layer + 1 || to->layer == from->layer - 1) {
            // Between neighbouring layers: forward from the right side to the left side, back
            // from the left side to the right side a little lower; routes between the same two
            // boxes side by side.
            const bool forward = to->layer > from->layer;
            const double offset = 5.0 * pairs[{std::min(r.from, r.to), std::max(r.from, r.to)}]++ + (forward ? 0 : 12);
            const Point a{double(forward ? from->x + kMapBoxWidth : from->x), fy + offset},
                d{double(forward ? to->x : to->x + kMapBoxWidth), ty + offset};
            const double bend = forward ? kGapX * 0.6 : -kGapX * 0.6;
            const Point b{a.x + bend, a.y}, c{d.x - bend, d.y};
            path = "M" + pt(a) + "C" + pt(b) + " " + pt(c) + " " + pt(d);
            labelAt = bezier(a, b, c, d, forward ? 0.18 : 0.5);
            if (!forward) labelAt.y += 12;
        } else {
            const int lane = bottom + 9 * lanes++;
            const int sx = from->x + kMapBoxWidth + 8 + 5 * (gapUse[from->layer]++ % 12);
            const bool fromLeft = to->layer > from->layer;
            const int gap = fromLeft ? to->layer - 1 : to->layer;
            const int tx =
                fromLeft ? to->x - 8 - 5 * (gapUse[gap]++ % 12) : to->x + kMapBoxWidth + 8 + 5 * (gapUse[gap]++ % 12);
            const int ey = static_cast<int>(ty) + 6;
            path = "M" + num(from->x + kMapBoxWidth) + " " + num(int(fy) + 6) + "H" + num(sx) + "V" + num(lane) + "H" +
                   num(tx) + "V" + num(ey) + "H" + num(fromLeft ? to->x : to->x + kMapBoxWidth);
            labelAt = {sx + 3.0, fy + 18};
        }
        paths += "<g class=\"route " + std::string(kind_name(r.kind)) + "\" data-from=\"" + num(r.from) +
                 "\" data-kind=\"" + kind_name(r.kind) + "\" data-item=\"" + num(r.item) + "\" data-to=\"" + num(r.to) +
                 "\" data-code=\"" + num(r.code) + "\"><path d=\"" + path + "\"/>";
        if (!label.empty())
            paths += "<text class=\"rlabel\" x=\"" + num(int(labelAt.x)) + "\" y=\"" + num(int(labelAt.y) - 3) + "\">" +
                     escape(label) + "</text>";
        paths += "</g>";
    }
    const int height = std::max(layout.height, bottom + 9 * lanes + 8);
    std::string out = "<svg class=\"map\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + num(layout.width) +
                      " " + num(height) + "\" role=\"img\" aria-label=\"" + escape(texts.caption) + "\">" + paths;
    for (const auto& [object, labels] : startMarks) {
        const MapNode* n = layout.node(object);
        const int x = n->x + kMapBoxWidth / 2;
        const int y = n->y + kMapBoxHeight + 18;
        out += "<g class=\"startmark\"><rect x=\"" + num(x - 40) + "\" y=\"" + num(y) +
               "\" width=\"80\" height=\"14\" rx=\"7\"/><text x=\"" + num(x) + "\" y=\"" + num(y + 11) +
               "\" text-anchor=\"middle\">" + escape(texts.startScreen) + "</text><text class=\"rlabel\" x=\"" +
               num(x + 44) + "\" y=\"" + num(y + 11) + "\">" + escape(labels) + "</text></g>";
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
