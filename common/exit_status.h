// The exit status of the command-line tool and of the loader's unattended run, and the one
// table that turns the outcome of each transfer into it. Scripts rely on the numbers.
#pragma once

namespace kest {

enum class DownloadOutcome;
enum class UploadEnd;
enum class CradleCheck;
namespace loader {
struct SessionResult;
}

enum ExitStatus : int {
    kExitOk = 0,
    kExitTransferFailed = 1,  // refused, "FULL", retries exhausted
    kExitBadInput = 2,        // usage error or bad input file
    kExitLinkSetup = 3,       // port, cradle or line settings could not be set up
    kExitNoAnswer = 4,        // the terminal did not answer
    kExitInterrupted = 130,   // stopped by Ctrl+C or SIGTERM between two packets
};

ExitStatus exit_status(DownloadOutcome outcome);              // kest download, kest lookup
ExitStatus exit_status(UploadEnd end);                        // kest upload
ExitStatus exit_status(CradleCheck end);                      // kest cradle
ExitStatus exit_status(const loader::SessionResult& result);  // kest flash, tamplo FILE,P R

}  // namespace kest
