#include "common/exit_status.h"

#include "link/cradle_setup.h"
#include "link/download.h"
#include "link/upload.h"
#include "loader/loader_session.h"

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

ExitStatus exit_status(const loader::SessionResult& result) {
    using loader::FlashOutcome;
    using loader::SessionEnd;
    switch (result.end) {
    case SessionEnd::Done:
    case SessionEnd::Cancelled: return kExitOk;
    case SessionEnd::FileUnreadable: return kExitBadInput;
    case SessionEnd::PortFailed:
    case SessionEnd::CradleFailed:
    case SessionEnd::LineFailed: return kExitLinkSetup;
    case SessionEnd::AttemptFailed: break;
    }
    switch (result.last) {
    case FlashOutcome::BadFile: return kExitBadInput;
    case FlashOutcome::NotReady: return kExitNoAnswer;
    case FlashOutcome::Stopped:
    case FlashOutcome::StoppedBeforeErase: return kExitInterrupted;
    case FlashOutcome::Done:
    case FlashOutcome::EraseRefused:
    case FlashOutcome::EraseFailed:
    case FlashOutcome::RecordFailed: break;
    }
    return kExitTransferFailed;
}

}  // namespace kest
