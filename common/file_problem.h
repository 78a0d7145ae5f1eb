// Why a file named on the command line cannot be read or created, in the words of the
// command line: "not found", "permission denied", "no folder /home/lager".
#pragma once

#include <string>

namespace kest {

// Why `path` cannot be opened for reading; `what` is what it should have been ("a project
// file"): "not found", "is a folder, not a project file", "not a regular file",
// "permission denied", or "cannot be read" when the system gives no reason.
std::string read_problem(const std::string& path, const std::string& what);

// Why no file can be created at `path`, as far as its folder tells: "no folder DIR",
// "DIR is not a folder"; "" when the folder is there.
std::string create_problem(const std::string& path);

}  // namespace kest
