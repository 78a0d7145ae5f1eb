// The serial link as every transfer sees it: one port, the device-control record that
// lives for the whole program run, the link pause, and byte reads with tick deadlines.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/serial_port.h"

namespace kest {

inline constexpr int kRateCount = 5;
// Rate list, shown in this order in both programs.
inline constexpr std::array<std::uint32_t, kRateCount> kRates = {115200, 57600, 38400, 19200, 9600};
// One-byte rate codes the cradle takes after 0x07.
inline constexpr std::array<std::uint8_t, kRateCount> kCradleRateCodes = {'6', '5', '4', '3', '2'};

inline constexpr std::uint32_t kLinkPauseMs = 100;

// Queue sizes of the driver: downloads (application, lookup, flash) and the data upload.
inline constexpr std::size_t kInQueue = 256;
inline constexpr std::size_t kDownloadOutQueue = 1200;
inline constexpr std::size_t kUploadOutQueue = 256;

// Index of a rate in kRates, or nothing.
std::optional<int> rate_index(std::uint32_t baud);

// Port lists: the generator offers COM1-COM6, the loader COM1-COM8.
inline constexpr int kGeneratorPortCount = 6;
inline constexpr int kLoaderPortCount = 8;
// "COM1" for index 0 and so on; the name is opened as it is.
std::string port_name(int index);

class Link {
public:
    Link(SerialPort& port, Clock& clock) : port_(port), clock_(clock) {}

    bool open(const std::string& portName, std::size_t inQueue, std::size_t outQueue);
    // Discards unread input first when purge is set.
    void close(bool purge);
    bool is_open() const { return port_.is_open(); }

    // The device-control record; never reset between transfers of one run.
    LineSettings& settings() { return settings_; }
    // Rate of kRates[rateIndex], 8 data bits, no parity, one stop bit, into the record.
    void set_line(int rateIndex);
    // Applies the record to the port (SetCommState).
    bool apply() { return port_.apply(settings_); }

    // Blocking 100 ms pause after line changes and control bytes.
    void pause() { clock_.sleep(kLinkPauseMs); }

    bool write(std::span<const std::uint8_t> bytes) { return port_.write(bytes); }
    bool write(const std::string& text);
    // One byte, waiting until it arrives or the tick count passes deadline.
    std::optional<std::uint8_t> read_byte(std::uint32_t deadline);
    void purge_input() { port_.purge_input(); }

    std::uint32_t now() { return clock_.ticks(); }
    Clock& clock() { return clock_; }
    SerialPort& port() { return port_; }

private:
    SerialPort& port_;
    Clock& clock_;
    LineSettings settings_{};
};

// How read_reply ended.
enum class ReplyEnd { Cr, Full, Deadline };

// Reads a reply that ends with CR into reply, byte by byte, until its CR (kept), until
// reply holds keep bytes, or until the tick count passes deadline. What happens to the
// bytes after a full reply is the caller's rule.
ReplyEnd read_reply(Link& link, std::uint32_t deadline, std::size_t keep, std::vector<std::uint8_t>& reply);

}  // namespace kest
