#include "session/lookup_file.h"

#include <algorithm>

#include "common/text_encoding.h"
#include "loader/srec.h"
#include "project/lookup_table.h"

namespace kest {
namespace {

constexpr std::string_view kOlderTags[] = {"Qvx-4.00", "Qvx-3.10"};

std::string_view as_text(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

bool project_file(std::string_view text) {
    return text.starts_with(std::string_view(kProjectTag, sizeof kProjectTag)) ||
           std::any_of(std::begin(kOlderTags), std::end(kOlderTags), [&](auto tag) { return text.starts_with(tag); });
}

// The first line that is not blank is a whole S-record with its checksum.
bool object_program(std::string_view text) {
    const std::size_t start = text.find_first_not_of(" \t\x0D\x0A");
    if (start == std::string_view::npos) return false;
    const std::string_view line = text.substr(start, text.find_first_of("\x0D\x0A", start) - start);
    bool record = false;
    loader::SrecReader reader([&](const loader::SrecRecord&) { return !(record = true); });
    reader.feed(line);
    reader.finish();
    return record;
}

bool ascii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

PreparedLookup refused(LookupProblem problem) {
    PreparedLookup p;
    p.problems.push_back(std::move(problem));
    p.problemCount = 1;
    return p;
}

}  // namespace

std::vector<std::string_view> text_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\x0D' && text[i] != '\x0A') continue;
        lines.push_back(text.substr(start, i - start));
        if (text[i] == '\x0D' && i + 1 < text.size() && text[i + 1] == '\x0A') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.push_back(text.substr(start));
    return lines;
}

PreparedLookup prepare_lookup_file(std::span<const std::uint8_t> bytes, const LookupFileRules& rules) {
    const std::string_view raw = as_text(bytes);
    if (project_file(raw)) return refused({.fault = LookupFault::ProjectFile});
    if (raw.starts_with("\xFF\xFE") || raw.starts_with("\xFE\xFF")) return refused({.fault = LookupFault::Utf16});
    if (const auto nul = raw.find('\0'); nul != std::string_view::npos) {
        const std::string_view before = raw.substr(0, nul);
        const auto lines = text_lines(before);
        const bool atLineStart = before.empty() || before.back() == '\x0D' || before.back() == '\x0A';
        const int line = static_cast<int>(lines.size()) + (atLineStart ? 1 : 0);
        const int position = atLineStart ? 1 : static_cast<int>(lines.back().size()) + 1;
        return refused({.fault = LookupFault::NulBytes, .line = line, .position = position});
    }
    if (object_program(raw)) return refused({.fault = LookupFault::ObjectProgram});

    PreparedLookup out;
    std::string text(raw);
    if (!rules.raw && !ascii(raw)) {
        const DecodedText decoded = decode_text(bytes);
        if (decoded.fault != DecodeFault::None)
            return refused({.fault = LookupFault::NotText,
                            .line = decoded.faultAt.line,
                            .position = decoded.faultAt.column,
                            .value = encoding_name(decoded.encoding)});
        if (decoded.encoding == TextEncoding::Utf8) {
            if (decoded.bom) out.notes.push_back(LookupNote::BomDropped);
            if (std::any_of(decoded.text.begin(), decoded.text.end(), [](char32_t c) { return c >= 0x80; }))
                out.notes.push_back(LookupNote::FromUtf8);
            std::size_t unmapped = 0;
            auto converted = to_cp1252(decoded.text, &unmapped);
            if (!converted) {
                const TextPlace at = place_in(decoded.text, unmapped);
                return refused({.fault = LookupFault::Unmappable,
                                .line = at.line,
                                .position = at.column,
                                .character = decoded.text[unmapped]});
            }
            text = std::move(*converted);
        }
    }

    for (const std::string_view line : text_lines(text)) out.lines.emplace_back(line);
    const bool empty = std::all_of(out.lines.begin(), out.lines.end(), [](const auto& l) { return l.empty(); });
    if (empty && !rules.allowEmpty) return refused({.fault = LookupFault::Empty});
    for (std::size_t i = 0; i < out.lines.size(); ++i)
        if (out.lines[i].size() > static_cast<std::size_t>(kMaxLookupLineLength))
            return refused({.fault = LookupFault::LineTooLong,
                            .line = static_cast<int>(i) + 1,
                            .count = static_cast<int>(out.lines[i].size())});
    if (!rules.layout) return out;

    for (auto& p : layout_problems(*rules.layout)) {
        out.problems.push_back(std::move(p));
        ++out.problemCount;
    }
    if (out.refused()) return out;
    for (std::size_t i = 0; i < out.lines.size(); ++i) {
        auto mismatch = check_lookup_line(out.lines[i], static_cast<int>(i) + 1, *rules.layout);
        if (!mismatch) continue;
        if (out.problems.size() < kMaxNamedMismatches) out.problems.push_back(std::move(*mismatch));
        ++out.problemCount;
    }
    return out;
}

void tell_de(const PreparedLookup& prepared, UserInterface& ui) {
    for (const LookupNote note : prepared.notes) ui.message(note_text_de(note), "Warnung", Icon::Warning, Buttons::Ok);
    if (!prepared.refused()) return;
    std::string text;
    for (const LookupProblem& p : prepared.problems) text += (text.empty() ? "" : "\n") + problem_text_de(p);
    const int more = prepared.problemCount - static_cast<int>(prepared.problems.size());
    if (more > 0) text += "\n... und " + std::to_string(more) + " weitere.";
    ui.message(text, "Fehler", Icon::Warning, Buttons::Ok);
}

}  // namespace kest
