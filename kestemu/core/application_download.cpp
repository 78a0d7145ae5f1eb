#include "kestemu/core/application_download.h"

#include <algorithm>
#include <numeric>

namespace kest::emu {

void ApplicationDownload::start() { next_ = 0; }

bool ApplicationDownload::intact(ByteView packet) {
    if (packet.size() != kPacketSize) return false;
    const unsigned sum = std::accumulate(packet.begin(), packet.begin() + kBlockBytes, 0u);
    return packet[kBlockBytes] == (sum >> 8) && packet[kBlockBytes + 1] == (sum & 0xFF);
}

Bytes ApplicationDownload::packet(ByteView block, std::uint8_t number) {
    Bytes p(block.begin(), block.end());
    p.resize(kBlockBytes, 0);
    const unsigned sum = std::accumulate(p.begin(), p.end(), 0u);
    p.push_back(static_cast<std::uint8_t>(sum >> 8));
    p.push_back(static_cast<std::uint8_t>(sum & 0xFF));
    p.push_back(number);
    return p;
}

ApplicationDownload::Verdict ApplicationDownload::accept(ByteView packet) {
    if (!intact(packet)) return Verdict::Bad;
    const std::size_t block = packet[kPacketSize - 1];
    if (next_ > 0 && block == next_ - 1) return Verdict::Repeated;
    if (block != next_ || next_ >= kBlocks) return Verdict::Bad;
    std::copy(packet.begin(), packet.begin() + kBlockBytes,
              image_.begin() + static_cast<std::ptrdiff_t>(block * kBlockBytes));
    ++next_;
    return next_ == kBlocks ? Verdict::Complete : Verdict::Stored;
}

}  // namespace kest::emu
