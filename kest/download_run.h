// The part `kest download` and `kest lookup` share: the download core on the console,
// its outcome as the exit status and a one-line summary on stderr.
#pragma once

#include <optional>
#include <string>

#include "kest/transfer_options.h"
#include "session/download_session.h"
#include "project/project.h"

namespace kest::cli {

// Runs the download (lookupFile set: a lookup download of that file, prepared and told
// about by prepareLookup) on the port named by --port at rateIndex. Returns the exit status.
int run_download(const char* command, Project& project, TransferSetup& setup, int rateIndex,
                 const std::optional<std::string>& lookupFile,
                 decltype(DownloadOptions::prepareLookup) prepareLookup = {});

}  // namespace kest::cli
