#include "link/cradle_setup.h"

namespace kest {

namespace {

constexpr std::uint8_t kProbeByte = 0x0F;
constexpr std::uint8_t kSwitchByte = 0x07;
constexpr std::uint8_t kCommitByte = 'Q';
constexpr std::uint32_t kProbeWindowMs = 100;

// Each control byte goes out in a write of its own.
void write_byte(Link& link, std::uint8_t byte) { link.write(std::span<const std::uint8_t>(&byte, 1)); }

void set_rts(Link& link, bool on) {
    link.settings().rtsEnable = on;
    link.apply();
    link.pause();
}

// The cradle echoes 0x0F within 100 ms when it listens at the candidate rate.
bool probe(Link& link, int rateIndex) {
    link.settings().baud = kRates[static_cast<std::size_t>(rateIndex)];
    set_rts(link, false);
    write_byte(link, kProbeByte);
    link.pause();
    // The first byte decides: anything but the echo fails the probe at once.
    const auto echo = link.read_byte(link.now() + kProbeWindowMs);
    const bool answered = echo && *echo == kProbeByte;
    set_rts(link, true);
    return answered;
}

}  // namespace

const CradleProfile kGeneratorCradle{{4, 0, 2, 1, 3}};
const CradleProfile kLoaderCradle{{4, 2, 0, 1, 3}};

bool cradle_setup(Link& link, int rateIndex, const CradleProfile& profile, int* foundRateIndex) {
    LineSettings& s = link.settings();
    s.baud = 38400;
    s.dataBits = 8;
    s.parity = false;
    s.stopBits = 1;
    s.rtsEnable = true;
    s.dtrEnable = true;
    link.apply();
    link.pause();

    int found = -1;
    for (int candidate : profile.probeOrder) {
        if (probe(link, candidate)) {
            found = candidate;
            break;
        }
    }
    if (found < 0) return false;
    if (foundRateIndex) *foundRateIndex = found;

    set_rts(link, false);
    write_byte(link, kSwitchByte);
    link.pause();
    s.baud = kRates[static_cast<std::size_t>(rateIndex)];
    write_byte(link, kCradleRateCodes[static_cast<std::size_t>(rateIndex)]);
    link.pause();
    write_byte(link, kCommitByte);
    link.pause();
    set_rts(link, true);

    // Applied by the caller's next line-settings step (data bits and parity are still as
    // set above).
    s.ctsFlow = false;
    s.xonXoff = false;
    return true;
}

CradleCheckResult check_cradle(Link& link, const std::string& portName, int rateIndex) {
    CradleCheckResult r;
    if (!link.open(portName, kInQueue, kDownloadOutQueue)) {
        r.end = CradleCheck::PortFailed;
        return r;
    }
    link.set_line(rateIndex);
    if (!link.apply())
        r.end = CradleCheck::LineFailed;
    else if (!cradle_setup(link, rateIndex, kGeneratorCradle, &r.foundRateIndex))
        r.end = CradleCheck::NoCradle;
    else  // the set-up leaves its last changes to the next line-settings step
        r.end = link.apply() ? CradleCheck::Switched : CradleCheck::LineFailed;
    link.close(true);
    return r;
}

}  // namespace kest
