// Faults the emulated terminal can be told to make, chosen by a seeded generator so that a
// run can be repeated exactly: damaged or lost bytes and replies, refusals, silence, and
// lost acknowledgements that make the PC send a record twice.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kest::emu {

enum class Fault {
    CorruptRx,     // a received byte is damaged
    DropRx,        // a received byte is lost
    CorruptReply,  // one byte of a reply is damaged
    DropReply,     // a reply is lost
    Nak,           // a download packet is refused with "NAK"
    FlashFailed,   // a flash record is answered "FF"
    FlashAgain,    // a flash record is answered "FN"
    LoseAck,       // an acknowledgement is lost (the PC's "ACK" in the upload, the terminal's otherwise)
    LateReply,     // a reply comes late, and what the terminal says after it behind it
    Count
};

struct FaultPlan {
    std::array<double, static_cast<std::size_t>(Fault::Count)> chance{};  // 0..1 per fault
    std::optional<unsigned> fullAt;                                       // packets stored before "FULL" is answered
    unsigned silenceMs = 0;                                               // silent this long ...
    unsigned silenceAfter = 0;                                            // ... after this many received messages

    double& operator[](Fault f) { return chance[static_cast<std::size_t>(f)]; }
    double operator[](Fault f) const { return chance[static_cast<std::size_t>(f)]; }
};

// "corrupt-rx=0.02,drop-reply=0.02,nak=0.05,full-at=150,silence=2000@10,lose-ack=0.05";
// an empty text is no fault. On a mistake, error says what is wrong.
std::optional<FaultPlan> parse_fault_plan(std::string_view text, std::string& error);

// The syntax, for --help.
extern const char* const kFaultPlanHelp;

class FaultInjector {
public:
    FaultInjector() = default;
    FaultInjector(const FaultPlan& plan, std::uint64_t seed);

    // Whether the fault strikes now. Each fault draws from its own stream, so that
    // switching one fault on does not move the others.
    bool strikes(Fault f);
    // A non-zero pattern to damage a byte with (XOR).
    std::uint8_t damage(Fault f);
    // How late a late reply comes: 1 to kLongestLateMs milliseconds.
    unsigned late_ms(Fault f);
    static constexpr unsigned kLongestLateMs = 5000;

    const FaultPlan& plan() const { return plan_; }

private:
    std::uint64_t next(Fault f);

    FaultPlan plan_{};
    std::array<std::uint64_t, static_cast<std::size_t>(Fault::Count)> state_{};
};

}  // namespace kest::emu
