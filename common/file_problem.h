// Why a file named on the command line cannot be read or created, in the words of the
// command line: "not found", "permission denied", "no folder /home/lager".
#pragma once

#include <string>

namespace kest {

// Why `path` cannot be opened for reading; `what` is what it should have been ("a project
// file"): "not found", "is a folder, not a project file", "not a regular file",
// "permission denied", or "cannot be read" when the system gives no reason.
std::string read_problem(const std::string& path, const std::string& what);

// Why no file can be created (or written) at `path`: what its folder tells ("no folder
// DIR", "DIR is not a folder"), else what the system said (`systemError`, an errno value:
// "permission denied in DIR", "no space left on the device", ...); "" when neither knows.
std::string create_problem(const std::string& path, int systemError = 0);

// What the system's error number says, in the same words; `folder` is where a file was to
// be made ("permission denied in DIR"). "" for 0.
std::string system_problem(int systemError, const std::string& folder);

}  // namespace kest
