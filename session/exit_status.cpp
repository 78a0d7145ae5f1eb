#include "session/exit_status.h"

#include "link/cradle_setup.h"
#include "session/download_session.h"
#include "session/upload_session.h"

namespace kest {

// Every switch names every outcome, so that a new one cannot go without its status.

ExitStatus exit_status(DownloadOutcome outcome) {
    switch (outcome) {
    case DownloadOutcome::Completed: return kExitOk;
    case DownloadOutcome::Cancelled:
    case DownloadOutcome::FileUnreadable:
    case DownloadOutcome::LineTooLong:
    case DownloadOutcome::FileRefused: return kExitBadInput;
    case DownloadOutcome::PortUnavailable:
    case DownloadOutcome::CradleFailed:
    case DownloadOutcome::LineSettingsFailed: return kExitLinkSetup;
    case DownloadOutcome::NotReady: return kExitNoAnswer;
    case DownloadOutcome::MemoryFull:
    case DownloadOutcome::TransferFailed: return kExitTransferFailed;
    case DownloadOutcome::Interrupted: return kExitInterrupted;
    }
    return kExitTransferFailed;
}

ExitStatus exit_status(UploadEnd end) {
    switch (end) {
    case UploadEnd::Over: return kExitOk;
    case UploadEnd::Cancelled:
    case UploadEnd::FileError: return kExitBadInput;
    case UploadEnd::PortFailed:
    case UploadEnd::CradleFailed:
    case UploadEnd::LineFailed: return kExitLinkSetup;
    case UploadEnd::NoAnswer: return kExitNoAnswer;
    case UploadEnd::Refused:
    case UploadEnd::TimedOut:
    case UploadEnd::WriteFailed:
    case UploadEnd::ReplaceFailed: return kExitTransferFailed;
    case UploadEnd::Interrupted: return kExitInterrupted;
    }
    return kExitTransferFailed;
}

ExitStatus exit_status(CradleCheck end) {
    switch (end) {
    case CradleCheck::Switched: return kExitOk;
    case CradleCheck::PortFailed:
    case CradleCheck::LineFailed:
    case CradleCheck::NoCradle: return kExitLinkSetup;
    }
    return kExitLinkSetup;
}

}  // namespace kest
