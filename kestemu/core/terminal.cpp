#include "kestemu/core/terminal.h"

#include <algorithm>
#include <cstdio>

namespace kest::emu {

namespace {

constexpr std::uint8_t kCr = 0x0D;

std::string hex32(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%08X\n", value);
    return text;
}

}  // namespace

Terminal::Terminal(TerminalConfig config, StateSink& state, FaultInjector& faults, EventLog log)
    : config_(std::move(config)),
      state_(state),
      faults_(faults),
      log_(std::move(log)),
      flash_(config_.flashBase, config_.flashSize) {
    if (config_.loaderWaiting) mode_ = Mode::LoaderDownload;
}

void Terminal::receive(ByteView chunk, Micros now) {
    advance(now);
    if (now < silentUntil_) return;
    for (std::uint8_t b : chunk) {
        if (faults_.strikes(Fault::DropRx)) {
            log("fault: received byte lost");
            continue;
        }
        if (faults_.strikes(Fault::CorruptRx)) {
            b ^= faults_.damage(Fault::CorruptRx);
            log("fault: received byte damaged");
        }
        frame_.push_back(b);
    }
    lastByte_ = now;
    while (!frame_.empty()) {
        if (now < silentUntil_) {
            frame_.clear();
            break;
        }
        const std::size_t used = take_message(now);
        if (used == 0) break;
        frame_.erase(frame_.begin(), frame_.begin() + static_cast<std::ptrdiff_t>(std::min(used, frame_.size())));
    }
}

void Terminal::advance(Micros now) {
    if (mode_ == Mode::Erasing && now >= eraseEnd_) mode_ = Mode::LoaderDownload;
    if (!frame_.empty() && now - lastByte_ >= kFrameGap) {
        log("incomplete message dropped: " + printable(frame_));
        const bool downloading = mode_ == Mode::Handshaken || mode_ == Mode::Application || mode_ == Mode::Lookup;
        const bool record = (mode_ == Mode::Loader || mode_ == Mode::LoaderDownload) && frame_[0] == 'S';
        frame_.clear();
        // A damaged packet or record is asked for again at once instead of letting the PC wait.
        if (downloading) reply("NAK\r", now);
        if (record) reply("FN\r", now);
    }
}

std::optional<Micros> Terminal::next_deadline() const {
    std::optional<Micros> next;
    if (!frame_.empty()) next = lastByte_ + kFrameGap;
    if (mode_ == Mode::Erasing) next = next ? std::min(*next, eraseEnd_) : eraseEnd_;
    return next;
}

std::vector<Reply> Terminal::take_replies() { return std::exchange(replies_, {}); }

void Terminal::taken_out() {
    frame_.clear();
    replies_.clear();
    if (mode_ != Mode::Loader && mode_ != Mode::LoaderDownload && mode_ != Mode::Erasing) mode_ = Mode::Idle;
}

bool Terminal::silenced(Micros now) {
    ++messages_;
    if (faults_.plan().silenceMs == 0 || messages_ != faults_.plan().silenceAfter) return false;
    silentUntil_ = now + Micros(faults_.plan().silenceMs) * kMillis;
    log("fault: silent for " + std::to_string(faults_.plan().silenceMs) + " ms");
    return true;
}

std::size_t Terminal::take_message(Micros now) {
    switch (mode_) {
    case Mode::Erasing: return frame_.size();
    case Mode::Loader:
    case Mode::LoaderDownload: return take_loader_message(now);
    case Mode::Handshaken: return take_after_handshake(now);
    case Mode::Application:
        // A command comes alone; a packet is always longer.
        if (is_command(frame_)) {
            if (!silenced(now)) command(frame_, now);
            return frame_.size();
        }
        if (frame_.size() < ApplicationDownload::kPacketSize) return 0;
        if (!silenced(now)) application_packet(ByteView(frame_).first(ApplicationDownload::kPacketSize), now);
        return ApplicationDownload::kPacketSize;
    default: return take_line(now);
    }
}

// Idle, lookup and upload messages end at the first CR.
std::size_t Terminal::take_line(Micros now) {
    const auto cr = std::find(frame_.begin(), frame_.end(), kCr);
    if (cr == frame_.end()) return 0;
    const std::size_t length = static_cast<std::size_t>(cr - frame_.begin()) + 1;
    const ByteView line = ByteView(frame_).first(length);
    if (silenced(now) || command(line, now)) return length;
    if (mode_ == Mode::Lookup) {
        lookup_packet(line, now);
    } else if (mode_ == Mode::Upload) {
        upload_reply(line, now);
    } else if (!equals(line, "ACK\r") && !equals(line, "NAK\r")) {
        // Stray acknowledgements are ignored so that two sides never answer each other's NAK.
        log("unknown command " + printable(line));
        reply("NAK\r", now);
    }
    return length;
}

// The first packet after the handshake shows what follows: an application packet (103 bytes,
// block 0, never ending in CR) or a lookup line (ending in its only CR, or "OVER\r").
std::size_t Terminal::take_after_handshake(Micros now) {
    if (frame_.size() == ApplicationDownload::kPacketSize && ApplicationDownload::intact(frame_) &&
        frame_.back() == 0) {
        mode_ = Mode::Application;
        return take_message(now);
    }
    const auto cr = std::find(frame_.begin(), frame_.end(), kCr);
    // More to come, or a damaged packet left to the frame gap.
    if (cr == frame_.end() || cr + 1 != frame_.end()) return 0;
    if (is_command(frame_)) {
        if (!silenced(now)) command(frame_, now);
        return frame_.size();
    }
    LookupDownload probe;
    if (probe.accept(frame_) == LookupDownload::Verdict::Bad) return 0;
    mode_ = Mode::Lookup;
    return take_message(now);
}

bool Terminal::is_command(ByteView line) {
    return equals(line, "VELMOR\r") || equals(line, "READ\r") || equals(line, "QUENTIR\r");
}

bool Terminal::command(ByteView line, Micros now) {
    if (equals(line, "VELMOR\r")) {
        log("handshake");
        application_.start();
        lookup_.start();
        mode_ = Mode::Handshaken;
        reply("ACK\r", now);
        return true;
    }
    if (equals(line, "READ\r")) {
        auto records = config_.records ? config_.records() : std::vector<Bytes>{};
        log("upload of " + std::to_string(records.size()) + " records");
        mode_ = Mode::Upload;
        reply(upload_.start(std::move(records)), now);
        return true;
    }
    if (equals(line, "QUENTIR\r")) {
        log("flash loader woken");
        mode_ = Mode::Loader;
        reply("ACK1\r", now);
        return true;
    }
    return false;
}

void Terminal::application_packet(ByteView packet, Micros now) {
    const std::size_t block = packet.back();
    const auto& plan = faults_.plan();
    if (plan.fullAt && application_.next_block() == *plan.fullAt && block == application_.next_block()) {
        log("application block " + std::to_string(block) + ": FULL");
        reply("FULL\r", now);
        return;
    }
    if (faults_.strikes(Fault::Nak)) {
        log("fault: application block " + std::to_string(block) + " refused");
        reply("NAK\r", now);
        return;
    }
    switch (application_.accept(packet)) {
    case ApplicationDownload::Verdict::Stored:
        log("application block " + std::to_string(block) + " stored");
        acknowledge("ACK\r", now);
        break;
    case ApplicationDownload::Verdict::Repeated:
        log("application block " + std::to_string(block) + " again: acknowledged, not stored");
        acknowledge("ACK\r", now);
        break;
    case ApplicationDownload::Verdict::Complete:
        log("application image complete");
        save("image.bin", application_.image());
        acknowledge("ACK\r", now);
        break;
    case ApplicationDownload::Verdict::Bad:
        log("application packet refused (damaged or out of order): block byte " + std::to_string(block));
        reply("NAK\r", now);
        break;
    }
}

void Terminal::lookup_packet(ByteView packet, Micros now) {
    const bool over = equals(packet, "OVER\r");
    if (over && lookup_.finished()) {
        log("lookup: OVER again, acknowledged");
        acknowledge("ACK\r", now);
        return;
    }
    if (lookup_.finished()) lookup_.start();  // a further file without a new handshake
    const auto& plan = faults_.plan();
    if (plan.fullAt && lookup_.lines().size() == *plan.fullAt) {
        log("lookup: FULL");
        reply("FULL\r", now);
        return;
    }
    if (!over && faults_.strikes(Fault::Nak)) {
        log("fault: lookup line refused");
        reply("NAK\r", now);
        return;
    }
    switch (lookup_.accept(packet)) {
    case LookupDownload::Verdict::Stored:
        log("lookup line " + std::to_string(lookup_.lines().size()) + " stored");
        reply("ACK\r", now);
        break;
    case LookupDownload::Verdict::Finished: {
        const std::string name = "lookup-" + std::to_string(++lookupFiles_) + ".txt";
        log("lookup file complete: " + std::to_string(lookup_.lines().size()) + " lines, " + name);
        save(name, lookup_.file());
        acknowledge("ACK\r", now);
        break;
    }
    case LookupDownload::Verdict::Bad:
        log("lookup packet refused: " + printable(packet));
        reply("NAK\r", now);
        break;
    }
}

void Terminal::upload_reply(ByteView line, Micros now) {
    const bool lost = equals(line, "ACK\r") && faults_.strikes(Fault::LoseAck);
    if (lost) log("fault: the PC's ACK is lost");
    if (!equals(line, "ACK\r") && !equals(line, "NAK\r")) log("upload: unexpected reply " + printable(line));
    const Bytes next = upload_.reply(line, lost);
    if (next.empty()) return;
    log(upload_.finished() ? "upload: OVER" : "upload: record " + std::to_string(upload_.acknowledged()));
    reply(next, now);
}

std::size_t Terminal::take_loader_message(Micros now) {
    if (frame_[0] == 'S') {
        const auto length = FlashRecords::length(frame_);
        if (!length || frame_.size() < *length) return 0;
        if (!silenced(now)) flash_record(ByteView(frame_).first(*length), now);
        return *length;
    }
    const auto cr = std::find(frame_.begin(), frame_.end(), kCr);
    if (cr == frame_.end()) return 0;
    const std::size_t length = static_cast<std::size_t>(cr - frame_.begin()) + 1;
    if (!silenced(now)) loader_line(ByteView(frame_).first(length), now);
    return length;
}

void Terminal::loader_line(ByteView line, Micros now) {
    const bool downloading = mode_ == Mode::LoaderDownload;
    if (equals(line, "\r")) {
        reply("FN\r", now);
    } else if (equals(line, "QUENTIR\r")) {
        reply(downloading ? "FN\r" : "ACK1\r", now);
    } else if (equals(line, "DOWNLOAD\r")) {
        log("flash loader in download mode");
        mode_ = Mode::LoaderDownload;
        reply("ACK2\r", now);
    } else if (equals(line, ":ERASE\r")) {
        flash_.erase();
        flashChanged_ = true;
        if (config_.eraseDelay <= 0) {
            log("flash erased");
            reply("FA\r", now);
            return;
        }
        log("erasing flash");
        mode_ = Mode::Erasing;
        eraseEnd_ = now + config_.eraseDelay;
        reply("FB\r", now);
        reply("FA\r", eraseEnd_);
    } else {
        // The loader ignores what it does not know.
        log("flash loader ignores " + printable(line));
    }
}

void Terminal::flash_record(ByteView record, Micros now) {
    if (faults_.strikes(Fault::FlashFailed)) {
        log("fault: flash record answered FF");
        reply("FF\r", now);
        return;
    }
    if (faults_.strikes(Fault::FlashAgain)) {
        log("fault: flash record answered FN");
        reply("FN\r", now);
        return;
    }
    switch (records_.accept(record)) {
    case FlashRecords::Verdict::Accepted:
        flashChanged_ = true;
        acknowledge("FA\r", now);
        break;
    case FlashRecords::Verdict::Again:
        log("flash record damaged: " + printable(record));
        reply("FN\r", now);
        break;
    case FlashRecords::Verdict::Failed:
        log("flash record cannot be written: " + printable(record.first(std::min<std::size_t>(record.size(), 7))));
        reply("FF\r", now);
        break;
    case FlashRecords::Verdict::End:
        log("flash program complete");
        save_flash();
        mode_ = Mode::Idle;  // the terminal starts the new program
        reply("FA\r", now);
        break;
    }
}

void Terminal::reply(Bytes bytes, Micros now) {
    if (bytes.empty()) return;
    if (faults_.strikes(Fault::DropReply)) {
        log("fault: reply lost: " + printable(bytes));
        return;
    }
    if (faults_.strikes(Fault::CorruptReply)) {
        bytes[bytes.size() / 2] ^= faults_.damage(Fault::CorruptReply);
        log("fault: reply damaged: " + printable(bytes));
    }
    // The line keeps the order: a reply never overtakes a late one.
    Micros at = std::max(now, lateUntil_);
    if (faults_.strikes(Fault::LateReply)) {
        const unsigned ms = faults_.late_ms(Fault::LateReply);
        at += Micros(ms) * kMillis;
        lateUntil_ = at;
        log("fault: reply " + std::to_string(ms) + " ms late: " + printable(bytes));
    }
    replies_.push_back({at, std::move(bytes)});
}

void Terminal::acknowledge(std::string_view text, Micros now) {
    if (faults_.strikes(Fault::LoseAck)) {
        log("fault: acknowledgement lost");
        return;
    }
    reply(text, now);
}

void Terminal::save(const std::string& name, std::span<const ByteView> parts) {
    if (!state_.store(name, parts)) log("cannot write " + name);
}

void Terminal::save_flash() {
    if (!flashChanged_) return;
    flashChanged_ = false;
    const std::string base = hex32(flash_.lowest());
    save("flash.bin", flash_.image_pieces());
    save("flash.base", to_bytes(base));
}

}  // namespace kest::emu
