#include "kest/project_io.h"

#include <cstring>
#include <iostream>
#include <optional>

#include "kest/output_path.h"
#include "project/defaults.h"

namespace kest::cli {

std::unique_ptr<Project> default_project() {
    auto p = std::make_unique<Project>();
    std::memset(p.get(), 0, sizeof(Project));
    reset_to_defaults(*p);
    return p;
}

std::optional<LoadedProject> load_project(const char* command, const std::string& path) {
    LoadedProject loaded{default_project(), false};
    const ProjectReadResult r = read_project_file(path, *loaded.project);
    if (!r.ok()) {
        std::cerr << "kest " << command << ": " << path << ": " << r.error << "\n";
        return std::nullopt;
    }
    loaded.olderLayout = r.olderLayout;
    return loaded;
}

bool store_project(const char* command, const std::string& path, const Project& project, bool overwrite) {
    const OutputProblem problem =
        write_output_file(path, project_file_bytes(project), output_rules(overwrite, false));
    if (problem == OutputProblem::None) return true;
    report_output_problem(command, path, problem);
    return false;
}

}  // namespace kest::cli
