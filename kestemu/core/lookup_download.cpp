#include "kestemu/core/lookup_download.h"

#include <numeric>

namespace kest::emu {

namespace {
constexpr std::uint8_t kCr = 0x0D;
}  // namespace

void LookupDownload::start() {
    lines_.clear();
    finished_ = false;
}

Bytes LookupDownload::packet(ByteView line) {
    Bytes p(line.begin(), line.end());
    const unsigned sum = std::accumulate(line.begin(), line.end(), 0u);
    p.push_back(sum_byte(sum >> 8));
    p.push_back(sum_byte(sum));
    p.push_back(kCr);
    return p;
}

LookupDownload::Verdict LookupDownload::accept(ByteView packet) {
    if (equals(packet, "OVER\r")) {
        finished_ = true;
        return Verdict::Finished;
    }
    if (packet.size() < 3 || packet.size() > kMaxLine + 3 || packet.back() != kCr) return Verdict::Bad;
    const ByteView line = packet.first(packet.size() - 3);
    if (std::find(line.begin(), line.end(), kCr) != line.end()) return Verdict::Bad;
    const unsigned sum = std::accumulate(line.begin(), line.end(), 0u);
    if (packet[line.size()] != sum_byte(sum >> 8) || packet[line.size() + 1] != sum_byte(sum)) return Verdict::Bad;
    lines_.emplace_back(line.begin(), line.end());
    return Verdict::Stored;
}

Bytes LookupDownload::file() const {
    Bytes out;
    for (const auto& line : lines_) {
        out.insert(out.end(), line.begin(), line.end());
        out.push_back(kCr);
        out.push_back(0x0A);
    }
    return out;
}

}  // namespace kest::emu
