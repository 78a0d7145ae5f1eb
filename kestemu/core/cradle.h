// The infrared cradle between the PC and the terminal. It listens at one rate; a probe byte
// 0x0F sent alone at that rate is echoed, and 0x07, a rate code "2"-"6" and "Q", each sent
// alone, switch it to a new rate. Data passes only while the PC's port runs at the cradle's
// rate. A pseudo-terminal has no RTS line, so control bytes are told from data by context:
// a control byte comes in a write of its own with nothing after it for a while, whereas
// download packets (which may hold 0x0F or 0x07) always come many bytes at a time.
#pragma once

#include <cstdint>
#include <optional>
#include <utility>

#include "kestemu/core/types.h"

namespace kest::emu {

class Cradle {
public:
    // A lone byte followed by this much quiet is a control byte.
    static constexpr Micros kQuiet = 30 * kMillis;

    explicit Cradle(std::uint32_t rate, EventLog log = {}) : rate_(rate), log_(std::move(log)) {}

    // A piece of input as it came off the line, sent while the PC's port ran at pcRate.
    void receive(ByteView chunk, std::uint32_t pcRate, Micros now);
    void advance(Micros now);
    std::optional<Micros> next_deadline() const;

    // Data that passed to the terminal, and echoes for the PC, since the last call.
    Bytes take_for_terminal() { return std::exchange(toTerminal_, {}); }
    Bytes take_for_pc() { return std::exchange(toPc_, {}); }

    std::uint32_t rate() const { return rate_; }
    bool passes(std::uint32_t pcRate) const { return pcRate == rate_; }

private:
    enum class Stage { Data, AwaitCode, AwaitCommit };

    bool may_be_control(std::uint8_t byte) const;
    bool is_switch_run(ByteView chunk) const;
    void control(std::uint8_t byte, std::uint32_t pcRate);
    void data(ByteView chunk, std::uint32_t pcRate);
    void log(const std::string& line) const {
        if (log_) log_(line);
    }

    struct Pending {
        std::uint8_t byte;
        std::uint32_t pcRate;
        Micros at;
    };

    std::uint32_t rate_;
    EventLog log_;
    Stage stage_ = Stage::Data;
    std::uint32_t newRate_ = 0;
    std::optional<Pending> pending_;
    Bytes toTerminal_;
    Bytes toPc_;
};

// The rate of a cradle rate code ("2" 9600 ... "6" 115200), or nothing.
std::optional<std::uint32_t> cradle_code_rate(std::uint8_t code);

}  // namespace kest::emu
