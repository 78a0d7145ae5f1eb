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

// The rest of the switch sequence (0x07, a rate code, "Q") from the present stage on.
bool Cradle::is_switch_run(ByteView chunk) const {
    const std::size_t from = stage_ == Stage::AwaitCode ? 1 : stage_ == Stage::AwaitCommit ? 2 : 0;
    if (chunk.size() < 2 || from + chunk.size() > 3) return false;
    for (std::size_t i = 0; i < chunk.size(); ++i) {
        const std::uint8_t b = chunk[i];
        const std::size_t place = from + i;
        if ((place == 0 && b != kSwitch) || (place == 1 && !cradle_code_rate(b)) || (place == 2 && b != kCommit))
            return false;
    }
    return true;
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
    // Switch bytes the PC sent one by one, read together because the emulator was late (a
    // loaded machine): no packet is two or three such bytes, as every packet ends with CR.
    if (is_switch_run(chunk)) {
        for (std::size_t i = 0; i + 1 < chunk.size(); ++i) control(chunk[i], pcRate);
        pending_ = Pending{chunk.back(), pcRate, now};
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
