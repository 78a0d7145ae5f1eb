// Object programs (.SHX): text files of S-records. A streaming reader turns text chunks
// into records; a checker validates a whole file before anything is sent to the terminal;
// a builder merges data records into the binary send records of the terminal's flash
// loader.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kest::loader {

enum class SrecKind { Header, Data, Count, End };

struct SrecRecord {
    char type = '0';  // '0'-'9'
    SrecKind kind = SrecKind::Header;
    int addressBytes = 2;       // 2, 3 or 4
    std::uint32_t address = 0;  // for S5/S6: the record count
    std::span<const std::uint8_t> data;
    std::size_t line = 0;  // 1-based line number in the file
};

struct SrecError {
    std::size_t line = 0;  // 0: not tied to a line
    std::string text;
    bool noProgram = false;  // empty, no end record, or no data to write
    bool noEnd = false;      // the records end without S7, S8 or S9
};

// The longest record line: "S", the type and 256 bytes in hexadecimal (count, address,
// data, checksum). Trailing blanks are not counted.
inline constexpr std::size_t kMaxSrecLine = 2 + 2 * 256;

// Splits text chunks into lines (CR LF, LF or CR) and each line into a record. Blank
// lines are skipped. Upper- and lower-case hex digits are accepted; every record's
// byte count and checksum are checked. A line is refused as soon as it grows past
// kMaxSrecLine, so that no amount of text without a line end is ever held.
// Lines that lie whole in a chunk are read where they are, each character once; only a
// line that runs over the end of a chunk is kept until its end arrives.
class SrecReader {
public:
    // Return false to stop reading.
    using Handler = std::function<bool(const SrecRecord&)>;

    explicit SrecReader(Handler handler) : handler_(std::move(handler)) {}

    // False once an error was found or the handler stopped the reading.
    bool feed(std::string_view chunk);
    // The last line may lack its line end.
    bool finish();

    const std::optional<SrecError>& error() const { return error_; }
    bool stopped() const { return stopped_; }

private:
    const char* past_line_end(const char* at, const char* end);
    bool keep(const char* begin, const char* end);
    bool parse_line(const char* begin, const char* end);
    bool record(char type, std::size_t n, unsigned sum);
    bool too_long();
    bool fail(std::string text);

    Handler handler_;
    std::array<char, kMaxSrecLine> line_{};  // the part of a line read so far
    std::size_t lineLength_ = 0;
    std::size_t lineNo_ = 0;
    bool afterCr_ = false;
    bool stopped_ = false;
    std::optional<SrecError> error_;
    std::array<std::uint8_t, (kMaxSrecLine - 2) / 2> bytes_{};  // the longest line decoded
};

struct AddressRange {
    std::uint64_t begin = 0;  // first address
    std::uint64_t end = 0;    // one past the last address
};

struct SrecReport {
    std::optional<SrecError> error;
    // The bytes read. A file is read only up to its first error, so this is the size of
    // the whole file only for a good one (the loader's progress counts against it).
    std::uint64_t fileSize = 0;
    std::size_t dataRecords = 0;
    std::uint64_t dataBytes = 0;
    char endType = 0;                  // '7', '8' or '9'
    std::uint32_t startAddress = 0;    // the end record's address
    std::vector<AddressRange> ranges;  // sorted, contiguous data merged

    bool ok() const { return !error.has_value(); }
};

// Validates a whole object file: record syntax, byte counts, checksums, an end record,
// S5/S6 counts that agree, no address given twice, no S4 records, nothing after the end,
// and at least one data byte.
// The file is read in blocks that grow from 4 KiB to blockSize: a file that is no object
// program is given up after its first few KiB.
inline constexpr std::size_t kSrecBlockSize = std::size_t{256} << 10;
SrecReport check_srec(std::istream& in, std::size_t blockSize = kSrecBlockSize);
SrecReport check_srec_text(std::string_view text);

// Send records of the flash loader: "S3", count, 4-byte address (most significant byte
// first), data, checksum, CR.
inline constexpr std::size_t kSendBufferSize = 260;
// The count byte covers address, data and checksum, so a send record carries at most 250
// data bytes.
inline constexpr std::size_t kMaxSendData = 250;
// A pending record is sent at the first line end at which it holds more than this many
// bytes (with 16-byte lines: 96 data bytes).
inline constexpr std::size_t kFlushLength = 100;
inline constexpr std::array<std::uint8_t, 9> kEndRecord = {0x53, 0x37, 0x05, 0x00, 0x00, 0x00, 0x00, 0xFA, 0x0D};

// Merges data records whose addresses follow on without a gap into send records.
class SendRecordBuilder {
public:
    // Receives each finished send record; return false to abort.
    using Sink = std::function<bool(std::span<const std::uint8_t>)>;

    explicit SendRecordBuilder(Sink sink) : sink_(std::move(sink)) {}

    // One source data record (its line end included). False when the sink refused.
    bool add(std::uint32_t address, std::span<const std::uint8_t> data);
    // Sends what is pending (at the end record).
    bool finish();

private:
    bool flush();
    void start(std::uint32_t address);

    Sink sink_;
    std::array<std::uint8_t, kSendBufferSize> buffer_{};
    std::size_t length_ = 0;  // 0: no pending record
    std::uint32_t next_ = 0;  // address that continues the pending record
};

// Converts an object file chunk by chunk into send records, ending with the end record.
// Header and count records are skipped; reading stops at the end record.
class SrecConverter {
public:
    using Sink = SendRecordBuilder::Sink;

    explicit SrecConverter(Sink sink);

    // False when the sink refused a record or the text is bad.
    bool feed(std::string_view chunk);
    bool finish();
    bool ended() const { return ended_; }
    bool failed() const { return failed_; }
    const std::optional<SrecError>& error() const { return reader_.error(); }

private:
    bool on_record(const SrecRecord& record);

    Sink sink_;
    SendRecordBuilder builder_;
    SrecReader reader_;
    bool ended_ = false;
    bool failed_ = false;
};

// The send records of a whole text, end record included (tests and tools).
std::vector<std::vector<std::uint8_t>> convert_srec_text(std::string_view text);

}  // namespace kest::loader
