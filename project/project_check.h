// The values a project file may hold that no page of the generator produces: a jump target
// of 178, a field type of 40, a font of 2, a count past its table, a text without its
// terminating zero, bytes in the trailer or after it. The program reads such files as they
// are; the check names each value so that it can be mended before a download.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "project/project.h"

namespace kest {

struct Finding {
    std::size_t offset;  // in the project file
    std::string path;    // as in the project's JSON text: "forms[2].lines[4].type"
    std::string what;    // "is 40, expected 0-12"
};

// Every value out of range, in file order.
std::vector<Finding> check_project(const Project& project);

// What lies after the tables of a current-layout file: trailer bytes that are not zero
// (one finding) and bytes after the trailer (one finding). `trailer` holds the bytes from
// the end of the tables up to at most the end of the trailer; `extra` counts the bytes
// after it.
std::vector<Finding> check_file_end(const std::vector<u8>& trailer, std::size_t extra);

}  // namespace kest
