#include "editor/help.h"

#include "common/version.h"

namespace kest::editor {

HelpTarget help_target(const std::string& programDir, const std::function<bool(const std::string&)>& exists) {
    if (exists(programDir + kHelpFileName)) return {HelpSource::HelpFile, programDir + kHelpFileName};
    if (exists(programDir + kManualPath)) return {HelpSource::Manual, programDir + kManualPath};
    return {HelpSource::Missing, {}};
}

std::string about_version_line() { return "Version " KEST_VERSION; }

}  // namespace kest::editor
