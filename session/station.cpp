#include "session/station.h"

#include "link/cradle_setup.h"
#include "link/download.h"
#include "link/upload.h"

namespace kest {

namespace {

StationEnd set_up(Link& link, const StationOptions& o) {
    if (o.rateIndex < 0 || o.rateIndex >= kRateCount) return StationEnd::LineFailed;
    if (!link.open(o.portName, kInQueue, o.upload ? kUploadOutQueue : kDownloadOutQueue)) return StationEnd::PortFailed;
    link.set_line(o.rateIndex);
    if (o.cradle && !cradle_setup(link, o.rateIndex, kGeneratorCradle)) return StationEnd::CradleFailed;
    if (!link.apply()) return StationEnd::LineFailed;
    return StationEnd::Stopped;
}

}  // namespace

StationEnd run_station(Link& link, const StationOptions& options, const std::function<bool(Link&)>& serve) {
    if (const StationEnd failed = set_up(link, options); failed != StationEnd::Stopped) {
        link.close(false);
        return failed;
    }
    bool waitingForRemoval = false;  // a terminal was served and has not been taken out yet
    int silent = 0;
    while (!link.stop_requested()) {
        const std::uint32_t asked = link.now();
        const Reply reply = options.upload ? ask_upload(link) : ask_download(link);
        const bool ready = options.upload ? reply == word::kAckLine : reply == word::kAck;
        const bool heard = !reply.text.empty() || reply.end != ReplyEnd::Deadline;
        silent = heard ? 0 : silent + 1;
        if (waitingForRemoval && silent >= options.silentAsks) waitingForRemoval = false;
        if (ready && !waitingForRemoval && !link.stop_requested()) {
            waitingForRemoval = serve(link);
            silent = 0;
        }
        // An answer that came early, a write that failed or a transfer that failed at once
        // does not make the next ask come sooner.
        const auto spent = static_cast<std::int32_t>(link.now() - asked);
        if (spent < static_cast<std::int32_t>(kStationAskMs) && !link.stop_requested())
            link.clock().sleep(kStationAskMs - static_cast<std::uint32_t>(spent));
    }
    link.close(true);
    return StationEnd::Stopped;
}

}  // namespace kest
