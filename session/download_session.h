// The download command of the generator: the application (the download image) or a lookup
// text file chosen by the user, with or without the infrared cradle, with the progress
// window, the messages and the retry question after a failed attempt.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "link/download.h"
#include "link/link.h"
#include "platform/user_interface.h"
#include "project/lookup_problem.h"
#include "project/project.h"
#include "session/lookup_file.h"

namespace kest {

// Longest lookup line the terminal takes: its packet adds two checksum bytes and CR.
inline constexpr std::size_t kMaxLookupLine = kMaxLookupLineLength;

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
    // Run by a station (session/station.h): the port is open and set up and the terminal has
    // just answered "VELMOR"; the first attempt starts with the packets, and the port is left
    // open.
    bool station = false;
};

// How the command ended.
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

// Everything a caller may tell about one download command.
struct DownloadReport {
    DownloadOutcome outcome = DownloadOutcome::Cancelled;
    std::string path;                     // the lookup file, empty for the application
    int attempts = 0;                     // handshakes begun, the retries included
    int badLine = 0;                      // LineTooLong: the 1-based line number
    std::vector<LookupProblem> problems;  // LineTooLong, FileRefused: why
    // The last attempt: blocks or lookup lines the terminal acknowledged, the data bytes in
    // them, and where it stopped (the block 0-199 or the 1-based line; -1 and 0 when none
    // was refused, also when only "OVER" was).
    int packets = 0;
    int total = 0;  // blocks or lookup lines to send (once the file was read)
    std::uint64_t bytes = 0;
    int failedBlock = -1;
    int failedLine = 0;
    std::uint32_t elapsedMs = 0;  // from the start of the command to the closed port
    // The image was built (prepare_image) for at least one attempt: agkest's project takes
    // the normalised menus and forms the terminal was sent.
    bool imageBuilt = false;
};

// As the main window sees it: 1 the port was used (whatever the outcome), 0 choice
// cancelled or line settings failed, -1 file (unreadable or refused), port or cradle failure.
int result_value(const DownloadReport& report);

// Runs one download command. lookupFileName is the file-name buffer of the lookup file
// choice, kept by the caller between commands: the dialog opens with it and it receives
// the chosen name. The port is closed on every path.
DownloadReport download(const Project& project, Link& link, UserInterface& ui, const DownloadOptions& options,
                        std::string& lookupFileName);

}  // namespace kest
