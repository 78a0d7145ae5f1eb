// Project files named on the command line: read on top of the defaults, written safely,
// with the errors on stderr ("kest COMMAND: FILE: what is wrong").
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "project/project.h"
#include "project/project_check.h"
#include "project/project_file.h"

namespace kest::cli {

struct LoadedProject {
    std::unique_ptr<Project> project;
    bool olderLayout = false;
};

// The bytes of a file named on the command line ("-": standard input), at most limit + 1 of
// them so that a caller can tell a file that is too large. Nothing when it cannot be read.
std::optional<std::string> read_input(const std::string& path, std::size_t limit);

// A new project with every default set.
std::unique_ptr<Project> default_project();

// Reads a current-layout or older project file. Nothing when it cannot be read; the
// error has been printed.
std::optional<LoadedProject> load_project(const char* command, const std::string& path);

// The values of a loaded project that no page produces; for a file of the current layout
// also trailer bytes that are not zero and bytes after the trailer.
std::vector<Finding> out_of_range(const std::string& path, const LoadedProject& loaded);

// Writes a project file by the rules of every output file; overwrite (--force) replaces an
// existing one. A device, pipe or folder is refused; "-" is standard output. False (with
// the error printed) when nothing was written.
bool store_project(const char* command, const std::string& path, const Project& project, bool overwrite);

}  // namespace kest::cli
