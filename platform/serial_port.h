// Serial port service. One implementation per platform (Win32 COM ports, POSIX tty
// devices) and a scripted double for tests. The port never translates or filters bytes:
// every value 0x00-0xFF passes in both directions, XON/XOFF included.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kest {

// The device-control record of the link: kept for a whole program run and reused by
// every transfer, so changes made by one cradle set-up remain for the next transfer.
struct LineSettings {
    std::uint32_t baud = 9600;
    std::uint8_t dataBits = 8;
    bool parity = false;  // false: no parity
    std::uint8_t stopBits = 1;
    bool rtsEnable = false;  // RTS line control on (asserted)
    bool dtrEnable = false;  // DTR line control on (asserted)
    bool ctsFlow = false;    // CTS output flow control
    bool xonXoff = false;    // XON/XOFF output flow control
};

// Why a port could not be opened.
enum class PortProblem {
    None,
    NotFound,      // no such device
    NoPermission,  // the user may not open it
    Busy,          // another program has it open
    NotSerial,     // it is no serial device
    Other,
};

// "not found", "permission denied", "busy: another program has it open", ...
const char* port_problem_text(PortProblem problem);

class SerialPort {
public:
    virtual ~SerialPort() = default;
    // Opens the named port ("COM1", "/dev/ttyUSB0", a pseudo-terminal link) with the
    // given driver queue sizes and discards input and output left on the line from before.
    // False when the port cannot be opened.
    virtual bool open(const std::string& name, std::size_t inQueue, std::size_t outQueue) = 0;
    // Why the last open failed (None after one that succeeded).
    virtual PortProblem open_problem() const { return PortProblem::Other; }
    virtual bool is_open() const = 0;
    // Applies the line settings (the SetCommState step). False on failure.
    virtual bool apply(const LineSettings& settings) = 0;
    // Writes all bytes in one write. False when they could not be written.
    virtual bool write(std::span<const std::uint8_t> bytes) = 0;
    // Waits until at least one byte is available or timeoutMs has passed, then returns
    // up to max buffered bytes (0 on time-out). Waiting blocks in the operating system.
    virtual std::size_t read(std::uint8_t* buffer, std::size_t max, std::uint32_t timeoutMs) = 0;
    // Discards unread input.
    virtual void purge_input() = 0;
    virtual void close() = 0;
};

}  // namespace kest

#include <memory>
#include <vector>

namespace kest {
// The platform's serial port (Win32 COM port or POSIX tty device).
std::unique_ptr<SerialPort> make_serial_port();

// A serial port the machine knows, as `kest ports` lists it.
struct PortEntry {
    std::string name;         // what a transfer opens: "/dev/ttyUSB0", "COM3"
    std::string driver;       // "ftdi_sio", "serial"; may be empty
    std::string description;  // "FT232R USB UART (FTDI) 0403:6001", "\\Device\\Serial0"; may be empty
    std::string stableName;   // a name that stays when the adapter is plugged in elsewhere
                              // ("/dev/serial/by-id/usb-FTDI_..."); may be empty
    std::string usbId;        // "0403:6001" of a USB adapter; may be empty
    std::string usbSerial;    // its USB serial number, where it has one
};

// The serial ports of the machine, found without opening any: on Linux the tty devices of
// sysfs with a driver, on Windows the COM ports of the registry's SERIALCOMM key. Sorted by
// port_name_less.
std::vector<PortEntry> system_serial_ports();

// Orders names like "COM2" < "COM10" and "ttyS9" < "ttyS10".
bool port_name_less(const std::string& a, const std::string& b);

}  // namespace kest
