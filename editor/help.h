// The commands "Hilfe" and "Über": where the help comes from, and the About box's
// version line.
#pragma once

#include <functional>
#include <string>

namespace kest::editor {

// The help file beside the program, opened with WinHelp where the system still has it.
inline constexpr char kHelpFileName[] = "PG.HLP";
// The HTML manual that the installer and the portable zip put beside the program.
inline constexpr char kManualPath[] = "Handbuch\\index.html";

inline constexpr char kHelpMissingText[] = "Keine Hilfe gefunden (PG.HLP oder Handbuch im Programmordner)!";
inline constexpr char kManualFailedText[] =
    "Das Handbuch kann nicht ge\xF6"
    "ffnet werden!";

enum class HelpSource { HelpFile, Manual, Missing };

struct HelpTarget {
    HelpSource source;
    std::string path;  // empty when Missing
};

// PG.HLP in the program's folder wins whenever it is there; without it the manual is
// opened in the default browser. programDir ends in a backslash.
HelpTarget help_target(const std::string& programDir, const std::function<bool(const std::string&)>& exists);

// "Version 1.0.0": the About box's version line, the build's version.
std::string about_version_line();

}  // namespace kest::editor
