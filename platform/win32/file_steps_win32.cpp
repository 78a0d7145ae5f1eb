#include <io.h>
#include <windows.h>

#include <cstdio>
#include <system_error>

#include "platform/file_steps.h"

namespace kest {

namespace {

bool move(const std::filesystem::path& from, const std::filesystem::path& to, DWORD flags) {
    return MoveFileExW(from.c_str(), to.c_str(), flags | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

bool SystemFileSteps::sync(std::FILE* file) {
    const intptr_t handle = _get_osfhandle(_fileno(file));
    if (handle == -1) return false;
    return FlushFileBuffers(reinterpret_cast<HANDLE>(handle)) != 0;
}

// The move returns when it is on the disk. A read-only target cannot be replaced by a
// move: it is moved aside first and put back if the move fails.
bool SystemFileSteps::rename(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (move(from, to, MOVEFILE_REPLACE_EXISTING)) return true;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(to, ec)) return false;
    std::filesystem::path aside = to;
    aside += ".old~";
    std::filesystem::permissions(aside, std::filesystem::perms::owner_write, std::filesystem::perm_options::add, ec);
    std::filesystem::remove(aside, ec);
    if (!move(to, aside, 0)) return false;
    if (!move(from, to, 0)) {
        move(aside, to, 0);
        return false;
    }
    std::filesystem::permissions(aside, std::filesystem::perms::owner_write, std::filesystem::perm_options::add, ec);
    std::filesystem::remove(aside, ec);
    return true;
}

// The written-through move has put the folder's entry on the disk already.
bool SystemFileSteps::sync_folder(const std::filesystem::path&) { return true; }

SystemFileSteps& system_file_steps() {
    static SystemFileSteps steps;
    return steps;
}

}  // namespace kest
