// The POSIX serial port over a real pseudo-terminal: raw bytes both ways, line settings
// reaching the device, modem-control requests tolerated.
#ifndef _WIN32

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/serial_port.h"

namespace kest {
namespace {

using Bytes = std::vector<std::uint8_t>;

// The far end of the line: the pseudo-terminal's controller side.
struct PtyPeer {
    int master = -1;
    std::string device;

    PtyPeer() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) return;
        device = ptsname(master);
    }
    ~PtyPeer() { hang_up(); }
    void hang_up() {
        if (master >= 0) ::close(master);
        master = -1;
    }
    Bytes read_all(std::size_t count) {
        Bytes got;
        while (got.size() < count) {
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 2000) <= 0) break;
            std::uint8_t buf[512];
            const ssize_t n = ::read(master, buf, sizeof buf);
            if (n <= 0) break;
            got.insert(got.end(), buf, buf + n);
        }
        return got;
    }
};

Bytes every_byte_value() {
    Bytes all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<std::uint8_t>(i);
    return all;
}

LineSettings line(std::uint32_t baud, bool rts, bool dtr) {
    LineSettings s;
    s.baud = baud;
    s.rtsEnable = rts;
    s.dtrEnable = dtr;
    return s;
}

TEST(PosixSerialPort, EveryByteValuePassesBothWays) {
    PtyPeer peer;
    ASSERT_FALSE(peer.device.empty());
    auto port = make_serial_port();
    ASSERT_TRUE(port->open(peer.device, 256, 1200));
    ASSERT_TRUE(port->apply(line(9600, true, true)));  // no modem lines on a pty: tolerated

    const Bytes all = every_byte_value();
    ASSERT_TRUE(port->write(all));
    EXPECT_EQ(peer.read_all(all.size()), all);

    ASSERT_EQ(::write(peer.master, all.data(), all.size()), 256);
    Bytes got;
    std::uint8_t buf[300];
    while (got.size() < all.size()) {
        const std::size_t n = port->read(buf, sizeof buf, 2000);
        if (n == 0) break;
        got.insert(got.end(), buf, buf + n);
    }
    EXPECT_EQ(got, all);
    port->close();
    EXPECT_FALSE(port->is_open());
}

TEST(PosixSerialPort, RateReachesTheDevice) {
    PtyPeer peer;
    ASSERT_FALSE(peer.device.empty());
    auto port = make_serial_port();
    ASSERT_TRUE(port->open(peer.device, 256, 256));
    // A second descriptor of the device shows its settings, as the emulator reads them.
    const int watch = ::open(peer.device.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(watch, 0);
    const struct {
        std::uint32_t baud;
        speed_t speed;
    } rates[] = {{115200, B115200}, {57600, B57600}, {38400, B38400}, {19200, B19200}, {9600, B9600}};
    for (const auto& r : rates) {
        ASSERT_TRUE(port->apply(line(r.baud, false, true)));
        termios tio{};
        ASSERT_EQ(tcgetattr(watch, &tio), 0);
        EXPECT_EQ(cfgetospeed(&tio), r.speed) << r.baud;
        EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
        EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
        EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
        EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    }
    EXPECT_FALSE(port->apply(line(12345, true, true)));  // not a rate of the line
    ::close(watch);
}

TEST(PosixSerialPort, ReadTimesOutAndPurgeDiscardsInput) {
    PtyPeer peer;
    ASSERT_FALSE(peer.device.empty());
    auto port = make_serial_port();
    ASSERT_TRUE(port->open(peer.device, 256, 256));
    ASSERT_TRUE(port->apply(line(19200, true, true)));
    std::uint8_t b = 0;
    EXPECT_EQ(port->read(&b, 1, 30), 0u);

    ASSERT_EQ(::write(peer.master, "old", 3), 3);
    usleep(20000);  // let the bytes cross the pseudo-terminal
    port->purge_input();
    ASSERT_EQ(::write(peer.master, "N", 1), 1);
    EXPECT_EQ(port->read(&b, 1, 2000), 1u);
    EXPECT_EQ(b, 'N');
}

TEST(PosixSerialPort, HungUpPeerWaitsOutTheTimeout) {
    PtyPeer peer;
    ASSERT_FALSE(peer.device.empty());
    auto port = make_serial_port();
    ASSERT_TRUE(port->open(peer.device, 256, 256));
    peer.hang_up();
    std::uint8_t b = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(port->read(&b, 1, 60), 0u);
    // Returning before the time-out would make every caller's wait a spin.
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(60));
}

TEST(PosixSerialPort, OnePortUserAtATime) {
    PtyPeer peer;
    ASSERT_FALSE(peer.device.empty());
    auto first = make_serial_port();
    auto second = make_serial_port();
    ASSERT_TRUE(first->open(peer.device, 256, 256));
    EXPECT_FALSE(second->open(peer.device, 256, 256));
    EXPECT_FALSE(second->is_open());
    first->close();
    EXPECT_TRUE(second->open(peer.device, 256, 256));
}

// Bytes a broken-off transfer left on the line never reach the next program that opens
// the port.
TEST(PosixSerialPort, BytesLeftOnTheLineAreDiscardedOnOpen) {
    PtyPeer peer;
    ASSERT_FALSE(peer.device.empty());
    auto port = make_serial_port();
    ASSERT_TRUE(port->open(peer.device, 256, 256));
    const Bytes leftOver = {'A', 'C', 'K', 0x0D, 0x00, 'R', '1', 0x0D};
    ASSERT_EQ(::write(peer.master, leftOver.data(), leftOver.size()), static_cast<ssize_t>(leftOver.size()));
    std::uint8_t b = 0;
    ASSERT_EQ(port->read(&b, 1, 1000), 1u) << "the bytes are on the line";
    port->close();
    ASSERT_TRUE(port->open(peer.device, 256, 256));
    EXPECT_EQ(port->read(&b, 1, 100), 0u) << "left over: " << int(b);
    ASSERT_EQ(::write(peer.master, "x", 1), 1);
    ASSERT_EQ(port->read(&b, 1, 1000), 1u);
    EXPECT_EQ(b, 'x');
}

TEST(PosixSerialPort, OpenFailsOnMissingOrNonTerminalPaths) {
    auto port = make_serial_port();
    EXPECT_FALSE(port->open("/nonexistent/ttyKEST0", 256, 256));
    EXPECT_FALSE(port->is_open());
    EXPECT_FALSE(port->open("/dev/null", 256, 256));
    EXPECT_FALSE(port->is_open());
    EXPECT_FALSE(port->apply(line(9600, false, false)));
    EXPECT_FALSE(port->write(Bytes{1}));
}

}  // namespace
}  // namespace kest

#endif
