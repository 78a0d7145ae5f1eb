// The part `kest download` and `kest lookup` share: the download session on one port (or a
// station there with --wait), its failure said in one line, its summary.
#pragma once

#include <optional>
#include <string>

#include "kest/fleet.h"
#include "project/project.h"
#include "session/download_session.h"

namespace kest::cli {

// Runs the download (lookupFile set: a lookup download of that file, prepared and told
// about by prepareLookup) on run's port at rateIndex; file is what the summary names. Each
// transfer gets its own copy of the project.
void download_on_port(PortRun& run, const Project& project, const std::string& file, int rateIndex,
                      const std::optional<std::string>& lookupFile,
                      const decltype(DownloadOptions::prepareLookup)& prepareLookup, bool station);

}  // namespace kest::cli
