#include "kest/lookup_report.h"

#include <iostream>

#include "kest/command.h"
#include "kest/console_ui.h"

namespace kest::cli {

std::optional<int> lookup_number(const char* command, const ParsedArgs& args) {
    const auto value = args.value("lookup");
    const auto number = value ? parse_number(*value) : std::nullopt;
    if (number && *number >= 1 && *number <= 3) return static_cast<int>(*number);
    usage_error(command, value ? "--lookup takes 1, 2 or 3, not '" + *value + "'" : "--lookup N (1-3) is required");
    return std::nullopt;
}

void print_problems(const char* command, const std::string& file, const std::vector<LookupProblem>& problems,
                    int count) {
    for (const LookupProblem& p : problems)
        std::cerr << "kest " << command << ": " << file << ": " << console_utf8(problem_text(p)) << "\n";
    const int more = count - static_cast<int>(problems.size());
    if (more > 0) std::cerr << "kest " << command << ": " << file << ": ... and " << more << " more\n";
}

void print_note(const char* command, const std::string& file, LookupNote note) {
    std::cerr << "kest " << command << ": " << file << ": note: " << note_text(note) << "\n";
}

}  // namespace kest::cli
