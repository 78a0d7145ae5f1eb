// The exit status of the command-line tools and of the loader's unattended run. Scripts
// rely on the numbers; the table from each transfer's outcome to them is session/exit_status.h.
#pragma once

namespace kest {

enum ExitStatus : int {
    kExitOk = 0,
    kExitTransferFailed = 1,  // refused, "FULL", retries exhausted
    kExitBadInput = 2,        // usage error or bad input file
    kExitLinkSetup = 3,       // port, cradle or line settings could not be set up
    kExitNoAnswer = 4,        // the terminal did not answer
    kExitInterrupted = 130,   // stopped by Ctrl+C or SIGTERM between two packets
};

}  // namespace kest
