#include "kestemu/core/state_sink.h"

#include <fstream>
#include <system_error>

namespace kest::emu {

bool FolderStateSink::store(const std::string& name, std::span<const ByteView> parts) {
    std::error_code ec;
    std::filesystem::create_directories(folder_, ec);
    const auto target = folder_ / name;
    auto temporary = target;
    temporary += ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out) return false;
        for (const ByteView part : parts)
            out.write(reinterpret_cast<const char*>(part.data()), static_cast<std::streamsize>(part.size()));
        if (!out.flush()) return false;
    }
    std::filesystem::rename(temporary, target, ec);
    return !ec;
}

}  // namespace kest::emu
