// Win32 COM port: binary mode, 8N1 from the record, no flow control and no character
// translation. Reads wait in the driver (total time-out) until a byte arrives.
#include <windows.h>

#include <cctype>

#include "platform/serial_port.h"

namespace kest {
namespace {

// "COM10" and above open only in the device namespace form; "COM1".."COM9" and any
// other name are passed on unchanged.
std::string device_name(const std::string& name) {
    if (name.size() > 4 && (name[0] == 'C' || name[0] == 'c') && (name[1] == 'O' || name[1] == 'o') &&
        (name[2] == 'M' || name[2] == 'm')) {
        bool digits = true;
        for (std::size_t i = 3; i < name.size(); ++i)
            digits = digits && std::isdigit(static_cast<unsigned char>(name[i]));
        if (digits) return "\\\\.\\" + name;
    }
    return name;
}

// A COM port that another program holds is refused with "access denied".
PortProblem problem_of(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_NETPATH: return PortProblem::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION: return PortProblem::Busy;
    default: return PortProblem::Other;
    }
}

class Win32SerialPort final : public SerialPort {
public:
    ~Win32SerialPort() override { close(); }

    bool open(const std::string& name, std::size_t inQueue, std::size_t outQueue) override {
        close();
        handle_ =
            CreateFileA(device_name(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (handle_ == INVALID_HANDLE_VALUE) {
            problem_ = problem_of(GetLastError());
            return false;
        }
        SetupComm(handle_, static_cast<DWORD>(inQueue), static_cast<DWORD>(outQueue));
        readTimeout_ = kNoTimeoutSet;
        if (set_read_timeout(0)) {
            // Bytes left on the line by an earlier run would be read as this one's answer.
            PurgeComm(handle_, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
            problem_ = PortProblem::None;
            return true;
        }
        close();
        problem_ = PortProblem::NotSerial;
        return false;
    }

    PortProblem open_problem() const override { return problem_; }

    bool is_open() const override { return handle_ != INVALID_HANDLE_VALUE; }

    bool apply(const LineSettings& s) override {
        if (!is_open()) return false;
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!GetCommState(handle_, &dcb)) return false;
        dcb.BaudRate = s.baud;
        dcb.fBinary = TRUE;
        dcb.fParity = s.parity ? TRUE : FALSE;
        dcb.Parity = s.parity ? EVENPARITY : NOPARITY;
        dcb.ByteSize = s.dataBits;
        dcb.StopBits = s.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
        dcb.fOutxCtsFlow = s.ctsFlow ? TRUE : FALSE;
        dcb.fOutxDsrFlow = FALSE;
        dcb.fDsrSensitivity = FALSE;
        dcb.fDtrControl = s.dtrEnable ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
        dcb.fRtsControl = s.rtsEnable ? RTS_CONTROL_ENABLE : RTS_CONTROL_DISABLE;
        // 0x11 and 0x13 are data like any other byte.
        dcb.fOutX = s.xonXoff ? TRUE : FALSE;
        dcb.fInX = FALSE;
        dcb.fErrorChar = FALSE;
        dcb.fNull = FALSE;
        dcb.fAbortOnError = FALSE;
        dcb.fTXContinueOnXoff = TRUE;
        return SetCommState(handle_, &dcb) != 0;
    }

    bool write(std::span<const std::uint8_t> bytes) override {
        if (!is_open()) return false;
        DWORD written = 0;
        if (!WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)) return false;
        return written == bytes.size();
    }

    std::size_t read(std::uint8_t* buffer, std::size_t max, std::uint32_t timeoutMs) override {
        DWORD got = 0;
        COMSTAT status{};
        DWORD errors = 0;
        if (is_open() && max > 0 && ClearCommError(handle_, &errors, &status)) {
            // Bytes already buffered are taken at once; otherwise one byte is awaited in
            // the driver until it arrives or the time-out passes.
            const DWORD buffered = status.cbInQue;
            const DWORD want = buffered > 0 ? (buffered < max ? buffered : static_cast<DWORD>(max)) : 1;
            if (set_read_timeout(buffered > 0 ? 0 : timeoutMs) && ReadFile(handle_, buffer, want, &got, nullptr))
                return got;
        }
        // A port that fails (an adapter pulled out) delivers nothing: wait out the
        // time-out rather than let the caller spin on it.
        Sleep(timeoutMs);
        return 0;
    }

    void purge_input() override {
        if (is_open()) PurgeComm(handle_, PURGE_RXCLEAR);
    }

    void close() override {
        if (is_open()) CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }

private:
    static constexpr std::uint32_t kNoTimeoutSet = 0xFFFFFFFF;
    PortProblem problem_ = PortProblem::None;

    // A total time-out without interval or multiplier: a read of one byte returns as
    // soon as it arrives, else after the constant. A zero time-out is the non-blocking
    // form (interval MAXDWORD), since all zeros would wait for ever. Writes get 5 ms a
    // byte plus 50 ms.
    bool set_read_timeout(std::uint32_t timeoutMs) {
        if (timeoutMs >= MAXDWORD - 1) timeoutMs = MAXDWORD - 2;
        if (timeoutMs == readTimeout_) return true;
        COMMTIMEOUTS t{};
        t.ReadIntervalTimeout = timeoutMs == 0 ? MAXDWORD : 0;
        t.ReadTotalTimeoutMultiplier = 0;
        t.ReadTotalTimeoutConstant = timeoutMs;
        t.WriteTotalTimeoutMultiplier = 5;
        t.WriteTotalTimeoutConstant = 50;
        if (!SetCommTimeouts(handle_, &t)) return false;
        readTimeout_ = timeoutMs;
        return true;
    }

    HANDLE handle_ = INVALID_HANDLE_VALUE;
    std::uint32_t readTimeout_ = kNoTimeoutSet;
};

}  // namespace

std::unique_ptr<SerialPort> make_serial_port() { return std::make_unique<Win32SerialPort>(); }

}  // namespace kest
