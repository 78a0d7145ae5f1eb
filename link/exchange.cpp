#include "link/exchange.h"

#include "link/exchange_log.h"

namespace kest {
namespace {

Reply read_reply_bytes(Link& link, std::uint32_t deadline, const ReplyRules& rules) {
    using Overflow = ReplyRules::Overflow;
    Reply reply;
    for (;;) {
        if (reply.text.size() >= rules.keep && rules.overflow == Overflow::Stop) {
            reply.end = ReplyEnd::Full;
            return reply;
        }
        const auto byte = link.read_byte(deadline);
        if (!byte) {
            reply.end = ReplyEnd::Deadline;
            return reply;
        }
        if (reply.text.size() >= rules.keep) {
            reply.cut = true;
            if (*byte == kCr && rules.overflow == Overflow::SkipToCr) {
                reply.end = ReplyEnd::Cr;
                return reply;
            }
            continue;
        }
        if (*byte == kCr) {
            if (rules.keepCr) reply.text += static_cast<char>(kCr);
            reply.end = ReplyEnd::Cr;
            return reply;
        }
        reply.text += static_cast<char>(*byte);
    }
}

}  // namespace

Reply read_reply(Link& link, std::uint32_t deadline, const ReplyRules& rules) {
    const Reply reply = read_reply_bytes(link, deadline, rules);
    if (link.log()) link.log()->received(reply);
    return reply;
}

bool send(Link& link, std::span<const std::uint8_t> packet) {
    if (link.log()) link.log()->sent(packet);
    return link.write(packet);
}

Reply exchange(Link& link, std::span<const std::uint8_t> packet, std::uint32_t waitMs, const ReplyRules& rules) {
    if (!send(link, packet)) return {};
    return read_reply(link, link.now() + waitMs, rules);
}

unsigned byte_sum(std::span<const std::uint8_t> bytes) {
    unsigned sum = 0;
    for (auto b : bytes) sum += b;
    return sum;
}

std::uint8_t line_sum_byte(unsigned value) {
    const auto byte = static_cast<std::uint8_t>(value);
    return byte == kCr ? kCrStandIn : byte;
}

}  // namespace kest
