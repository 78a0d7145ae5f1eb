#include "kest/output_path.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "common/file_problem.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace kest::cli {

OutputRules output_rules(bool force, bool stream, bool append) {
    return OutputRules{.replace = force, .replaceReadOnly = force, .stream = stream, .append = append};
}

std::string output_target(const std::string& option) {
    if (option != "-") return option;
#ifdef _WIN32
    std::fflush(stdout);
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    return "/dev/stdout";
}

bool output_is_input(const char* command, const std::string& output, const std::string& input) {
    if (output == "-" || input == "-") return false;
    std::error_code ec;
    if (!std::filesystem::equivalent(output, input, ec) || ec) return false;
    std::cerr << "kest " << command << ": " << output << ": is "
              << (output == input ? "the input file itself" : "the input file " + input + " under another name")
              << "; nothing was written: name another output file\n";
    return true;
}

std::string output_problem_text(const std::string& path, OutputProblem problem, int systemError, bool appendable) {
    std::string text = path + ": " + problem_text(problem);
    if (problem == OutputProblem::Exists || problem == OutputProblem::ReadOnly)
        text += appendable ? " (--append adds to it, --force replaces it)" : " (--force replaces it)";
    const bool systemFailure = problem == OutputProblem::CannotCreate || problem == OutputProblem::CannotWrite ||
                               problem == OutputProblem::CannotReplace;
    const std::string why = systemFailure ? create_problem(path, systemError) : "";
    if (!why.empty()) text += ": " + why;
    return text;
}

void report_output_problem(const char* command, const std::string& path, OutputProblem problem, int systemError,
                           bool appendable) {
    std::cerr << "kest " << command << ": " << output_problem_text(path, problem, systemError, appendable) << "\n";
}

}  // namespace kest::cli
