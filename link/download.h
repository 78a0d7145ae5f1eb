// The download protocol of the application runtime: the handshake "VELMOR\r", packets
// acknowledged "ACK" (refused "FULL" when the terminal's memory is full), the download image
// in 200 block packets, and a lookup file as one packet per line, then "OVER\r". The steps
// report how they ended; the session above them talks to the user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "link/exchange.h"
#include "link/link.h"

namespace kest {

inline constexpr int kImageBlocks = 200;
inline constexpr std::size_t kBlockSize = 100;
inline constexpr std::size_t kBlockPacketSize = kBlockSize + 3;  // data, sum high, sum low, block
inline constexpr std::uint32_t kReplyTimeoutMs = 3000;
inline constexpr std::size_t kMaxReply = 10;
inline constexpr int kHandshakeTries = 3;
inline constexpr int kPacketTransmissions = 4;

// How a step of the download ended.
enum class DownloadStep {
    Ok,
    NotReady,     // no "ACK" to three handshakes
    Full,         // the terminal answered "FULL"
    Failed,       // four transmissions without "ACK"
    Interrupted,  // a stop was requested (Link::stop_requested) before a packet
};

// Who follows a transfer as it goes: the bar (0-100) and what it stands for.
class TransferProgress {
public:
    virtual ~TransferProgress() = default;
    virtual void percent(int value) = 0;
    virtual void amount(std::uint64_t done, std::uint64_t total, const char* unit) = 0;
};

// "VELMOR\r" up to three times until the terminal answers "ACK".
DownloadStep handshake(Link& link);
// One "VELMOR\r" and the terminal's answer, as the handshake reads it.
Reply ask_download(Link& link);

// One packet, sent up to four times until the terminal answers "ACK"; "FULL" ends at once.
// Input left over from an earlier exchange is discarded before each transmission.
DownloadStep send_packet(Link& link, std::span<const std::uint8_t> packet);

struct ImageSent {
    DownloadStep step = DownloadStep::Ok;
    int blocks = 0;  // blocks the terminal acknowledged; the next one failed
};

// The download image (kImageBlocks * kBlockSize bytes) in block packets 0 to 199. The bar
// starts at 5, gains 1 after every odd block and ends at 100.
ImageSent send_image(Link& link, std::span<const std::uint8_t> image, TransferProgress& progress);

// Packet of image block b: 100 image bytes, the sum's high and low byte, b.
std::vector<std::uint8_t> block_packet(std::span<const std::uint8_t> image, int block);
// Packet of one lookup line: its bytes, the sum's high and low byte (0x0D sent as 0x0E), CR.
std::vector<std::uint8_t> lookup_packet(const std::string& line);

}  // namespace kest
