// The emulator's end of the line: a pseudo-terminal whose device side is reached through a
// symbolic link, so that the PC tools (and Wine COM ports) open it like a serial port.
#pragma once

#include <cstdint>
#include <string>

#include "kestemu/core/types.h"

namespace kest::emu {

class PtyTransport {
public:
    PtyTransport() = default;
    PtyTransport(const PtyTransport&) = delete;
    PtyTransport& operator=(const PtyTransport&) = delete;
    // Closes both sides and removes the link (if it is still the one made by open) and
    // the lock.
    ~PtyTransport();

    // Creates the pseudo-terminal and the link at linkPath. A link that another emulator
    // serves (its lock file linkPath.lock is held) is an error; a stale link is replaced;
    // any other file there is left alone and is an error.
    bool open(const std::string& linkPath, std::string& error);

    // The side the emulator reads and writes; poll it for input.
    int fd() const { return master_; }
    // The rate the PC last set on its port in bit/s (0 when unknown).
    std::uint32_t pc_rate() const;
    // Reads what is waiting (0 when nothing).
    std::size_t read(std::uint8_t* buffer, std::size_t max);
    // Writes all bytes; false when the PC leaves them unread and the line is full.
    bool write(ByteView bytes);
    const std::string& device() const { return device_; }

private:
    bool lock(const std::string& linkPath, std::string& error);

    int lock_ = -1;  // held for the whole run
    std::string lockPath_;
    int master_ = -1;
    int device_side_ = -1;  // held open: the PC's open and close never hang up the line
    std::string device_;
    std::string link_;
};

}  // namespace kest::emu
