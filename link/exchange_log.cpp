#include "link/exchange_log.h"

#include <cstdio>
#include <string>

namespace kest {
namespace {

constexpr std::size_t kShownText = 24;

bool printable(std::span<const std::uint8_t> bytes) {
    for (auto b : bytes)
        if (b < 0x20 || b > 0x7E) return false;
    return true;
}

std::string hex(std::span<const std::uint8_t> bytes) {
    std::string out;
    for (auto b : bytes) {
        char h[4];
        std::snprintf(h, sizeof h, "%s%02X", out.empty() ? "" : " ", b);
        out += h;
    }
    return out;
}

std::string packet_text(std::span<const std::uint8_t> p) {
    const std::string size = std::to_string(p.size()) + " bytes";
    // A word of the protocol: its text without the closing CR.
    auto body = p;
    if (!body.empty() && body.back() == kCr) body = body.first(body.size() - 1);
    if (printable(body)) {
        if (body.empty()) return "CR";
        const std::string text(body.begin(), body.end());
        return text.size() <= kShownText ? text : text.substr(0, kShownText) + "... (" + size + ")";
    }
    // A send record of the flash loader: "S3", its count, its address.
    if (p.size() >= 7 && p[0] == 'S' && p[1] == '3') {
        char address[16];
        std::snprintf(address, sizeof address, "0x%02X%02X%02X%02X", p[3], p[4], p[5], p[6]);
        return "S3 record for " + std::string(address) + ", " + size;
    }
    return size;
}

std::string reply_text(const Reply& r) {
    const auto bytes = std::span(reinterpret_cast<const std::uint8_t*>(r.text.data()), r.text.size());
    std::string out;
    if (r.text.empty())
        out = r.end == ReplyEnd::Deadline ? "nothing (time-out)" : "CR";
    else if (printable(bytes))
        out = r.text;
    else
        out = hex(bytes);
    if (!r.text.empty() && r.end == ReplyEnd::Deadline) out += " (no CR before the time-out)";
    if (r.cut) out += " (cut)";
    return out;
}

}  // namespace

TextExchangeLog::TextExchangeLog(Clock& clock, std::ostream& out) : clock_(clock), out_(out), start_(clock.ticks()) {}

void TextExchangeLog::line(const std::string& text) {
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%9.3f ", (clock_.ticks() - start_) / 1000.0);
    out_ << stamp << text << "\n" << std::flush;
}

void TextExchangeLog::sent(std::span<const std::uint8_t> packet) { line("-> " + packet_text(packet)); }

void TextExchangeLog::received(const Reply& reply) { line("<- " + reply_text(reply)); }

}  // namespace kest
