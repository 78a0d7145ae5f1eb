#include "kestemu/core/cradle.h"

#include "link/link.h"

namespace kest::emu {

namespace {
constexpr std::uint8_t kProbe = 0x0F;
constexpr std::uint8_t kSwitch = 0x07;
constexpr std::uint8_t kCommit = 'Q';
}  // namespace

std::optional<std::uint32_t> cradle_code_rate(std::uint8_t code) {
    for (std::size_t i = 0; i < kCradleRateCodes.size(); ++i)
        if (kCradleRateCodes[i] == code) return kRates[i];
    return std::nullopt;
}

bool Cradle::may_be_control(std::uint8_t byte) const {
    switch (stage_) {
        case Stage::AwaitCode: return cradle_code_rate(byte).has_value() || byte == kProbe || byte == kSwitch;
        case Stage::AwaitCommit: return byte == kCommit || byte == kProbe || byte == kSwitch;
        case Stage::Data: break;
    }
    return byte == kProbe || byte == kSwitch;
}

void Cradle::receive(ByteView chunk, std::uint32_t pcRate, Micros now) {
    advance(now);
    if (chunk.empty()) return;
    if (pending_) {
        // Something followed at once: the lone byte was data after all.
        const Pending p = *pending_;
        pending_.reset();
        data(ByteView(&p.byte, 1), p.pcRate);
    }
    if (chunk.size() == 1 && may_be_control(chunk[0])) {
        pending_ = Pending{chunk[0], pcRate, now};
        return;
    }
    data(chunk, pcRate);
}

void Cradle::advance(Micros now) {
    if (pending_ && now - pending_->at >= kQuiet) {
        const Pending p = *pending_;
        pending_.reset();
        control(p.byte, p.pcRate);
    }
}

std::optional<Micros> Cradle::next_deadline() const {
    if (!pending_) return std::nullopt;
    return pending_->at + kQuiet;
}

void Cradle::control(std::uint8_t byte, std::uint32_t pcRate) {
    if (!passes(pcRate)) {
        // At the wrong rate the cradle sees no valid byte at all.
        log("cradle: byte at " + std::to_string(pcRate) + " lost (cradle at " + std::to_string(rate_) + ")");
        return;
    }
    if (byte == kProbe) {
        log("cradle: probe answered at " + std::to_string(rate_));
        stage_ = Stage::Data;
        toPc_.push_back(kProbe);
    } else if (byte == kSwitch) {
        stage_ = Stage::AwaitCode;
    } else if (stage_ == Stage::AwaitCode) {
        newRate_ = *cradle_code_rate(byte);
        stage_ = Stage::AwaitCommit;
    } else {
        log("cradle: now at " + std::to_string(newRate_));
        rate_ = newRate_;
        stage_ = Stage::Data;
    }
}

void Cradle::data(ByteView chunk, std::uint32_t pcRate) {
    stage_ = Stage::Data;
    if (!passes(pcRate)) {
        log("cradle: " + std::to_string(chunk.size()) + " bytes at " + std::to_string(pcRate) + " lost (cradle at " +
            std::to_string(rate_) + ")");
        return;
    }
    toTerminal_.insert(toTerminal_.end(), chunk.begin(), chunk.end());
}

}  // namespace kest::emu
