// Projects for tests: all bytes zero, or what New gives (every default set).
#pragma once

#include <cstring>
#include <memory>

#include "project/defaults.h"
#include "project/project.h"

namespace kest::testing {

inline std::unique_ptr<Project> zero_project() {
    auto p = std::make_unique<Project>();
    std::memset(p.get(), 0, sizeof(Project));
    return p;
}

inline std::unique_ptr<Project> new_project() {
    auto p = zero_project();
    reset_to_defaults(*p);
    return p;
}

}  // namespace kest::testing
