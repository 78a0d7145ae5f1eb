#include "loader/srec.h"

#include <algorithm>
#include <istream>
#include <map>

namespace kest::loader {

namespace {

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string shown_char(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F) return std::string("'") + c + "'";
    static const char digits[] = "0123456789ABCDEF";
    return std::string("byte 0x") + digits[u >> 4] + digits[u & 15];
}

int address_bytes(char type) {
    switch (type) {
    case '2':
    case '6':
    case '8': return 3;
    case '3':
    case '7': return 4;
    default: return 2;  // S0, S1, S5, S9
    }
}

SrecKind kind_of(char type) {
    switch (type) {
    case '0': return SrecKind::Header;
    case '1':
    case '2':
    case '3': return SrecKind::Data;
    case '5':
    case '6': return SrecKind::Count;
    default: return SrecKind::End;
    }
}

}  // namespace

bool SrecReader::feed(std::string_view chunk) {
    for (char c : chunk) {
        if (stopped_) return false;
        if (c == '\x0A' && afterCr_) {
            afterCr_ = false;  // the LF of a CR LF pair
            continue;
        }
        afterCr_ = c == '\x0D';
        if (c == '\x0D' || c == '\x0A') {
            if (!end_line()) return false;
        } else if (line_.size() < kMaxSrecLine) {
            line_ += c;
        } else if (c != ' ' && c != '\t') {
            ++lineNo_;
            return fail("the line is longer than " + std::to_string(kMaxSrecLine) + " characters (the longest record)");
        }
    }
    return !stopped_;
}

bool SrecReader::fail(std::string text) {
    error_ = SrecError{lineNo_, std::move(text)};
    stopped_ = true;
    return false;
}

bool SrecReader::finish() {
    if (stopped_) return false;
    if (!line_.empty()) return end_line();
    return true;
}

bool SrecReader::end_line() {
    ++lineNo_;
    const bool ok = parse_line();
    line_.clear();
    if (!ok) stopped_ = true;
    return ok;
}

bool SrecReader::parse_line() {
    while (!line_.empty() && (line_.back() == ' ' || line_.back() == '\t')) line_.pop_back();
    if (line_.empty()) return true;
    if (line_[0] != 'S' && line_[0] != 's') return fail("the line does not start with 'S'");
    if (line_.size() < 2) return fail("the line is too short");
    const char type = line_[1];
    if (type < '0' || type > '9') return fail("unknown record type " + shown_char(type));
    if (type == '4') return fail("S4 records are not supported");
    for (std::size_t i = 2; i < line_.size(); ++i)
        if (hex_value(line_[i]) < 0)
            return fail(shown_char(line_[i]) + " in column " + std::to_string(i + 1) + " is not a hexadecimal digit");
    const std::size_t digits = line_.size() - 2;
    if (digits < 2) return fail("the line is too short");
    if (digits % 2 != 0) return fail("the line has an odd number of hexadecimal digits");
    const std::size_t n = digits / 2;
    // Nothing is decoded that the byte array cannot hold.
    if (n > bytes_.size())
        return fail("the line is longer than " + std::to_string(kMaxSrecLine) + " characters (the longest record)");
    for (std::size_t i = 0; i < n; ++i)
        bytes_[i] = static_cast<std::uint8_t>(hex_value(line_[2 + 2 * i]) * 16 + hex_value(line_[3 + 2 * i]));
    const std::size_t count = bytes_[0];
    if (n - 1 < count) return fail("the line is shorter than its byte count says");
    if (n - 1 > count) return fail("the line is longer than its byte count says");
    const int addrLen = address_bytes(type);
    if (count < static_cast<std::size_t>(addrLen) + 1) return fail("the byte count is too small for the address");
    unsigned sum = 0;
    for (std::size_t i = 0; i < n; ++i) sum += bytes_[i];
    if ((sum & 0xFF) != 0xFF) return fail("the checksum does not match");

    SrecRecord record;
    record.type = type;
    record.kind = kind_of(type);
    record.addressBytes = addrLen;
    for (int i = 0; i < addrLen; ++i) record.address = record.address << 8 | bytes_[1 + i];
    record.data = std::span<const std::uint8_t>(bytes_.data() + 1 + addrLen, count - addrLen - 1);
    record.line = lineNo_;
    if (!handler_(record)) {
        stopped_ = true;
        return false;
    }
    return true;
}

