// The terminal's side of the application download: 200 packets of 100 image bytes, each
// with its two-byte sum and block number, make the 20000-byte application image.
#pragma once

#include <cstddef>

#include "kestemu/core/types.h"

namespace kest::emu {

class ApplicationDownload {
public:
    static constexpr std::size_t kBlockBytes = 100;
    static constexpr std::size_t kBlocks = 200;
    static constexpr std::size_t kPacketSize = kBlockBytes + 3;
    static constexpr std::size_t kImageSize = kBlockBytes * kBlocks;

    enum class Verdict {
        Stored,    // a new block was stored
        Repeated,  // the last stored block came again (its ACK was lost); nothing stored
        Complete,  // block 199 was stored: the image is whole
        Bad,       // damaged packet or unexpected block; the PC must send it again
    };

    // A new download after the handshake: block 0 comes next.
    void start();
    // One packet of exactly kPacketSize bytes.
    Verdict accept(ByteView packet);

    // Whether the packet is whole and its sum right (block number not considered).
    static bool intact(ByteView packet);
    // A packet as the PC builds it (for tests and trials).
    static Bytes packet(ByteView block, std::uint8_t number);

    std::size_t next_block() const { return next_; }
    const Bytes& image() const { return image_; }

private:
    Bytes image_ = Bytes(kImageSize, 0);
    std::size_t next_ = 0;
};

}  // namespace kest::emu
