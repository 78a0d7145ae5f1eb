// Scratch files of the harnesses whose reader takes a path: one folder per process in the
// temporary folder, removed when the process ends.
#pragma once

#include <string>

#include "fuzz/harness.h"

namespace kest::fuzz {

// The path of the scratch file name, written with the bytes.
std::string scratch_file(const char* name, Input bytes);
// A path in the scratch folder, not created.
std::string scratch_path(const char* name);

}  // namespace kest::fuzz
