#include "fuzz/harness.h"

#include <array>

namespace kest::fuzz {

namespace {
constexpr std::array kTargets = {
    Target{"project_file", project_file}, Target{"older_project_file", older_project_file},
    Target{"srec_reader", srec_reader},   Target{"send_records", send_records},
    Target{"lookup_file", lookup_file},   Target{"upload_records", upload_records},
    Target{"simulator", simulator},       Target{"project_json", project_json},
    Target{"lookup_csv", lookup_csv},     Target{"records", records},
};
}  // namespace

std::span<const Target> targets() { return kTargets; }

const Target* find_target(std::string_view name) {
    for (const auto& t : kTargets)
        if (name == t.name) return &t;
    return nullptr;
}

}  // namespace kest::fuzz
