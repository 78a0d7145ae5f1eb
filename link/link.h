// The serial link as every transfer sees it: the port and rate lists, one port, the
// device-control record that lives for the whole program run, the link pause, and byte
// reads with tick deadlines. Replies and packets are link/exchange.h.
#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/serial_port.h"
#include "project/project.h"

namespace kest {

class ExchangeLog;

// One-byte rate codes the cradle takes after 0x07.
inline constexpr std::array<std::uint8_t, kRateCount> kCradleRateCodes = {'6', '5', '4', '3', '2'};

inline constexpr std::uint32_t kLinkPauseMs = 100;

// Queue sizes of the driver: downloads (application, lookup, flash) and the data upload.
inline constexpr std::size_t kInQueue = 256;
inline constexpr std::size_t kDownloadOutQueue = 1200;
inline constexpr std::size_t kUploadOutQueue = 256;

// The bytes of a text as they go on the line.
inline std::span<const std::uint8_t> bytes_of(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// Index of a rate in kRates, or nothing.
std::optional<int> rate_index(std::uint32_t baud);
// "115200" ... "9600", as the port dialogs list them.
std::vector<std::string> rate_names();

// "COM1" for index 0 and so on; the name is opened as it is. Each program's port dialog
// says how many it offers.
std::string port_name(int index);
// The first count port names, as the port dialogs list them.
std::vector<std::string> port_names(int count);

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
    bool write(std::string_view text) { return port_.write(bytes_of(text)); }
    // One byte, waiting until it arrives or the tick count passes deadline.
    std::optional<std::uint8_t> read_byte(std::uint32_t deadline);
    void purge_input() { port_.purge_input(); }

    // Who follows the exchanges (kest --verbose); nobody unless set.
    void set_log(ExchangeLog* log) { log_ = log; }
    ExchangeLog* log() const { return log_; }

    // A request to stop (an interrupt of the command-line tool, set by its signal handler and
    // read by the links of every port): the transfers look at it before each packet they
    // send, never in the middle of one.
    void set_stop_flag(const std::atomic<bool>* flag) { stop_ = flag; }
    bool stop_requested() const { return stop_ && stop_->load(std::memory_order_relaxed); }

    std::uint32_t now() { return clock_.ticks(); }
    Clock& clock() { return clock_; }
    SerialPort& port() { return port_; }

private:
    SerialPort& port_;
    Clock& clock_;
    ExchangeLog* log_ = nullptr;
    LineSettings settings_{};
    const std::atomic<bool>* stop_ = nullptr;
};

}  // namespace kest
