#include "report/routes.h"

#include <algorithm>

#include "project/rules.h"

namespace kest::report {
namespace {

bool is_form(int target) { return target >= jump::kFirstForm && target < jump::kFirstForm + kFormCount; }
bool is_menu(int target) { return target >= jump::kFirstMenu && target < jump::kFirstMenu + kMenuCount; }
int valid(int code) { return is_form(code) || is_menu(code) ? code : jump::kStartScreen; }

bool has_text(const char* cell, int width) {
    for (int i = 0; i < width && cell[i] != '\0'; ++i)
        if (static_cast<unsigned char>(cell[i]) > ' ') return true;
    return false;
}

bool defined(const Project& p, int target) {
    if (is_form(target)) {
        const FormRecord& f = p.forms[target - jump::kFirstForm];
        for (int line = 0; line < line_count(f.font); ++line)
            if (f.lineType[line] != kFieldEmpty) return true;
        return false;
    }
    const MenuRecord& m = p.menus[target - jump::kFirstMenu];
    if (m.titleEnabled && has_text(m.title, kSmallFontWidth)) return true;
    for (int i = 0; i < kMenuItems; ++i)
        if (item_in_use(m, i)) return true;
    return false;
}

void add_routes_of(const Project& p, int from, std::vector<Route>& out) {
    if (is_menu(from)) {
        const MenuRecord& m = p.menus[from - jump::kFirstMenu];
        for (int i = 0; i < kMenuItems; ++i)
            if (item_in_use(m, i))
                out.push_back({from, RouteKind::Item, i + 1, valid(m.itemTarget[i]), m.itemTarget[i]});
        out.push_back({from, RouteKind::Esc, 0, valid(m.escTarget), m.escTarget});
    } else {
        const FormRecord& f = p.forms[from - jump::kFirstForm];
        out.push_back({from, RouteKind::Next, 0, valid(f.nextTarget), f.nextTarget});
        out.push_back({from, RouteKind::Esc, 0, valid(f.escTarget), f.escTarget});
    }
}

}  // namespace

bool item_in_use(const MenuRecord& menu, int item) { return has_text(menu.items[item], line_width(menu.font)); }

int start_object(const Project& project) { return project.options.startObject ? jump::menu(0) : jump::form(0); }

std::vector<int> objects_in_use(const Project& project) {
    bool used[jump::kFirstMenu + kMenuCount] = {};
    std::vector<int> queue{start_object(project)};
    for (int t = jump::kFirstForm; t < jump::kFirstMenu + kMenuCount; ++t)
        if (defined(project, t)) queue.push_back(t);
    while (!queue.empty()) {
        const int t = queue.back();
        queue.pop_back();
        if (t == jump::kStartScreen || used[t]) continue;
        used[t] = true;
        std::vector<Route> out;
        add_routes_of(project, t, out);
        for (const Route& r : out) queue.push_back(r.to);
    }
    std::vector<int> objects;
    for (int t = jump::kFirstForm; t < jump::kFirstMenu + kMenuCount; ++t)
        if (used[t]) objects.push_back(t);
    return objects;
}

std::vector<Route> routes(const Project& project) {
    const int start = start_object(project);
    std::vector<Route> out{{jump::kStartScreen, RouteKind::Start, 0, start, start}};
    for (int t : objects_in_use(project)) add_routes_of(project, t, out);
    return out;
}

}  // namespace kest::report
