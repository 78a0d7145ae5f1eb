#include "fuzz/scratch.h"

#include "tests/support/temp_dir.h"

namespace kest::fuzz {

std::string scratch_path(const char* name) {
    static const testing::TempDir folder;
    return folder.file(name);
}

std::string scratch_file(const char* name, Input bytes) {
    const std::string path = scratch_path(name);
    testing::TempDir::write(path, std::vector<unsigned char>(bytes.begin(), bytes.end()));
    return path;
}

}  // namespace kest::fuzz
