#include "kestemu/core/flash_loader.h"

#include <algorithm>

namespace kest::emu {

namespace {
constexpr std::uint8_t kCr = 0x0D;
constexpr std::size_t kAddressBytes = 4;
}  // namespace

void FlashMemory::erase() {
    pages_.clear();
    lowest_ = highest_ = 0;
}

bool FlashMemory::covers(std::uint32_t address, std::size_t length) const {
    return address >= base_ && std::uint64_t(address) - base_ + length <= size_;
}

bool FlashMemory::writable(std::uint32_t address, ByteView data) const {
    for (std::size_t i = 0; i < data.size();) {
        const auto at = static_cast<std::uint32_t>(address + i);
        const std::size_t offset = at % kPageSize;
        const std::size_t run = std::min(kPageSize - offset, data.size() - i);
        if (const auto page = pages_.find(at / kPageSize); page != pages_.end())
            for (std::size_t k = 0; k < run; ++k)
                if (page->second->written[offset + k] && page->second->bytes[offset + k] != data[i + k]) return false;
        i += run;
    }
    return true;
}

void FlashMemory::write(std::uint32_t address, ByteView data) {
    if (data.empty()) return;
    if (pages_.empty()) lowest_ = highest_ = address;
    for (std::size_t i = 0; i < data.size();) {
        const auto at = static_cast<std::uint32_t>(address + i);
        const std::size_t offset = at % kPageSize;
        const std::size_t run = std::min(kPageSize - offset, data.size() - i);
        auto& page = pages_[at / kPageSize];
        if (!page) {
            page = std::make_unique<Page>();
            page->bytes.fill(0xFF);
        }
        std::copy_n(data.begin() + static_cast<std::ptrdiff_t>(i), run,
                    page->bytes.begin() + static_cast<std::ptrdiff_t>(offset));
        for (std::size_t k = 0; k < run; ++k) page->written.set(offset + k);
        lowest_ = std::min(lowest_, at);
        highest_ = std::max(highest_, static_cast<std::uint32_t>(at + run - 1));
        i += run;
    }
}

std::vector<ByteView> FlashMemory::image_pieces() const {
    static const auto erased = [] {
        std::array<std::uint8_t, kPageSize> page;
        page.fill(0xFF);
        return page;
    }();
    std::vector<ByteView> pieces;
    if (empty()) return pieces;
    for (std::uint64_t at = lowest_; at <= highest_;) {
        const std::size_t offset = at % kPageSize;
        const std::size_t length =
            static_cast<std::size_t>(std::min<std::uint64_t>(kPageSize - offset, highest_ - at + 1));
        const auto page = pages_.find(static_cast<std::uint32_t>(at / kPageSize));
        const std::uint8_t* bytes = page == pages_.end() ? erased.data() : page->second->bytes.data();
        pieces.push_back(ByteView(bytes + offset, length));
        at += length;
    }
    return pieces;
}

Bytes FlashMemory::image() const {
    Bytes out;
    for (const ByteView piece : image_pieces()) out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

std::optional<std::size_t> FlashRecords::length(ByteView prefix) {
    if (prefix.size() < 3) return std::nullopt;
    return std::size_t(prefix[2]) + 4;
}

Bytes FlashRecords::record(char type, std::uint32_t address, ByteView data) {
    Bytes r{'S', static_cast<std::uint8_t>(type), static_cast<std::uint8_t>(kAddressBytes + data.size() + 1)};
    for (int shift = 24; shift >= 0; shift -= 8) r.push_back(static_cast<std::uint8_t>(address >> shift));
    r.insert(r.end(), data.begin(), data.end());
    unsigned sum = 0;
    for (std::size_t i = 2; i < r.size(); ++i) sum += r[i];
    r.push_back(static_cast<std::uint8_t>(0xFF - (sum & 0xFF)));
    r.push_back(kCr);
    return r;
}

FlashRecords::Verdict FlashRecords::accept(ByteView record) {
    const auto expected = length(record);
    // Anything damaged in transit is asked for again.
    if (!expected || record.size() != *expected || record[0] != 'S' || record.back() != kCr ||
        record[2] < kAddressBytes + 1 || (record[1] != '3' && record[1] != '7'))
        return Verdict::Again;
    const std::size_t checksumAt = record.size() - 2;
    unsigned sum = 0;
    for (std::size_t i = 2; i < checksumAt; ++i) sum += record[i];
    if (record[checksumAt] != 0xFF - (sum & 0xFF)) return Verdict::Again;
    if (record[1] == '7') return Verdict::End;

    std::uint32_t address = 0;
    for (std::size_t i = 3; i < 3 + kAddressBytes; ++i) address = (address << 8) | record[i];
    const ByteView data = record.subspan(3 + kAddressBytes, checksumAt - 3 - kAddressBytes);
    if (!memory_.covers(address, data.size()) || !memory_.writable(address, data)) return Verdict::Failed;
    memory_.write(address, data);
    return Verdict::Accepted;
}

}  // namespace kest::emu
