// POSIX serial port: any tty device path (a USB adapter, a pseudo-terminal), raw mode,
// no flow control and no character translation; reads and writes wait in poll().
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

#include "platform/posix/write_all.h"
#include "platform/serial_port.h"

namespace kest {
namespace {

using SteadyClock = std::chrono::steady_clock;

speed_t speed_of(std::uint32_t baud) {
    switch (baud) {
    case 115200: return B115200;
    case 57600: return B57600;
    case 38400: return B38400;
    case 19200: return B19200;
    case 9600: return B9600;
    case 4800: return B4800;
    case 2400: return B2400;
    default: return B0;
    }
}

int ms_until(SteadyClock::time_point deadline) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now()).count();
    return left > 0 ? static_cast<int>(left) : 0;
}

// Raw bytes: no echo, no signals, no CR/LF mapping, no XON/XOFF, no parity marking,
// reads return what is there (VMIN 0, VTIME 0; the waiting is done by poll()).
void make_raw(termios& tio) {
    cfmakeraw(&tio);
    tio.c_iflag &= ~(IXON | IXOFF | IXANY | ISTRIP | INLCR | IGNCR | ICRNL | IGNBRK | BRKINT | PARMRK | INPCK);
    tio.c_oflag &= ~OPOST;
    tio.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    tio.c_cflag |= CLOCAL | CREAD;
    tio.c_cc[VMIN] = 0;
    tio.c_cc[VTIME] = 0;
}

// Sets or clears one modem line. Devices without modem lines (pseudo-terminals) refuse
// the request; the line settings still hold, so that is not an error.
void set_modem_line(int fd, int line, bool on) {
    int bits = line;
    ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits);
}

PortProblem problem_of(int error) {
    switch (error) {
    case ENOENT:
    case ENXIO:
    case ENODEV: return PortProblem::NotFound;
    case EACCES:
    case EPERM:
    case EROFS: return PortProblem::NoPermission;
    case EBUSY: return PortProblem::Busy;
    case EISDIR:
    case ENOTDIR: return PortProblem::NotSerial;
    default: return PortProblem::Other;
    }
}

class PosixSerialPort final : public SerialPort {
public:
    ~PosixSerialPort() override { close(); }

    bool open(const std::string& name, std::size_t, std::size_t) override {
        close();
        fd_ = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) return failed(problem_of(errno));
        termios tio{};
        // Not a terminal device, or a port another program of ours is using: one user at
        // a time, like a COM port opened without sharing. The lock ends with the descriptor.
        if (tcgetattr(fd_, &tio) != 0) return failed(PortProblem::NotSerial);
        if (flock(fd_, LOCK_EX | LOCK_NB) != 0) return failed(PortProblem::Busy);
        problem_ = PortProblem::None;
        make_raw(tio);
        tcsetattr(fd_, TCSANOW, &tio);
        // Bytes left on the line by an earlier run (a transfer that was broken off) would be
        // read as the answer to this one.
        tcflush(fd_, TCIOFLUSH);
        return true;
    }

    PortProblem open_problem() const override { return problem_; }

    bool is_open() const override { return fd_ >= 0; }

    bool apply(const LineSettings& s) override {
        if (fd_ < 0) return false;
        const speed_t speed = speed_of(s.baud);
        if (speed == B0) return false;
        termios tio{};
        if (tcgetattr(fd_, &tio) != 0) return false;
        make_raw(tio);
        tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
        tio.c_cflag |= s.dataBits == 7 ? CS7 : CS8;
        if (s.parity) tio.c_cflag |= PARENB;
        if (s.stopBits == 2) tio.c_cflag |= CSTOPB;
        if (s.ctsFlow) tio.c_cflag |= CRTSCTS;
        if (s.xonXoff) tio.c_iflag |= IXON;
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
        if (tcsetattr(fd_, TCSANOW, &tio) != 0) return false;
        set_modem_line(fd_, TIOCM_RTS, s.rtsEnable);
        set_modem_line(fd_, TIOCM_DTR, s.dtrEnable);
        return true;
    }

    // A write may take 5 ms a byte plus 50 ms before it counts as failed.
    bool write(std::span<const std::uint8_t> bytes) override {
        if (fd_ < 0) return false;
        return posix::write_all(fd_, bytes, SteadyClock::now() + std::chrono::milliseconds(5 * bytes.size() + 50));
    }

    std::size_t read(std::uint8_t* buffer, std::size_t max, std::uint32_t timeoutMs) override {
        const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
        if (fd_ < 0 || max == 0) {
            std::this_thread::sleep_until(deadline);
            return 0;
        }
        for (;;) {
            pollfd p{fd_, POLLIN, 0};
            const int r = poll(&p, 1, ms_until(deadline));
            if (r == 0) return 0;
            if (r < 0) {
                if (errno == EINTR) continue;
                break;
            }
            if (p.revents & POLLIN) {
                const ssize_t n = ::read(fd_, buffer, max);
                if (n > 0) return static_cast<std::size_t>(n);
                if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            }
            // Hang-up or error (a pseudo-terminal whose other side is gone): nothing will
            // arrive, so wait out the time-out instead of spinning on it.
            break;
        }
        std::this_thread::sleep_until(deadline);
        return 0;
    }

    void purge_input() override {
        if (fd_ >= 0) tcflush(fd_, TCIFLUSH);
    }

    void close() override {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    bool failed(PortProblem problem) {
        close();
        problem_ = problem;
        return false;
    }

    int fd_ = -1;
    PortProblem problem_ = PortProblem::None;
};

}  // namespace

std::unique_ptr<SerialPort> make_serial_port() { return std::make_unique<PosixSerialPort>(); }

}  // namespace kest
