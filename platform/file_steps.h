// The file steps of the operating system (common/output_file.h): what every program hands
// to the files it saves. Data is put on the disk with fsync (FlushFileBuffers on Windows)
// before the rename, and the rename with a sync of its folder (a written-through move on
// Windows), so that a saved file survives a crash of the system or a power cut.
#pragma once

#include "common/output_file.h"

namespace kest {

class SystemFileSteps : public FileSteps {
public:
    bool sync(std::FILE* file) override;
    bool rename(const std::filesystem::path& from, const std::filesystem::path& to) override;
    bool sync_folder(const std::filesystem::path& folder) override;
};

SystemFileSteps& system_file_steps();

}  // namespace kest
