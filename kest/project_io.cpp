#include "kest/project_io.h"

#include <cstring>
#include <fstream>
#include <iostream>
#include <optional>

#include "kest/file_kind.h"
#include "kest/output_path.h"
#include "platform/file_steps.h"
#include "project/defaults.h"

namespace kest::cli {

std::optional<std::string> read_input(const std::string& path, std::size_t limit) {
    std::ifstream file;
    std::istream* in = &std::cin;
    if (path != "-") {
        file.open(path, std::ios::binary);
        if (!file) return std::nullopt;
        in = &file;
    }
    std::string text;
    char chunk[65536];
    while (*in && text.size() <= limit) {
        in->read(chunk, sizeof chunk);
        text.append(chunk, static_cast<std::size_t>(in->gcount()));
    }
    if (in->bad()) return std::nullopt;
    return text;
}

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
        const std::string kind =
            r.status == ProjectReadResult::Status::FormatError ? wrong_kind(path, FileKind::Project) : "";
        std::cerr << "kest " << command << ": " << path << ": " << (kind.empty() ? r.error : kind) << "\n";
        return std::nullopt;
    }
    loaded.olderLayout = r.olderLayout;
    return loaded;
}

std::vector<Finding> out_of_range(const std::string& path, const LoadedProject& loaded) {
    std::vector<Finding> findings = check_project(*loaded.project);
    if (loaded.olderLayout) return findings;
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(kProjectTablesSize));
    std::vector<u8> trailer(kTrailerSize);
    in.read(reinterpret_cast<char*>(trailer.data()), static_cast<std::streamsize>(trailer.size()));
    trailer.resize(static_cast<std::size_t>(in.gcount()));
    std::size_t extra = 0;
    char chunk[4096];
    while (in) {
        in.read(chunk, sizeof chunk);
        extra += static_cast<std::size_t>(in.gcount());
    }
    for (const Finding& f : check_file_end(trailer, extra)) findings.push_back(f);
    return findings;
}

bool store_project(const char* command, const std::string& path, const Project& project, bool overwrite) {
    int error = 0;
    const OutputRules rules = path == "-" ? output_rules(false, true) : output_rules(overwrite, false);
    const OutputProblem problem =
        write_output_file(output_target(path), project_file_bytes(project), rules, system_file_steps(), &error);
    if (problem == OutputProblem::None) return true;
    report_output_problem(command, path, problem, error);
    return false;
}

}  // namespace kest::cli
