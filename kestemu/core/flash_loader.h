// The terminal's flash loader as far as records go: binary "S3" records ("S", "3", count,
// four address bytes, data, checksum, CR) are checked and written into the flash memory,
// the "S7" record ends the program.
#pragma once

#include <cstdint>
#include <map>
#include <optional>

#include "kestemu/core/types.h"

namespace kest::emu {

class FlashMemory {
public:
    FlashMemory(std::uint32_t base, std::uint64_t size) : base_(base), size_(size) {}

    void erase() { bytes_.clear(); }
    // Whether [address, address + length) lies in the flash.
    bool covers(std::uint32_t address, std::size_t length) const;
    // Flash bits only go from 1 to 0 until the next erase: a byte written before can only be
    // written again with the same value.
    bool writable(std::uint32_t address, ByteView data) const;
    void write(std::uint32_t address, ByteView data);

    bool empty() const { return bytes_.empty(); }
    // Lowest written address; the image runs from there to the highest, gaps erased (0xFF).
    std::uint32_t lowest() const { return bytes_.empty() ? 0 : bytes_.begin()->first; }
    Bytes image() const;

private:
    std::uint32_t base_;
    std::uint64_t size_;
    std::map<std::uint32_t, std::uint8_t> bytes_;
};

class FlashRecords {
public:
    enum class Verdict {
        Accepted,  // "FA"
        Again,     // "FN": damaged in transit, send it again
        Failed,    // "FF": cannot be written (outside the flash, or over other data)
        End,       // the "S7" end record
    };

    explicit FlashRecords(FlashMemory& memory) : memory_(memory) {}

    // Length of the record whose first bytes are given (count + 4), once the count is known.
    static std::optional<std::size_t> length(ByteView prefix);
    Verdict accept(ByteView record);

    // A record as the PC builds it (for tests and trials).
    static Bytes record(char type, std::uint32_t address, ByteView data);

private:
    FlashMemory& memory_;
};

}  // namespace kest::emu
