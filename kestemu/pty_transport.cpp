#include "kestemu/pty_transport.h"

#include <fcntl.h>
#include <poll.h>
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
    if (!link_.empty()) {
        struct stat st {};
        if (lstat(link_.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) unlink(link_.c_str());
    }
    if (device_side_ >= 0) ::close(device_side_);
    if (master_ >= 0) ::close(master_);
}

bool PtyTransport::open(const std::string& linkPath, std::string& error) {
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
