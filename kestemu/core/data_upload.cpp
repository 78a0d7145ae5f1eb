#include "kestemu/core/data_upload.h"

namespace kest::emu {

namespace {
constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kLf = 0x0A;
}  // namespace

Bytes DataUpload::frame(std::uint8_t sequence, ByteView data) {
    Bytes f;
    f.reserve(data.size() + 4);
    f.push_back(sequence);
    for (std::uint8_t b : data) f.push_back(b);
    unsigned sum = 0;
    for (std::uint8_t b : f) sum = (sum + b) & 0xFFFF;
    f.push_back(sum_byte(sum));  // low byte first
    f.push_back(sum_byte(sum >> 8));
    f.push_back(kCr);
    return f;
}

Bytes DataUpload::current() const {
    if (finished()) return to_bytes("OVER\r");
    return frame(static_cast<std::uint8_t>(next_ % 10), records_[next_]);
}

Bytes DataUpload::start(std::vector<Bytes> records) {
    records_ = std::move(records);
    next_ = 0;
    Bytes out = to_bytes("ACK\r");
    const Bytes first = current();
    out.insert(out.end(), first.begin(), first.end());
    return out;
}

Bytes DataUpload::reply(ByteView line, bool ackLost) {
    if (equals(line, "ACK\r") && !ackLost) {
        if (finished()) return {};  // nothing follows "OVER\r"
        ++next_;
    }
    return current();
}

std::vector<Bytes> split_records(ByteView text) {
    std::vector<Bytes> records;
    Bytes line;
    bool afterCr = false;
    for (std::uint8_t b : text) {
        if (b == kLf && afterCr) {
            afterCr = false;
            continue;
        }
        afterCr = b == kCr;
        if (b == kCr || b == kLf) {
            records.push_back(std::move(line));
            line.clear();
        } else {
            line.push_back(b);
        }
    }
    if (!line.empty()) records.push_back(std::move(line));
    return records;
}

}  // namespace kest::emu
