// The terminal's flash loader as far as records go: binary "S3" records ("S", "3", count,
// four address bytes, data, checksum, CR) are checked and written into the flash memory,
// the "S7" record ends the program.
#pragma once

#include <array>
#include <bitset>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "kestemu/core/types.h"

namespace kest::emu {

// The flash memory as far as it was written since the last erase, kept in pages that are
// allocated on the first write: about one byte (and one bit) per written byte however much
// is written.
class FlashMemory {
public:
    static constexpr std::size_t kPageSize = 4096;

    FlashMemory(std::uint32_t base, std::uint64_t size) : base_(base), size_(size) {}

    void erase();
    // Whether [address, address + length) lies in the flash.
    bool covers(std::uint32_t address, std::size_t length) const;
    // Flash bits only go from 1 to 0 until the next erase: a byte written before can only be
    // written again with the same value.
    bool writable(std::uint32_t address, ByteView data) const;
    void write(std::uint32_t address, ByteView data);

    bool empty() const { return pages_.empty(); }
    // Lowest written address; the image runs from there to the highest, gaps erased (0xFF).
    std::uint32_t lowest() const { return empty() ? 0 : lowest_; }
    // The image in consecutive pieces that point into the pages (valid until the next write).
    std::vector<ByteView> image_pieces() const;
    Bytes image() const;
    // Bytes held for the written contents.
    std::size_t footprint() const { return pages_.size() * sizeof(Page); }

private:
    struct Page {
        std::array<std::uint8_t, kPageSize> bytes;
        std::bitset<kPageSize> written;
    };

    std::uint32_t base_;
    std::uint64_t size_;
    std::map<std::uint32_t, std::unique_ptr<Page>> pages_;  // by address / kPageSize
    std::uint32_t lowest_ = 0;
    std::uint32_t highest_ = 0;  // the highest written address
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
