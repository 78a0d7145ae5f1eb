#include "kestemu/core/flash_loader.h"

namespace kest::emu {

namespace {
constexpr std::uint8_t kCr = 0x0D;
constexpr std::size_t kAddressBytes = 4;
}  // namespace

bool FlashMemory::covers(std::uint32_t address, std::size_t length) const {
    return address >= base_ && std::uint64_t(address) - base_ + length <= size_;
}

bool FlashMemory::writable(std::uint32_t address, ByteView data) const {
    for (std::size_t i = 0; i < data.size(); ++i) {
        const auto it = bytes_.find(static_cast<std::uint32_t>(address + i));
        if (it != bytes_.end() && it->second != data[i]) return false;
    }
    return true;
}

void FlashMemory::write(std::uint32_t address, ByteView data) {
    for (std::size_t i = 0; i < data.size(); ++i) bytes_[static_cast<std::uint32_t>(address + i)] = data[i];
}

Bytes FlashMemory::image() const {
    if (bytes_.empty()) return {};
    const std::uint32_t low = bytes_.begin()->first;
    Bytes out(std::size_t(bytes_.rbegin()->first - low) + 1, 0xFF);
    for (const auto& [address, value] : bytes_) out[address - low] = value;
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
