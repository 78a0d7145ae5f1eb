// Object programs as the kest commands read them: checked whole, errors on stderr with
// the file name and the line.
#pragma once

#include <optional>
#include <string>

#include "loader/srec.h"

namespace kest::cli {

// The report of a good file; nothing (after printing why) when the file cannot be read
// or is damaged. `damage`, where given, receives what is wrong with a damaged file.
std::optional<loader::SrecReport> check_object_file(const char* command, const std::string& path,
                                                    std::optional<loader::SrecError>* damage = nullptr);

}  // namespace kest::cli