namespace {

// Collects the facts of a file while it is read and refuses what no tool should flash.
class SrecChecker {
public:
    explicit SrecChecker(SrecReport& report) : report_(report) {}

    bool on_record(const SrecRecord& r) {
        auto fail = [&](std::string text) {
            report_.error = SrecError{r.line, std::move(text)};
            return false;
        };
        if (report_.endType) return fail("a record follows the end record");
        switch (r.kind) {
        case SrecKind::Header: return true;
        case SrecKind::Count:
            if (r.address != (report_.dataRecords & (r.type == '5' ? 0xFFFFu : 0xFFFFFFu)))
                return fail("the count record says " + std::to_string(r.address) + " data records, the file has " +
                            std::to_string(report_.dataRecords));
            return true;
        case SrecKind::End:
            report_.endType = r.type;
            report_.startAddress = r.address;
            return true;
        case SrecKind::Data: break;
        }
        ++report_.dataRecords;
        if (r.data.empty()) return true;
        const std::uint64_t begin = r.address;
        const std::uint64_t end = begin + r.data.size();
        if (end > 0x100000000ull) return fail("the data run past the highest address");
        // The first range that ends after begin is the only one that can overlap.
        auto next = ranges_.upper_bound(begin);
        if (next != ranges_.begin()) {
            auto prev = std::prev(next);
            if (prev->second > begin) return fail("address " + hex(begin) + " is given twice");
        }
        if (next != ranges_.end() && next->first < end) return fail("address " + hex(next->first) + " is given twice");
        report_.dataBytes += r.data.size();
        // Merge with neighbours that touch.
        std::uint64_t b = begin, e = end;
        if (next != ranges_.end() && next->first == end) {
            e = next->second;
            next = ranges_.erase(next);
        }
        if (next != ranges_.begin()) {
            auto prev = std::prev(next);
            if (prev->second == begin) {
                prev->second = e;
                return true;
            }
        }
        ranges_.emplace(b, e);
        return true;
    }

    void finish() {
        for (const auto& [b, e] : ranges_) report_.ranges.push_back({b, e});
        if (report_.error) return;
        if (!report_.endType)
            report_.error = SrecError{0, report_.fileSize == 0 ? "the file is empty" : "the file has no end record",
                                      true, report_.fileSize != 0};
        // Flashing it would only erase the terminal's program.
        else if (report_.dataBytes == 0)
            report_.error = SrecError{
                0, report_.dataRecords == 0 ? "the file has no data records" : "the data records hold no bytes", true};
    }

    static std::string hex(std::uint64_t v) {
        static const char digits[] = "0123456789ABCDEF";
        std::string s;
        for (int shift = 28; shift >= 0; shift -= 4) s += digits[(v >> shift) & 15];
        return "0x" + s;
    }

private:
    SrecReport& report_;
    std::map<std::uint64_t, std::uint64_t> ranges_;  // begin -> end
};

}  // namespace

SrecReport check_srec(std::istream& in) {
    SrecReport report;
    SrecChecker checker(report);
    SrecReader reader([&](const SrecRecord& r) { return checker.on_record(r); });
    char chunk[4096];
    while (in) {
        in.read(chunk, sizeof chunk);
        const auto got = in.gcount();
        if (got <= 0) break;
        report.fileSize += static_cast<std::uint64_t>(got);
        if (!reader.feed(std::string_view(chunk, static_cast<std::size_t>(got)))) break;
    }
    if (in.bad()) {
        report.error = SrecError{0, "the file cannot be read"};
        return report;
    }
    if (!reader.stopped()) reader.finish();
    if (reader.error()) report.error = reader.error();
    checker.finish();
    return report;
}

