#include "common/progress_line.h"

#include <algorithm>
#include <cstdio>

namespace kest {
namespace {

constexpr int kBarWidth = 20;
// Below this the rate says more about the start than about the line.
constexpr std::uint64_t kMeasuredMs = 500;

std::string time_text(std::uint64_t seconds) {
    char buf[32];
    if (seconds >= 3600)
        std::snprintf(buf, sizeof buf, "%llu:%02llu:%02llu", static_cast<unsigned long long>(seconds / 3600),
                      static_cast<unsigned long long>(seconds / 60 % 60),
                      static_cast<unsigned long long>(seconds % 60));
    else
        std::snprintf(buf, sizeof buf, "%llu:%02llu", static_cast<unsigned long long>(seconds / 60),
                      static_cast<unsigned long long>(seconds % 60));
    return buf;
}

}  // namespace

std::string rate_text(double perSecond, const std::string& unit) {
    char buf[48];
    if (unit == "bytes" && perSecond >= 1000)
        std::snprintf(buf, sizeof buf, "%.1f kB/s", perSecond / 1000);
    else if (unit == "bytes")
        std::snprintf(buf, sizeof buf, "%.0f B/s", perSecond);
    else
        std::snprintf(buf, sizeof buf, "%.0f %s/s", perSecond, unit.c_str());
    return buf;
}

std::string progress_line(const ProgressState& s) {
    // The amount, where there is one, is what the user reads the bar by.
    const int percent =
        s.total ? static_cast<int>(std::min(s.done, s.total) * 100 / s.total) : std::clamp(s.percent, 0, 100);
    const int filled = percent * kBarWidth / 100;
    char head[16];
    std::snprintf(head, sizeof head, "] %3d%%", percent);
    std::string line = "[" + std::string(static_cast<std::size_t>(filled), '#') +
                       std::string(static_cast<std::size_t>(kBarWidth - filled), ' ') + head;
    if (s.total == 0) return line;
    const std::uint64_t done = std::min(s.done, s.total);
    line += "  " + std::to_string(done) + "/" + std::to_string(s.total) + " " + s.unit;
    if (s.elapsedMs < kMeasuredMs || done == 0) return line;
    const double perSecond = static_cast<double>(done) * 1000.0 / static_cast<double>(s.elapsedMs);
    line += "  " + rate_text(perSecond, s.unit);
    if (done < s.total)
        line += "  " + time_text(static_cast<std::uint64_t>(static_cast<double>(s.total - done) / perSecond + 0.5)) +
                " left";
    return line;
}

}  // namespace kest
