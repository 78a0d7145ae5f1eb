// The object program reader: the checker that runs before the terminal is woken, the
// streaming reader under it, and the converter into the loader's send records.
#include <algorithm>
#include <sstream>
#include <string_view>
#include <vector>

#include "fuzz/harness.h"
#include "loader/srec.h"

namespace kest::fuzz {

namespace {

using loader::SrecRecord;

struct Read {
    std::string records;  // every record, one line of text each
    std::string error;
};

std::string describe(const SrecRecord& r) {
    std::string s = std::to_string(r.line) + " S" + r.type + " " + std::to_string(r.address) + ":";
    for (auto b : r.data) s += " " + std::to_string(b);
    return s + "\n";
}

std::string describe(const std::optional<loader::SrecError>& e) {
    return e ? std::to_string(e->line) + " " + e->text + (e->noProgram ? " (no program)" : "") : "";
}

// Chunk lengths the way a file arrives in pieces: 1 to 17 bytes, taken from the text.
template <typename Feed>
bool feed_in_pieces(std::string_view text, Feed feed) {
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t n = std::min<std::size_t>(text.size() - at, static_cast<unsigned char>(text[at]) % 17 + 1);
        if (!feed(text.substr(at, n))) return false;
        at += n;
    }
    return true;
}

// The records of the text fed at once or in pieces.
Read read_text(std::string_view text, bool inPieces) {
    Read read;
    loader::SrecReader reader([&](const SrecRecord& r) {
        read.records += describe(r);
        return true;
    });
    const bool fed =
        inPieces ? feed_in_pieces(text, [&](std::string_view piece) { return reader.feed(piece); }) : reader.feed(text);
    if (fed) reader.finish();
    read.error = describe(reader.error());
    return read;
}

// The facts of a check. A file is read only up to its first error, so its size counts only
// for a good file.
std::string describe(const loader::SrecReport& r) {
    std::string s = describe(r.error) + "|" + std::to_string(r.ok() ? r.fileSize : 0) + "|" +
                    std::to_string(r.dataRecords) + "|" + std::to_string(r.dataBytes) + "|" +
                    std::string(1, r.endType) + "|" + std::to_string(r.startAddress) + "|";
    for (const auto& range : r.ranges) s += std::to_string(range.begin) + "-" + std::to_string(range.end) + " ";
    return s;
}

// Memory as runs of bytes at consecutive addresses, sorted.
using Runs = std::vector<std::pair<std::uint64_t, std::vector<std::uint8_t>>>;

Runs merged(Runs pieces) {
    std::sort(pieces.begin(), pieces.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    Runs runs;
    for (auto& [address, bytes] : pieces) {
        if (bytes.empty()) continue;
        if (!runs.empty() && runs.back().first + runs.back().second.size() == address)
            runs.back().second.insert(runs.back().second.end(), bytes.begin(), bytes.end());
        else
            runs.emplace_back(address, std::move(bytes));
    }
    return runs;
}

// What is wrong with one send record, or nothing.
std::string bad_send_record(const std::vector<std::uint8_t>& r) {
    if (r.size() < 9 || r[0] != 'S' || r[1] != '3' || r.back() != 0x0D) return "a send record is not S3 ... CR";
    if (r[2] != r.size() - 4) return "a send record's count is wrong";
    unsigned sum = 0;
    for (std::size_t i = 2; i + 1 < r.size(); ++i) sum += r[i];
    if ((sum & 0xFF) != 0xFF) return "a send record's checksum is wrong";
    if (r.size() - 9 > loader::kMaxSendData) return "a send record carries too many bytes";
    return {};
}

}  // namespace

// Any text as an object file.
std::string srec_reader(Input input) {
    const std::string_view text(reinterpret_cast<const char*>(input.data()), input.size());
    const Read whole = read_text(text, false);
    const Read pieces = read_text(text, true);
    if (whole.records != pieces.records || whole.error != pieces.error)
        return "the records depend on how the text arrives in pieces";

    const loader::SrecReport report = loader::check_srec_text(text);
    std::istringstream file{std::string(text)};
    if (describe(loader::check_srec(file)) != describe(report)) return "checking a file and its text disagree";
    if (!report.ok()) return {};
    std::uint64_t bytes = 0, last = 0;
    for (const auto& range : report.ranges) {
        if (range.begin >= range.end || (bytes && range.begin <= last))
            return "the ranges are not sorted, apart and merged";
        bytes += range.end - range.begin;
        last = range.end;
    }
    if (bytes != report.dataBytes || bytes == 0) return "the ranges do not hold the data bytes";
    return {};
}

// Any text as an object file: when the check passes, the send records carry exactly the
// file's data, each record well formed, the end record last.
std::string send_records(Input input) {
    const std::string_view text(reinterpret_cast<const char*>(input.data()), input.size());
    const auto whole = loader::convert_srec_text(text);
    std::vector<std::vector<std::uint8_t>> pieces;
    loader::SrecConverter converter([&](std::span<const std::uint8_t> r) {
        pieces.emplace_back(r.begin(), r.end());
        return true;
    });
    const bool fed = feed_in_pieces(text, [&](std::string_view piece) { return converter.feed(piece); });
    const bool converted = fed && converter.finish();
    if (pieces != whole) return "the send records depend on how the text arrives in pieces";

    if (!loader::check_srec_text(text).ok()) return {};
    if (!converted || !converter.ended()) return "a file that passed the check does not convert";
    if (whole.empty() ||
        !std::equal(whole.back().begin(), whole.back().end(), loader::kEndRecord.begin(), loader::kEndRecord.end()))
        return "the send records do not end with the end record";

    Runs sent;
    for (std::size_t i = 0; i + 1 < whole.size(); ++i) {
        const auto& r = whole[i];
        if (auto bad = bad_send_record(r); !bad.empty()) return bad;
        if (r.size() == 9) return "a send record carries no data";
        const std::uint32_t address = std::uint32_t{r[3]} << 24 | std::uint32_t{r[4]} << 16 | r[5] << 8 | r[6];
        sent.emplace_back(address, std::vector<std::uint8_t>(r.begin() + 7, r.end() - 2));
    }
    Runs file;
    loader::SrecReader reader([&](const SrecRecord& r) {
        if (r.kind == loader::SrecKind::Data) file.emplace_back(r.address, std::vector(r.data.begin(), r.data.end()));
        return r.kind != loader::SrecKind::End;
    });
    if (reader.feed(text)) reader.finish();
    if (merged(sent) != merged(file)) return "the send records do not carry the file's data";
    return {};
}

}  // namespace kest::fuzz
