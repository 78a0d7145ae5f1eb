#include "link/download.h"

#include <algorithm>

#include "link/exchange.h"

namespace kest {
namespace {

constexpr int kFirstBlockProgress = 5;

// Up to kMaxReply bytes, the CR dropped; the rest of a longer reply is purged before
// the next packet.
constexpr ReplyRules kReplyRules{kMaxReply};

// One packet and its reply. Input left over from an earlier exchange is discarded first,
// so that a late reply never answers the next packet.
Reply exchange(Link& link, std::span<const std::uint8_t> bytes) {
    link.purge_input();
    return kest::exchange(link, bytes, kReplyTimeoutMs, kReplyRules);
}

}  // namespace

Reply ask_download(Link& link) { return exchange(link, bytes_of(word::kVelmor)); }

DownloadStep handshake(Link& link) {
    for (int i = 0; i < kHandshakeTries; ++i) {
        if (link.stop_requested()) return DownloadStep::Interrupted;
        if (ask_download(link) == word::kAck) return DownloadStep::Ok;
    }
    return DownloadStep::NotReady;
}

DownloadStep send_packet(Link& link, std::span<const std::uint8_t> packet) {
    for (int i = 0; i < kPacketTransmissions; ++i) {
        if (link.stop_requested()) return DownloadStep::Interrupted;
        const Reply reply = exchange(link, packet);
        if (reply == word::kFull) return DownloadStep::Full;
        if (reply == word::kAck) return DownloadStep::Ok;
    }
    return DownloadStep::Failed;
}

ImageSent send_image(Link& link, std::span<const std::uint8_t> image, TransferProgress& progress) {
    ImageSent sent;
    progress.percent(kFirstBlockProgress);
    for (int block = 0; block < kImageBlocks; ++block) {
        sent.step = send_packet(link, block_packet(image, block));
        if (sent.step != DownloadStep::Ok) return sent;
        sent.blocks = block + 1;
        if (block % 2 == 1) progress.percent(std::min(100, kFirstBlockProgress + (block + 1) / 2));
        progress.amount(static_cast<std::uint64_t>(block) + 1, kImageBlocks, "blocks");
    }
    progress.percent(100);
    return sent;
}

std::vector<std::uint8_t> block_packet(std::span<const std::uint8_t> image, int block) {
    const auto data = image.subspan(static_cast<std::size_t>(block) * kBlockSize, kBlockSize);
    std::vector<std::uint8_t> packet(data.begin(), data.end());
    const unsigned sum = byte_sum(packet);
    packet.push_back(static_cast<std::uint8_t>(sum >> 8));
    packet.push_back(static_cast<std::uint8_t>(sum));
    packet.push_back(static_cast<std::uint8_t>(block));
    return packet;
}

std::vector<std::uint8_t> lookup_packet(const std::string& line) {
    std::vector<std::uint8_t> packet(line.begin(), line.end());
    const unsigned sum = byte_sum(packet);
    packet.push_back(line_sum_byte(sum >> 8));
    packet.push_back(line_sum_byte(sum));
    packet.push_back(kCr);
    return packet;
}

}  // namespace kest
