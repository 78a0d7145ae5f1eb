#include "loader/srec.h"

#include <algorithm>
#include <istream>
#include <map>
#include <memory>

namespace kest::loader {

namespace {

// A hex digit's value shifted into the high or the low half of a byte; any other
// character gives kNotHex, which no byte value reaches.
constexpr unsigned kNotHex = 0x100;

constexpr std::array<std::uint16_t, 256> hex_table(unsigned shift) {
    std::array<std::uint16_t, 256> table{};
    for (auto& v : table) v = kNotHex;
    for (unsigned c = 0; c < 10; ++c) table['0' + c] = static_cast<std::uint16_t>(c << shift);
    for (unsigned c = 0; c < 6; ++c) {
        table['A' + c] = static_cast<std::uint16_t>((10 + c) << shift);
        table['a' + c] = static_cast<std::uint16_t>((10 + c) << shift);
    }
    return table;
}

constexpr std::array<std::uint16_t, 256> kHigh = hex_table(4), kLow = hex_table(0);

unsigned high_digit(char c) { return kHigh[static_cast<unsigned char>(c)]; }
unsigned low_digit(char c) { return kLow[static_cast<unsigned char>(c)]; }
bool is_hex(char c) { return low_digit(c) != kNotHex; }

bool is_line_end(char c) { return c == '\x0D' || c == '\x0A'; }
bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Decodes n pairs of hex digits into out and adds the bytes to sum; false when any of
// the characters is not a hex digit.
bool decode(const char* at, std::size_t n, std::uint8_t* out, unsigned& sum) {
    unsigned s = 0, seen = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned byte = high_digit(at[2 * i]) | low_digit(at[2 * i + 1]);
        seen |= byte;
        out[i] = static_cast<std::uint8_t>(byte);
        s += byte;
    }
    sum = s;
    return seen < kNotHex;
}

const char* find_line_end(const char* at, const char* end) {
    while (at != end && !is_line_end(*at)) ++at;
    return at;
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
    if (stopped_) return false;
    const char* at = chunk.data();
    const char* const end = at + chunk.size();
    if (at == end) return true;
    if (afterCr_) {
        afterCr_ = false;
        if (*at == '\x0A') ++at;  // the LF of a CR LF pair
    }
    if (lineLength_ > 0) {
        // The line the last chunk ended in.
        const char* lineEnd = find_line_end(at, end);
        if (!keep(at, lineEnd)) return false;
        if (lineEnd == end) return true;
        ++lineNo_;
        const bool ok = parse_line(line_.data(), line_.data() + lineLength_);
        lineLength_ = 0;
        if (!ok) return false;
        at = past_line_end(lineEnd, end);
    }
    while (at != end) {
        const char c = *at;
        if (is_line_end(c)) {
            ++lineNo_;
            at = past_line_end(at, end);
            continue;
        }
        // The common line: "S", a type, the pairs of hex digits its byte count asks for and
        // the line end right after them. It is decoded where it lies.
        if ((c == 'S' || c == 's') && end - at > 4 && at[1] >= '0' && at[1] <= '9' && at[1] != '4') {
            const unsigned count = high_digit(at[2]) | low_digit(at[3]);
            const std::size_t n = count + 1;
            unsigned sum = 0;
            if (count < kNotHex && end - at > static_cast<std::ptrdiff_t>(2 + 2 * n) && is_line_end(at[2 + 2 * n]) &&
                decode(at + 2, n, bytes_.data(), sum)) {
                ++lineNo_;
                if (!record(at[1], n, sum)) return false;
                at = past_line_end(at + 2 + 2 * n, end);
                continue;
            }
        }
        // Any other line is found whole first.
        const char* lineEnd = find_line_end(at, end);
        if (lineEnd == end) return keep(at, end);
        if (lineEnd - at > static_cast<std::ptrdiff_t>(kMaxSrecLine) &&
            !std::all_of(at + kMaxSrecLine, lineEnd, is_blank))
            return too_long();
        ++lineNo_;
        if (!parse_line(at, std::min(lineEnd, at + kMaxSrecLine))) return false;
        at = past_line_end(lineEnd, end);
    }
    return true;
}

// Steps over the CR, LF or CR LF at `at`; a CR at the end of the chunk may be followed by
// the LF of the next one.
const char* SrecReader::past_line_end(const char* at, const char* end) {
    if (*at++ == '\x0D') {
        if (at == end)
            afterCr_ = true;
        else if (*at == '\x0A')
            ++at;
    }
    return at;
}

// Keeps the part of a line that the next chunk continues; blanks past the longest record
// are not kept, anything else there refuses the line.
bool SrecReader::keep(const char* begin, const char* end) {
    const auto take = std::min<std::size_t>(line_.size() - lineLength_, static_cast<std::size_t>(end - begin));
    std::copy_n(begin, take, line_.data() + lineLength_);
    lineLength_ += take;
    if (!std::all_of(begin + take, end, is_blank)) return too_long();
    return true;
}

bool SrecReader::too_long() {
    ++lineNo_;
    return fail("the line is longer than " + std::to_string(kMaxSrecLine) + " characters (the longest record)");
}

bool SrecReader::fail(std::string text) {
    error_ = SrecError{lineNo_, std::move(text)};
    stopped_ = true;
    return false;
}

bool SrecReader::finish() {
    if (stopped_) return false;
    if (lineLength_ == 0) return true;
    ++lineNo_;
    const bool ok = parse_line(line_.data(), line_.data() + lineLength_);
    lineLength_ = 0;
    return ok;
}

// One line without its line end, at most kMaxSrecLine characters.
bool SrecReader::parse_line(const char* begin, const char* end) {
    while (end != begin && is_blank(end[-1])) --end;
    if (begin == end) return true;
    if (*begin != 'S' && *begin != 's') return fail("the line does not start with 'S'");
    if (end - begin < 2) return fail("the line is too short");
    const char type = begin[1];
    if (type < '0' || type > '9') return fail("unknown record type " + shown_char(type));
    if (type == '4') return fail("S4 records are not supported");
    const auto digits = static_cast<std::size_t>(end - begin - 2);
    unsigned sum = 0;
    if (digits >= 2 && digits % 2 == 0 && decode(begin + 2, digits / 2, bytes_.data(), sum))
        return record(type, digits / 2, sum);
    for (const char* c = begin + 2; c != end; ++c)
        if (!is_hex(*c))
            return fail(shown_char(*c) + " in column " + std::to_string(c - begin + 1) + " is not a hexadecimal digit");
    if (digits < 2) return fail("the line is too short");
    return fail("the line has an odd number of hexadecimal digits");
}

// The n bytes decoded into bytes_ (count, address, data, checksum) with their sum.
bool SrecReader::record(char type, std::size_t n, unsigned sum) {
    const std::size_t count = bytes_[0];
    if (n - 1 < count) return fail("the line is shorter than its byte count says");
    if (n - 1 > count) return fail("the line is longer than its byte count says");
    const int addrLen = address_bytes(type);
    if (count < static_cast<std::size_t>(addrLen) + 1) return fail("the byte count is too small for the address");
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
        // Most records continue the range the record before them ended.
        if (last_ != ranges_.end() && last_->second == begin) {
            const auto after = std::next(last_);
            if (after == ranges_.end() || after->first > end) {
                last_->second = end;
                report_.dataBytes += r.data.size();
                return true;
            }
        }
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
                last_ = prev;
                return true;
            }
        }
        last_ = ranges_.emplace(b, e).first;
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
    std::map<std::uint64_t, std::uint64_t> ranges_;                          // begin -> end
    std::map<std::uint64_t, std::uint64_t>::iterator last_ = ranges_.end();  // the last record's range
};

}  // namespace

SrecReport check_srec(std::istream& in, std::size_t blockSize) {
    SrecReport report;
    SrecChecker checker(report);
    SrecReader reader([&](const SrecRecord& r) { return checker.on_record(r); });
    blockSize = std::max<std::size_t>(blockSize, 1);
    // Only the part of the block that is read into takes memory.
    const auto block = std::make_unique_for_overwrite<char[]>(blockSize);
    std::size_t size = std::min<std::size_t>(blockSize, 4096);
    while (in) {
        in.read(block.get(), static_cast<std::streamsize>(size));
        const auto got = in.gcount();
        if (got <= 0) break;
        report.fileSize += static_cast<std::uint64_t>(got);
        if (!reader.feed(std::string_view(block.get(), static_cast<std::size_t>(got)))) break;
        size = std::min(blockSize, size * 2);
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
