#include "session/exit_status.h"

#include "loader/loader_session.h"

// The loader program links this table's row for the flash and nothing of the generator's
// transfers, so the row has a file of its own.
namespace kest {

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
