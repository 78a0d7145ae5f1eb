// The flash download: wake the terminal's flash loader, have it erase the flash, send the
// object program as merged send records, each acknowledged, and end with the end record.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <span>
#include <string>

#include "link/link.h"
#include "loader/srec.h"
#include "platform/user_interface.h"

namespace kest::loader {

inline constexpr char kCaption[] = "Program Download";

inline constexpr std::uint32_t kReplyMs = 2000;
inline constexpr std::uint32_t kEraseMs = 35000;
inline constexpr std::size_t kReplyKept = 15;
inline constexpr std::size_t kChunkSize = 256;

enum class FlashOutcome {
    Done,
    BadFile,       // refused before the terminal was woken
    NotReady,      // no wake-up answer
    EraseRefused,  // ":ERASE" not answered "FA" or "FB"
    EraseFailed,   // erasing began but did not end with "FA"
    RecordFailed,  // a record answered "FF" or not accepted in 3 transmissions
    // A stop was requested (Link::stop_requested):
    StoppedBeforeErase,  // the flash was not touched
    Stopped,             // after the erase began: the flash is incomplete
};

// The record an attempt stopped at (RecordFailed): its address, and whether the terminal
// refused it with "FF" (it cannot write there) or did not accept it in 3 transmissions.
struct RecordTrouble {
    std::uint32_t address = 0;
    bool refused = false;
    bool endRecord = false;     // the end record, not a record of data
    std::uint64_t written = 0;  // the program's bytes the terminal accepted in this attempt
};

// The message shown for a refused object file.
std::string bad_file_message(const SrecError& error);

// One attempt. The object file is checked whole before the terminal is woken; a bad file
// is reported and nothing reaches the port. Requires an open link with the line settings
// applied; the stream is read from its start.
// Where the attempt stopped and what it wrote are in *trouble when given.
FlashOutcome flash_attempt(Link& link, std::istream& object, UserInterface& ui, RecordTrouble* trouble = nullptr);

}  // namespace kest::loader
