#include "kestemu/core/state_sink.h"

#include <system_error>

namespace kest::emu {

bool FolderStateSink::store(const std::string& name, std::span<const ByteView> parts) {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    OutputFile file(files_);
    if (!file.open((folder_ / name).string(), OutputRules{.replace = true})) return false;
    for (const ByteView part : parts)
        if (!file.write(part)) return false;
    return file.commit();
}

}  // namespace kest::emu
