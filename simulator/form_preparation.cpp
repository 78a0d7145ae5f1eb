#include "simulator/form_preparation.h"

#include <cstring>

#include "project/defaults.h"
#include "project/rules.h"
#include "simulator/bounded_text.h"

namespace kest::sim {
namespace {

void prepare(FormRecord& f) {
    const int lineCount = line_count(f.font);
    const int w = line_width(f.font);
    for (int line = 0; line < lineCount; ++line) {
        if (!is_input_line(f.lineType[line])) continue;
        const int full = static_cast<int>(bounded_length(f.prompt[line], kCell20 - 1)) + f.maxLength[line];
        for (int k = 1; k <= 3 && line + k < lineCount && f.lineType[line + k] == kFieldContinuation; ++k) {
            // Kept in a byte, as on the terminal: a negative length wraps.
            f.maxLength[line + k] = static_cast<u8>((full - k * w) & 0xFF);
            f.autoEnter[line + k] = f.autoEnter[line];
            f.fillChar[line + k] = f.fillChar[line];
        }
    }
    for (int line = 0; line < kFormLines; ++line) {
        const u8 type = f.lineType[line];
        if (type != kFieldEmpty && type != kFieldContinuation) continue;
        // The line defaults, keeping the type, the lineData slot after its first byte and,
        // on a continuation line, what it took over from its base line.
        u8 data[sizeof f.lineData[line]];
        std::memcpy(data, f.lineData[line], sizeof data);
        const u8 maxLength = f.maxLength[line], autoEnter = f.autoEnter[line], fill = f.fillChar[line];
        line_defaults(f, line);
        f.lineType[line] = type;
        std::memcpy(f.lineData[line] + 1, data + 1, sizeof data - 1);
        if (type == kFieldContinuation) {
            f.maxLength[line] = maxLength;
            f.autoEnter[line] = autoEnter;
            f.fillChar[line] = fill;
        }
    }
}

}  // namespace

Project prepared_forms(const Project& project) {
    Project prepared = project;
    for (auto& f : prepared.forms) prepare(f);
    return prepared;
}

int utilities_length(const Project& project) {
    const LookupRecord& first = project.lookups[0];
    return first.recordLength != 0 && first.fieldCount != 0 ? 8 : 7;
}

}  // namespace kest::sim
