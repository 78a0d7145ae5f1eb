// File steps that put nothing on the disk: the files are written and renamed as always, the
// syncs are left out. For runs that write many files and test something else (fuzzing,
// the soak), where waiting for the disk would only slow them down.
#pragma once

#include "platform/file_steps.h"

namespace kest::testing {

class UnsyncedFileSteps final : public SystemFileSteps {
public:
    bool sync(std::FILE*) override { return true; }
    bool sync_folder(const std::filesystem::path&) override { return true; }
};

}  // namespace kest::testing
