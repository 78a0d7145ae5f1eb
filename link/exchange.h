// The exchange layer of the PC side, used by every transfer: the words on the line, a
// reply read up to its CR within a deadline under the caller's rules, a packet written
// and its reply read, and the byte sums of the packets and frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "link/link.h"

namespace kest {

namespace word {
// What the PC sends; each ends with CR.
inline constexpr std::string_view kVelmor = "VELMOR\r";      // application runtime: start a download
inline constexpr std::string_view kRead = "READ\r";          // application runtime: send the records
inline constexpr std::string_view kOver = "OVER\r";          // end of a lookup file; the terminal's end of the records
inline constexpr std::string_view kAckLine = "ACK\r";        // upload: record stored; the terminal's answer to "READ"
inline constexpr std::string_view kNakLine = "NAK\r";        // upload: send the record again
inline constexpr std::string_view kWake = "\r";              // flash loader: are you waiting?
inline constexpr std::string_view kQuentir = "QUENTIR\r";    // wake the flash loader
inline constexpr std::string_view kDownload = "DOWNLOAD\r";  // flash loader: download mode
inline constexpr std::string_view kErase = ":ERASE\r";       // flash loader: erase the flash
// Replies of the terminal, compared whole and case-sensitively without their CR.
inline constexpr std::string_view kAck = "ACK";
inline constexpr std::string_view kFull = "FULL";
inline constexpr std::string_view kAck1 = "ACK1";  // to "QUENTIR"
inline constexpr std::string_view kAck2 = "ACK2";  // to "DOWNLOAD"
inline constexpr std::string_view kFa = "FA";      // erased; record accepted
inline constexpr std::string_view kFb = "FB";      // erasing has begun
inline constexpr std::string_view kFn = "FN";      // loader waiting; send the record again
inline constexpr std::string_view kFf = "FF";      // record failed for good; loader waiting
}  // namespace word

inline constexpr std::uint8_t kCr = 0x0D;
// A sum byte on a line where CR only ever ends a message travels as 0x0E instead of 0x0D.
inline constexpr std::uint8_t kCrStandIn = 0x0E;

// How a reply is read: how many bytes are kept, what happens to the bytes after them,
// and whether the closing CR stays in the reply.
struct ReplyRules {
    enum class Overflow {
        Stop,            // the reply ends when keep bytes are in; the rest stays unread
        SkipToCr,        // further bytes are read and dropped up to the CR
        SkipToDeadline,  // further bytes are read and dropped until the deadline, a CR too
    };
    std::size_t keep;
    Overflow overflow = Overflow::Stop;
    bool keepCr = false;
};

// How reading a reply ended.
enum class ReplyEnd { Cr, Full, Deadline };

struct Reply {
    std::string text;  // the kept bytes
    ReplyEnd end = ReplyEnd::Deadline;
    bool cut = false;  // bytes past keep were dropped

    bool operator==(std::string_view word) const { return text == word; }
};

// Reads a reply byte by byte until its CR, until the rules end it, or until the tick
// count passes deadline.
Reply read_reply(Link& link, std::uint32_t deadline, const ReplyRules& rules);

// Writes a packet that gets no reply (the upload's "ACK" and "NAK") in one write.
bool send(Link& link, std::span<const std::uint8_t> packet);

// Writes the packet in one write, then reads the reply for up to waitMs. A packet that
// cannot be written gets no reply and costs no wait.
Reply exchange(Link& link, std::span<const std::uint8_t> packet, std::uint32_t waitMs, const ReplyRules& rules);

// Plain sum of the bytes as unsigned values.
unsigned byte_sum(std::span<const std::uint8_t> bytes);
// The low byte of value as it travels in a CR-terminated message.
std::uint8_t line_sum_byte(unsigned value);

}  // namespace kest
