#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/file_steps.h"

namespace kest {

namespace {

// File systems that cannot sync a folder (or a file) say EINVAL: there is nothing they
// could put on the disk.
bool synced(int result) { return result == 0 || errno == EINVAL; }

}  // namespace

bool SystemFileSteps::sync(std::FILE* file) {
    const int fd = fileno(file);
    if (fd < 0) return false;
    int result;
    do result = ::fsync(fd);
    while (result != 0 && errno == EINTR);
    return synced(result);
}

bool SystemFileSteps::rename(const std::filesystem::path& from, const std::filesystem::path& to) {
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool SystemFileSteps::sync_folder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    int result;
    do result = ::fsync(fd);
    while (result != 0 && errno == EINTR);
    const bool ok = synced(result);
    ::close(fd);
    return ok;
}

SystemFileSteps& system_file_steps() {
    static SystemFileSteps steps;
    return steps;
}

}  // namespace kest
