// POSIX serial port: any tty device path (a USB adapter, a pseudo-terminal), raw mode,
// no flow control and no character translation; reads wait in poll().
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "platform/serial_port.h"

namespace kest {
namespace {

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

class PosixSerialPort final : public SerialPort {
public:
    ~PosixSerialPort() override { close(); }

    bool open(const std::string& name, std::size_t, std::size_t) override {
        close();
        fd_ = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd_ < 0) return false;
        termios tio{};
        if (tcgetattr(fd_, &tio) != 0) {
            close();
            return false;
        }
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        tcsetattr(fd_, TCSANOW, &tio);
        return true;
    }

    bool is_open() const override { return fd_ >= 0; }

    bool apply(const LineSettings& s) override {
        if (fd_ < 0) return false;
        termios tio{};
        if (tcgetattr(fd_, &tio) != 0) return false;
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cflag &= ~(CSIZE | PARENB | CSTOPB | CRTSCTS);
        tio.c_cflag |= s.dataBits == 7 ? CS7 : CS8;
        if (s.parity) tio.c_cflag |= PARENB;
        if (s.stopBits == 2) tio.c_cflag |= CSTOPB;
        if (s.ctsFlow) tio.c_cflag |= CRTSCTS;
        tio.c_iflag &= ~(IXON | IXOFF | IXANY);
        if (s.xonXoff) tio.c_iflag |= IXON;
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        const speed_t speed = speed_of(s.baud);
        if (speed == B0) return false;
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
        if (tcsetattr(fd_, TCSANOW, &tio) != 0) return false;
        // Devices without modem lines (pseudo-terminals) refuse these; that is not an error.
        int bits = TIOCM_RTS;
        ioctl(fd_, s.rtsEnable ? TIOCMBIS : TIOCMBIC, &bits);
        bits = TIOCM_DTR;
        ioctl(fd_, s.dtrEnable ? TIOCMBIS : TIOCMBIC, &bits);
        return true;
    }

    bool write(std::span<const std::uint8_t> bytes) override {
        if (fd_ < 0) return false;
        std::size_t done = 0;
        while (done < bytes.size()) {
            ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<std::size_t>(n);
            } else if (n < 0 && errno == EAGAIN) {
                pollfd p{fd_, POLLOUT, 0};
                if (poll(&p, 1, 1000) <= 0) return false;
            } else if (n < 0 && errno == EINTR) {
                continue;
            } else {
                return false;
            }
        }
        return true;
    }

    std::size_t read(std::uint8_t* buffer, std::size_t max, std::uint32_t timeoutMs) override {
        if (fd_ < 0 || max == 0) return 0;
        pollfd p{fd_, POLLIN, 0};
        int r;
        do {
            r = poll(&p, 1, static_cast<int>(timeoutMs));
        } while (r < 0 && errno == EINTR);
        if (r <= 0 || !(p.revents & POLLIN)) {
            // A pseudo-terminal whose other side is gone reports POLLHUP at once; wait out
            // the deadline rather than spinning on it.
            if (r > 0 && (p.revents & (POLLHUP | POLLERR)) && timeoutMs > 0) usleep(timeoutMs * 1000u);
            return 0;
        }
        ssize_t n = ::read(fd_, buffer, max);
        return n > 0 ? static_cast<std::size_t>(n) : 0;
    }

    void purge_input() override {
        if (fd_ >= 0) tcflush(fd_, TCIFLUSH);
    }

    void close() override {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

}  // namespace

std::unique_ptr<SerialPort> make_serial_port() { return std::make_unique<PosixSerialPort>(); }

}  // namespace kest
