// What a lookup file sends: its bytes checked and turned into the terminal's lines before the
// port is opened. A UTF-16 file, NUL bytes, an empty file (it would empty the terminal's
// lookup), a project file or an object program are refused; a UTF-8 byte-order mark is left
// out and UTF-8 text is sent in Windows-1252; no line may pass 289 bytes; with a layout every
// line is checked against it. Lines end in CR LF, CR or LF; a last line without an end counts.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/user_interface.h"
#include "project/lookup_problem.h"
#include "project/project.h"

namespace kest {

struct LookupFileRules {
    bool raw = false;                      // the bytes as they are: no mark left out, no UTF-8 converted
    bool allowEmpty = false;               // an empty file may empty the terminal's lookup
    const LookupRecord* layout = nullptr;  // every line checked against it
};

// Lines that do not fit the layout are named up to this many; all are counted.
inline constexpr std::size_t kMaxNamedMismatches = 5;

struct PreparedLookup {
    std::vector<std::string> lines;  // Windows-1252 (or raw), without line ends
    std::vector<LookupNote> notes;
    std::vector<LookupProblem> problems;  // why the file is refused
    int problemCount = 0;
    bool cancelled = false;  // the user stopped before anything was sent

    bool refused() const { return problemCount > 0; }
};

PreparedLookup prepare_lookup_file(std::span<const std::uint8_t> bytes, const LookupFileRules& rules);

// Tells the user in agkest's message boxes: each note as a "Warnung", a refusal as a
// "Fehler" with the first problems.
void tell_de(const PreparedLookup& prepared, UserInterface& ui);

// The lines of a text: CR LF, CR or LF end a line; a last line without an end counts.
std::vector<std::string_view> text_lines(std::string_view text);

}  // namespace kest
