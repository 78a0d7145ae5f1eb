// The infrared cradle set-up: find the rate at which the cradle listens and switch it to
// the chosen rate. The two programs differ only in the probe order.
#pragma once

#include <array>
#include <string>

#include "link/link.h"

namespace kest {

struct CradleProfile {
    std::array<int, kRateCount> probeOrder;  // rate indices, tried in this order
};

// agkest: 9600, 115200, 38400, 57600, 19200.
extern const CradleProfile kGeneratorCradle;
// tamplo: 9600, 38400, 115200, 57600, 19200.
extern const CradleProfile kLoaderCradle;

// Requires an open link. Returns true when a probe answered and the cradle was switched
// to kRates[rateIndex]; the record then holds that rate (applied with RTS on). A cradle that
// does not answer is the caller's to report. foundRateIndex, when given, receives the index
// of the rate at which the cradle answered.
bool cradle_setup(Link& link, int rateIndex, const CradleProfile& profile, int* foundRateIndex = nullptr);

// The cradle set-up on its own, as the generator runs it before a cradle transfer: open
// the port, set the rate, find and switch the cradle, apply the final settings, close.
enum class CradleCheck {
    Switched,    // the cradle answered at foundRateIndex and now listens at the chosen rate
    PortFailed,  // the port cannot be opened
    LineFailed,  // the line settings cannot be applied
    NoCradle,    // no rate answered
};
struct CradleCheckResult {
    CradleCheck end = CradleCheck::NoCradle;
    int foundRateIndex = -1;
};
CradleCheckResult check_cradle(Link& link, const std::string& portName, int rateIndex);

}  // namespace kest