SrecReport check_srec_text(std::string_view text) {
    SrecReport report;
    SrecChecker checker(report);
    SrecReader reader([&](const SrecRecord& r) { return checker.on_record(r); });
    report.fileSize = text.size();
    if (reader.feed(text)) reader.finish();
    if (reader.error()) report.error = reader.error();
    checker.finish();
    return report;
}

void SendRecordBuilder::start(std::uint32_t address) {
    buffer_[0] = 'S';
    buffer_[1] = '3';
    buffer_[3] = static_cast<std::uint8_t>(address >> 24);
    buffer_[4] = static_cast<std::uint8_t>(address >> 16);
    buffer_[5] = static_cast<std::uint8_t>(address >> 8);
    buffer_[6] = static_cast<std::uint8_t>(address);
    length_ = 7;
}

bool SendRecordBuilder::flush() {
    if (length_ == 0) return true;
    const std::size_t h = length_;
    buffer_[2] = static_cast<std::uint8_t>(h - 2);
    unsigned sum = 0;
    for (std::size_t i = 2; i < h; ++i) sum += buffer_[i];
    buffer_[h] = static_cast<std::uint8_t>(0xFF - (sum & 0xFF));
    buffer_[h + 1] = 0x0D;
    length_ = 0;
    return sink_(std::span<const std::uint8_t>(buffer_.data(), h + 2));
}

bool SendRecordBuilder::add(std::uint32_t address, std::span<const std::uint8_t> data) {
    // A record without data carries nothing to the flash.
    if (data.empty()) return true;
    // A gap sends the pending record at once; so does data that would overflow the buffer.
    if (length_ > 0 && (address != next_ || length_ - 7 + data.size() > kMaxSendData))
        if (!flush()) return false;
    while (!data.empty()) {
        if (length_ == 0) start(address);
        const std::size_t room = kMaxSendData - (length_ - 7);
        if (room == 0) {
            if (!flush()) return false;
            continue;
        }
        const std::size_t take = std::min(room, data.size());
        std::copy_n(data.begin(), take, buffer_.begin() + static_cast<std::ptrdiff_t>(length_));
        length_ += take;
        address += static_cast<std::uint32_t>(take);
        data = data.subspan(take);
    }
    next_ = address;
    if (length_ > kFlushLength) return flush();
    return true;
}

bool SendRecordBuilder::finish() { return flush(); }

SrecConverter::SrecConverter(Sink sink)
    : sink_(sink), builder_(sink), reader_([this](const SrecRecord& r) { return on_record(r); }) {}

bool SrecConverter::on_record(const SrecRecord& r) {
    switch (r.kind) {
    case SrecKind::Data:
        if (!builder_.add(r.address, r.data)) {
            failed_ = true;
            return false;
        }
        return true;
    case SrecKind::End:
        ended_ = true;
        if (!builder_.finish() || !sink_(kEndRecord)) failed_ = true;
        return false;  // nothing after the end record is read
    default: return true;
    }
}

bool SrecConverter::feed(std::string_view chunk) {
    if (ended_ || failed_) return !failed_;
    reader_.feed(chunk);
    return !failed_ && !reader_.error();
}

bool SrecConverter::finish() {
    if (ended_ || failed_) return !failed_;
    reader_.finish();
    return !failed_ && !reader_.error();
}

std::vector<std::vector<std::uint8_t>> convert_srec_text(std::string_view text) {
    std::vector<std::vector<std::uint8_t>> out;
    SrecConverter converter([&](std::span<const std::uint8_t> record) {
        out.emplace_back(record.begin(), record.end());
        return true;
    });
    if (converter.feed(text)) converter.finish();
    return out;
}

}  // namespace kest::loader
