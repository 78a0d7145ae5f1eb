// Output files named on the command line: the same rules for every command
// (common/output_file.h), and one way of saying why a file was not written.
#pragma once

#include <string>

#include "common/output_file.h"

namespace kest::cli {

// --force replaces an existing file, a read-only one too. A stream output (an image, the
// received records) also goes straight into a terminal, a pipe or /dev/stdout.
OutputRules output_rules(bool force, bool stream, bool append = false);

// The file an -o option names: "-" is standard output, switched to binary mode so that
// every byte passes unchanged (a Windows console would turn LF into CR LF).
std::string output_target(const std::string& option);

// True, after saying so on stderr, when `output` is the file `input` itself (the same name,
// a link to it or another name of it): no command writes over what it reads, --force
// or not. "-" is neither.
bool output_is_input(const char* command, const std::string& output, const std::string& input);

// "kest COMMAND: PATH: what is wrong" on stderr, with a hint where --force (or, where the
// command can add to a file, --append) would help, and the system's reason (an errno value)
// where a file could not be created or written.
void report_output_problem(const char* command, const std::string& path, OutputProblem problem, int systemError = 0,
                           bool appendable = false);
// The same without "kest COMMAND: " and the line end.
std::string output_problem_text(const std::string& path, OutputProblem problem, int systemError = 0,
                                bool appendable = false);

}  // namespace kest::cli
