// A project as JSON text, both ways: every byte of the tables is named, so that the text
// written for a project builds the same project file again, byte for byte. Texts are UTF-8
// in the text and Windows-1252 in the project.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "project/project.h"
#include "project/project_check.h"

namespace kest {

// The JSON text of a project. `file` and `olderLayout` describe where it came from and
// `outOfRange` lists values no page produces (left out when empty); the way back ignores
// all three.
std::string project_to_json(const Project& project, const std::string& file, bool olderLayout,
                            const std::vector<Finding>& outOfRange);

// Builds a project from its JSON text. Bytes the text leaves out (the reserved bytes and
// line data it omits when they are zero) are zero. Returns an empty string on success;
// otherwise what is wrong, with the line and the field ("line 12: forms[0].font: ..."),
// and the project is unchanged. Works on the text alone.
std::string project_from_json(std::string_view text, Project& project);

}  // namespace kest
