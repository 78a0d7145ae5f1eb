// What the lookup commands share: the lookup chosen in a project (--lookup N), and the
// problems and notes of a lookup file or table on stderr.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/options.h"
#include "project/lookup_problem.h"
#include "project/project.h"

namespace kest::cli {

// --lookup N (1 to 3), or nothing with the usage error printed.
std::optional<int> lookup_number(const char* command, const ParsedArgs& args);

// "kest COMMAND: FILE: problem" for each, then how many more there are.
void print_problems(const char* command, const std::string& file, const std::vector<LookupProblem>& problems,
                    int count);
// "kest COMMAND: FILE: note: ..."
void print_note(const char* command, const std::string& file, LookupNote note);

}  // namespace kest::cli
