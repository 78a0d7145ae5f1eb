// The emulated terminal behind the cradle: it cuts the incoming bytes into messages (command
// lines, download packets, upload replies, flash records), hands them to the runtime the
// terminal is in, and queues the replies. Time only moves through the calls.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "kestemu/core/application_download.h"
#include "kestemu/core/data_upload.h"
#include "kestemu/core/fault_injector.h"
#include "kestemu/core/flash_loader.h"
#include "kestemu/core/lookup_download.h"
#include "kestemu/core/state_sink.h"
#include "kestemu/core/types.h"

namespace kest::emu {

struct TerminalConfig {
    // The records to upload, fetched afresh for every "READ\r".
    std::function<std::vector<Bytes>()> records;
    Micros eraseDelay = 0;  // 0: ":ERASE\r" is answered "FA" at once, else "FB" first
    std::uint32_t flashBase = 0;
    std::uint64_t flashSize = 0x1000000;
    bool loaderWaiting = false;  // start in the flash loader instead of the application
};

struct Reply {
    Micros at;  // not before this time
    Bytes bytes;
};

class Terminal {
public:
    enum class Mode {
        Idle,            // application runtime, waiting for a command
        Handshaken,      // "VELMOR" answered; an application or a lookup download follows
        Application,     // application download packets
        Lookup,          // lookup line packets
        Upload,          // sending records
        Loader,          // flash loader woken by "QUENTIR"
        LoaderDownload,  // flash loader in download mode
        Erasing,         // erasing the flash; input is ignored
    };

    // A partial message left this long without further bytes is given up.
    static constexpr Micros kFrameGap = 250 * kMillis;

    Terminal(TerminalConfig config, StateSink& state, FaultInjector& faults, EventLog log = {});

    // Bytes as they came off the line in one piece.
    void receive(ByteView chunk, Micros now);
    void advance(Micros now);
    std::optional<Micros> next_deadline() const;
    std::vector<Reply> take_replies();

    // Writes out flash contents that changed since the last end record (a download that broke off).
    void finish() { save_flash(); }
    // Out of its cradle: the message it was receiving and its replies are lost, and a download
    // or upload it was in ends; its flash loader keeps waiting.
    void taken_out();

    Mode mode() const { return mode_; }
    const FlashMemory& flash() const { return flash_; }

private:
    std::size_t take_message(Micros now);
    std::size_t take_line(Micros now);
    std::size_t take_after_handshake(Micros now);
    std::size_t take_loader_message(Micros now);
    static bool is_command(ByteView line);
    bool command(ByteView line, Micros now);
    bool silenced(Micros now);

    void application_packet(ByteView packet, Micros now);
    void lookup_packet(ByteView packet, Micros now);
    void upload_reply(ByteView line, Micros now);
    void loader_line(ByteView line, Micros now);
    void flash_record(ByteView record, Micros now);

    void reply(std::string_view text, Micros now) { reply(to_bytes(text), now); }
    void reply(Bytes bytes, Micros now);
    // An acknowledgement that the lose-ack fault may swallow.
    void acknowledge(std::string_view text, Micros now);
    void save(const std::string& name, ByteView contents) { save(name, std::span(&contents, 1)); }
    void save(const std::string& name, std::span<const ByteView> parts);
    void save_flash();
    void log(const std::string& line) const {
        if (log_) log_(line);
    }

    TerminalConfig config_;
    StateSink& state_;
    FaultInjector& faults_;
    EventLog log_;

    Mode mode_ = Mode::Idle;
    Bytes frame_;  // bytes of the message being received
    Micros lastByte_ = 0;
    Micros silentUntil_ = 0;
    Micros lateUntil_ = 0;  // no reply leaves before a late one
    Micros eraseEnd_ = 0;
    unsigned messages_ = 0;
    unsigned lookupFiles_ = 0;
    std::vector<Reply> replies_;

    ApplicationDownload application_;
    LookupDownload lookup_;
    DataUpload upload_;
    FlashMemory flash_;
    FlashRecords records_{flash_};
    bool flashChanged_ = false;
};

}  // namespace kest::emu
