// The terminal's side of a lookup download: one packet per text line (line bytes, sum high,
// sum low, each 0x0D sent as 0x0E, then CR), "OVER\r" at the end of the file.
#pragma once

#include <cstddef>
#include <vector>

#include "kestemu/core/types.h"

namespace kest::emu {

class LookupDownload {
public:
    // Line bytes plus the two sum bytes before the CR: longer packets are refused.
    static constexpr std::size_t kMaxLine = 289;

    enum class Verdict {
        Stored,    // a line was stored
        Finished,  // "OVER\r": the file is complete
        Bad,       // damaged packet; the PC must send it again
    };

    void start();
    // One packet up to and including its CR.
    Verdict accept(ByteView packet);

    // A packet as the PC builds it (for tests and trials).
    static Bytes packet(ByteView line);
    // The received file: every line followed by CR LF.
    Bytes file() const;
    const std::vector<Bytes>& lines() const { return lines_; }
    bool finished() const { return finished_; }

private:
    std::vector<Bytes> lines_;
    bool finished_ = false;
};

}  // namespace kest::emu
