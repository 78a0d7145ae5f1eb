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

std::string map_svg(const MapLayout& layout, const std::vector<Route>& routes, const std::vector<std::string>& subtitles,
                    const MapTexts& texts) {
    std::string out = "<svg class=\"map\" xmlns=\"http://www.w3.org/2000/svg\" viewBox=\"0 0 " + num(layout.width) +
                      " " + num(layout.height) + "\" role=\"img\" aria-label=\"" + escape(texts.caption) + "\">";
    // Routes back to the start screen gather in one start mark below their box.
    std::map<int, std::string> startMarks;
    int back = 0;
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
        if (r.to == 0 && r.from != 0) {
            const int x = from->x + kMapBoxWidth / 2;
            const int y = from->y + kMapBoxHeight;
            path = "M" + num(x) + " " + num(y) + "V" + num(y + 18);
            labelAt = {x + 4.0, y + 12.0};
            std::string& mark = startMarks[r.from];
            mark += (mark.empty() ? "" : ", ") + label;
            label.clear();
        } else if (r.from == r.to) {
            const Point a{double(from->x + kMapBoxWidth), from->y + 12.0}, d{a.x, from->y + kMapBoxHeight - 12.0};
            const Point b{a.x + 36, a.y - 18}, c{d.x + 36, d.y + 18};
            path = "M" + pt(a) + "C" + pt(b) + " " + pt(c) + " " + pt(d);
            labelAt = bezier(a, b, c, d, 0.5);
            labelAt.x += 4;
        } else if (to->layer > from->layer) {
            const Point a{double(from->x + kMapBoxWidth), from->y + kMapBoxHeight / 2.0},
                d{double(to->x), to->y + kMapBoxHeight / 2.0};
            const Point b{a.x + kGapX * 0.6, a.y}, c{d.x - kGapX * 0.6, d.y};
            path = "M" + pt(a) + "C" + pt(b) + " " + pt(c) + " " + pt(d);
            labelAt = bezier(a, b, c, d, 0.18);
        } else {
            // Back to an earlier layer or within one: below the boxes.
            const Point a{from->x + kMapBoxWidth * 0.3, double(from->y + kMapBoxHeight)},
                d{to->x + kMapBoxWidth * 0.7, double(to->y + kMapBoxHeight)};
            const double low = std::max(a.y, d.y) + 24 + 6 * (back++ % 4);
            const Point b{a.x, low}, c{d.x, low};
            path = "M" + pt(a) + "C" + pt(b) + " " + pt(c) + " " + pt(d);
            labelAt = bezier(a, b, c, d, 0.2);
        }
        out += "<g class=\"route " + std::string(kind_name(r.kind)) + "\" data-from=\"" + num(r.from) + "\" data-kind=\"" +
               kind_name(r.kind) + "\" data-item=\"" + num(r.item) + "\" data-to=\"" + num(r.to) + "\" data-code=\"" +
               num(r.code) + "\"><path d=\"" + path + "\"/>";
        if (!label.empty())
            out += "<text class=\"rlabel\" x=\"" + num(int(labelAt.x)) + "\" y=\"" + num(int(labelAt.y) - 3) + "\">" +
                   escape(label) + "</text>";
        out += "</g>";
    }
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
        out += "<a href=\"#obj-" + num(n.object) + "\"><g class=\"" + cls + "\" data-object=\"" + num(n.object) +
               "\"><rect x=\"" + num(n.x) + "\" y=\"" + num(n.y) + "\" width=\"" + num(kMapBoxWidth) + "\" height=\"" +
               num(kMapBoxHeight) + "\" rx=\"4\"/><text class=\"name\" x=\"" + num(n.x + 8) + "\" y=\"" + num(n.y + 18) +
               "\" xml:space=\"preserve\">" + escape(name) + "</text>";
        const std::string sub = n.orphan ? texts.orphan : i > 0 && i - 1 < subtitles.size() ? subtitles[i - 1] : "";
        if (!sub.empty())
            out += "<text class=\"sub\" x=\"" + num(n.x + 8) + "\" y=\"" + num(n.y + 35) + "\" xml:space=\"preserve\">" +
                   escape(sub) + "</text>";
        out += "</g></a>";
    }
    return out + "</svg>";
}

}  // namespace kest::report
