// The one table that turns the outcome of each transfer into the exit status of kest and
// of the loader's unattended run.
#pragma once

#include "common/exit_status.h"

namespace kest {

enum class DownloadOutcome;
enum class UploadEnd;
enum class CradleCheck;
namespace loader {
struct SessionResult;
}

ExitStatus exit_status(DownloadOutcome outcome);              // kest download, kest lookup
ExitStatus exit_status(UploadEnd end);                        // kest upload
ExitStatus exit_status(CradleCheck end);                      // kest cradle
ExitStatus exit_status(const loader::SessionResult& result);  // kest flash, tamplo FILE,P R

}  // namespace kest
