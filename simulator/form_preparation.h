// The forms as the simulation runs them once the form page has applied its changes: each
// input line passes its length, autoEnter and fillChar down to the extension lines after
// it, and the lines without input of their own get the line defaults. The form page puts
// the prepared forms into the project, so that the file carries them.
#pragma once

#include "project/project.h"

namespace kest::sim {

[[nodiscard]] Project prepared_forms(const Project& project);

// Lines of the utilities menu: 8 when lookup file 1 has a field length and fields, else 7.
int utilities_length(const Project& project);

}  // namespace kest::sim
