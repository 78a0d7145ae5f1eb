#include "kestemu/pty_transport.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/posix/write_all.h"

namespace kest::emu {

namespace {

std::uint32_t rate_of(speed_t speed) {
    switch (speed) {
    case B115200: return 115200;
    case B57600: return 57600;
    case B38400: return 38400;
    case B19200: return 19200;
    case B9600: return 9600;
    case B4800: return 4800;
    case B2400: return 2400;
    default: return 0;
    }
}

std::string system_error(const std::string& what) { return what + ": " + std::strerror(errno); }

}  // namespace

#ifdef __linux__
std::uint32_t line_rate(int fd);  // line_rate_linux.cpp
#endif

PtyTransport::~PtyTransport() {
    // Only the link this emulator made goes: whatever stands there now was put there by
    // someone else.
    if (!link_.empty()) {
        char target[4096];
        const ssize_t n = readlink(link_.c_str(), target, sizeof target);
        if (n > 0 && std::string(target, static_cast<std::size_t>(n)) == device_) unlink(link_.c_str());
    }
    if (lock_ >= 0) {
        unlink(lockPath_.c_str());
        ::close(lock_);
    }
    if (device_side_ >= 0) ::close(device_side_);
    if (master_ >= 0) ::close(master_);
}

// The lock file beside the link, held while this emulator serves it: a second emulator on
// the same link path finds it taken.
bool PtyTransport::lock(const std::string& linkPath, std::string& error) {
    lockPath_ = linkPath + ".lock";
    for (int attempt = 0; attempt < 5; ++attempt) {
        const int fd = ::open(lockPath_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd < 0) {
            error = system_error("cannot make the lock file " + lockPath_);
            return false;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            error = linkPath + " is in use by another kestemu (" + lockPath_ + " is locked); not taken over";
            return false;
        }
        // The holder before may have removed the file between our open and our lock.
        struct stat held {
        }, named{};
        if (fstat(fd, &held) == 0 && stat(lockPath_.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
            held.st_dev == named.st_dev) {
            lock_ = fd;
            return true;
        }
        ::close(fd);
    }
    error = "cannot lock " + lockPath_;
    return false;
}

bool PtyTransport::open(const std::string& linkPath, std::string& error) {
    if (!lock(linkPath, error)) return false;
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        error = system_error("cannot create a pseudo-terminal");
        return false;
    }
    const char* name = ptsname(master_);
    if (!name) {
        error = system_error("cannot name the pseudo-terminal");
        return false;
    }
    device_ = name;
    device_side_ = ::open(device_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (device_side_ < 0) {
        error = system_error("cannot open " + device_);
        return false;
    }
    // Raw from the start: no echo, no translation, before the PC sets anything.
    termios tio{};
    tcgetattr(device_side_, &tio);
    cfmakeraw(&tio);
    cfsetispeed(&tio, B9600);
    cfsetospeed(&tio, B9600);
    tcsetattr(device_side_, TCSANOW, &tio);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);

    struct stat st {};
    if (lstat(linkPath.c_str(), &st) == 0) {
        if (!S_ISLNK(st.st_mode)) {
            error = linkPath + " exists and is not a link; not replaced";
            return false;
        }
        unlink(linkPath.c_str());
    }
    if (symlink(device_.c_str(), linkPath.c_str()) != 0) {
        error = system_error("cannot make the link " + linkPath);
        return false;
    }
    link_ = linkPath;
    return true;
}

std::uint32_t PtyTransport::pc_rate() const {
#ifdef __linux__
    if (const std::uint32_t rate = line_rate(device_side_)) return rate;
#endif
    termios tio{};
    if (tcgetattr(device_side_, &tio) != 0) return 0;
    return rate_of(cfgetospeed(&tio));
}

std::size_t PtyTransport::read(std::uint8_t* buffer, std::size_t max) {
    const ssize_t n = ::read(master_, buffer, max);
    return n > 0 ? static_cast<std::size_t>(n) : 0;
}

bool PtyTransport::write(ByteView bytes) {
    // The PC may not be reading; give it a moment, then give the bytes up.
    return posix::write_all(master_, bytes, std::chrono::steady_clock::now() + std::chrono::milliseconds(200));
}

}  // namespace kest::emu
