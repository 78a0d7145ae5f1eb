// The exchanges of a link as a user follows them (kest --verbose): each packet the PC
// writes and each reply it reads, one line each; the byte-level view is the tracing port's.
#pragma once

#include <cstdint>
#include <ostream>
#include <span>

#include "link/exchange.h"
#include "platform/clock.h"

namespace kest {

class ExchangeLog {
public:
    virtual ~ExchangeLog() = default;
    virtual void sent(std::span<const std::uint8_t> packet) = 0;
    virtual void received(const Reply& reply) = 0;
};

// "   0.012 -> VELMOR", "   0.025 <- ACK", "   0.026 -> 103 bytes",
// "   0.031 -> S3 record for 0x00020000, 106 bytes", "   2.031 <- nothing (time-out)".
class TextExchangeLog final : public ExchangeLog {
public:
    TextExchangeLog(Clock& clock, std::ostream& out);
    void sent(std::span<const std::uint8_t> packet) override;
    void received(const Reply& reply) override;

private:
    void line(const std::string& text);

    Clock& clock_;
    std::ostream& out_;
    std::uint32_t start_;
};

}  // namespace kest
