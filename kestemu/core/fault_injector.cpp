#include "kestemu/core/fault_injector.h"

#include <charconv>

namespace kest::emu {

namespace {

struct ChanceName {
    std::string_view name;
    Fault fault;
};

constexpr ChanceName kChanceNames[] = {
    {"corrupt-rx", Fault::CorruptRx}, {"drop-rx", Fault::DropRx},   {"corrupt-reply", Fault::CorruptReply},
    {"drop-reply", Fault::DropReply}, {"nak", Fault::Nak},          {"ff", Fault::FlashFailed},
    {"fn", Fault::FlashAgain},        {"lose-ack", Fault::LoseAck}, {"late-reply", Fault::LateReply},
};

std::optional<unsigned> whole_number(std::string_view text) {
    unsigned value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
    return value;
}

// A probability written as 0.05, 1 or .5.
std::optional<double> probability(std::string_view text) {
    if (text.empty() || text.size() > 12) return std::nullopt;
    double whole = 0, scale = 1;
    bool point = false, digits = false;
    for (char c : text) {
        if (c == '.' && !point) {
            point = true;
        } else if (c >= '0' && c <= '9') {
            digits = true;
            if (point) {
                scale /= 10;
                whole += (c - '0') * scale;
            } else {
                whole = whole * 10 + (c - '0');
            }
        } else {
            return std::nullopt;
        }
    }
    if (!digits || whole > 1.0) return std::nullopt;
    return whole;
}

// splitmix64: small, fast and the same on every platform.
std::uint64_t mix(std::uint64_t& state) {
    std::uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}  // namespace

const char* const kFaultPlanHelp =
    "  PLAN is a comma-separated list of faults (probabilities from 0 to 1):\n"
    "    corrupt-rx=P     damage a received byte          drop-rx=P      lose a received byte\n"
    "    corrupt-reply=P  damage one byte of a reply      drop-reply=P   lose a whole reply\n"
    "    nak=P            answer a download packet NAK    full-at=N      answer FULL after N stored packets\n"
    "    ff=P             answer a flash record FF        fn=P           answer a flash record FN\n"
    "    lose-ack=P       lose an acknowledgement, so that a packet or record comes twice\n"
    "    late-reply=P     send a reply up to 5 s late (what follows waits behind it)\n"
    "    silence=MS@N     leave the N-th received message and all input for MS milliseconds after it\n"
    "                     unanswered\n"
    "  e.g. corrupt-rx=0.02,drop-reply=0.02,nak=0.05,full-at=150,silence=2000@10,lose-ack=0.05\n";

std::optional<FaultPlan> parse_fault_plan(std::string_view text, std::string& error) {
    FaultPlan plan;
    while (!text.empty()) {
        const auto comma = text.find(',');
        const std::string_view item = text.substr(0, comma);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        if (item.empty()) continue;
        const auto eq = item.find('=');
        const std::string_view key = item.substr(0, eq);
        const std::string_view value = eq == std::string_view::npos ? std::string_view() : item.substr(eq + 1);
        bool known = false;
        for (const auto& c : kChanceNames) {
            if (c.name != key) continue;
            known = true;
            const auto p = probability(value);
            if (!p) {
                error = "fault " + std::string(key) + " needs a probability from 0 to 1, not \"" + std::string(value) +
                        "\"";
                return std::nullopt;
            }
            plan[c.fault] = *p;
        }
        if (known) continue;
        if (key == "full-at") {
            const auto n = whole_number(value);
            if (!n) {
                error = "fault full-at needs a packet count, not \"" + std::string(value) + "\"";
                return std::nullopt;
            }
            plan.fullAt = *n;
        } else if (key == "silence") {
            const auto at = value.find('@');
            const auto ms = whole_number(value.substr(0, at));
            const auto after = at == std::string_view::npos ? std::nullopt : whole_number(value.substr(at + 1));
            if (!ms || !after) {
                error = "fault silence needs MS@N (milliseconds, message count), not \"" + std::string(value) + "\"";
                return std::nullopt;
            }
            plan.silenceMs = *ms;
            plan.silenceAfter = *after;
        } else {
            error = "unknown fault \"" + std::string(key) + "\"";
            return std::nullopt;
        }
    }
    return plan;
}

FaultInjector::FaultInjector(const FaultPlan& plan, std::uint64_t seed) : plan_(plan) {
    for (std::size_t i = 0; i < state_.size(); ++i) state_[i] = seed * 0x100000001B3ull + i * 0x632BE59BD9B4E019ull;
}

std::uint64_t FaultInjector::next(Fault f) { return mix(state_[static_cast<std::size_t>(f)]); }

bool FaultInjector::strikes(Fault f) {
    const double chance = plan_[f];
    if (chance <= 0) return false;
    const double draw = static_cast<double>(next(f) >> 11) / static_cast<double>(1ull << 53);
    return draw < chance;
}

std::uint8_t FaultInjector::damage(Fault f) {
    const auto pattern = static_cast<std::uint8_t>(next(f) % 255 + 1);
    return pattern;
}

unsigned FaultInjector::late_ms(Fault f) { return static_cast<unsigned>(next(f) % kLongestLateMs) + 1; }

}  // namespace kest::emu
