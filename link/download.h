// The download command of the generator: the application (the download image in 200
// acknowledged packets) or a lookup text file (one packet per line, then "OVER\r"), with
// or without the infrared cradle, with the retry question after a failed attempt.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "project/download_image.h"
#include "link/link.h"
#include "link/lookup_file.h"
#include "platform/user_interface.h"
#include "project/project.h"

namespace kest {

inline constexpr int kImageBlocks = 200;
inline constexpr std::size_t kBlockSize = 100;
inline constexpr std::size_t kBlockPacketSize = kBlockSize + 3;  // data, sum high, sum low, block
inline constexpr std::size_t kMaxLookupLine = kMaxLookupLineLength;
inline constexpr std::uint32_t kReplyTimeoutMs = 3000;
inline constexpr std::size_t kMaxReply = 10;
inline constexpr int kHandshakeTries = 3;
inline constexpr int kPacketTransmissions = 4;

struct DownloadOptions {
    bool cradle = false;
    bool lookup = false;
    // Instead of the project's port ("COM1" to "COM6") and rate, when set (kest --port/--baud).
    std::optional<std::string> portName;
    std::optional<int> rateIndex;
    // Turns the chosen lookup file into what is sent, and tells the user what it found.
    // Unset: the file's text checked by the rules of a lookup file, told in agkest's boxes.
    std::function<PreparedLookup(const std::string& path, std::span<const std::uint8_t> bytes, UserInterface& ui)>
        prepareLookup;
};

// How the command ended, finer than its result.
enum class DownloadOutcome {
    Completed,           // the terminal acknowledged everything
    Cancelled,           // the lookup file choice was cancelled
    FileUnreadable,      // the lookup file cannot be opened
    LineTooLong,         // a lookup line exceeds kMaxLookupLine; nothing was sent
    FileRefused,         // the lookup file is no text the terminal can take; nothing was sent
    PortUnavailable,     // the port cannot be opened
    CradleFailed,        // no cradle rate answered
    LineSettingsFailed,  // the final line settings cannot be applied
    NotReady,            // no "ACK" to the handshake (last attempt)
    MemoryFull,          // the terminal answered "FULL" (last attempt)
    TransferFailed,      // a packet went unacknowledged four times (last attempt)
    Interrupted,         // a stop was requested (Link::stop_requested); the terminal may
                         // hold an incomplete application or lookup file
};

struct DownloadReport {
    // 1 the port was used (whatever the outcome), 0 choice cancelled or line settings
    // failed, -1 file, port or cradle failure.
    int result = 0;
    DownloadOutcome outcome = DownloadOutcome::Cancelled;
    int attempts = 0;
    int badLine = 0;                      // LineTooLong: the 1-based line number
    std::vector<LookupProblem> problems;  // LineTooLong, FileRefused: why
};

// Runs one download command. lookupFileName is the file-name buffer of the lookup file
// choice, kept by the caller between commands: the dialog opens with it and it receives
// the chosen name. The port is closed on every path.
DownloadReport download(Project& project, Link& link, UserInterface& ui, const DownloadOptions& options,
                        std::string& lookupFileName);

// Packet of image block b: 100 image bytes, the sum's high and low byte, b.
std::vector<std::uint8_t> block_packet(const DownloadImage& image, int block);
// Packet of one lookup line: its bytes, the sum's high and low byte (0x0D sent as 0x0E), CR.
std::vector<std::uint8_t> lookup_packet(const std::string& line);

}  // namespace kest
