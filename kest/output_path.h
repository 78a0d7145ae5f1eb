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

// "kest COMMAND: PATH: what is wrong" on stderr, with a hint where --force would help.
void report_output_problem(const char* command, const std::string& path, OutputProblem problem);

}  // namespace kest::cli
