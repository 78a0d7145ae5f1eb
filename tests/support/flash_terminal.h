// A scripted terminal flash loader for tests: answers the wake-up, the erase and each
// send record from queues of reply words (each sent with CR), and keeps the records it
// accepted so that tests can rebuild the flash image.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tests/support/scripted_port.h"

namespace kest::testing {

class FlashTerminal {
public:
    // Replies to the opening CR, "QUENTIR\r", "DOWNLOAD\r" and ":ERASE\r"; an empty word
    // means no reply. When a queue runs dry the defaults below answer.
    std::deque<std::string> onCr, onQuentir, onDownload, onErase;
    std::string crDefault = "", quentirDefault = "ACK1", downloadDefault = "ACK2", eraseDefault = "FA";
    // Replies to send records, in order; "FA" when empty. Several words for one record
    // may be given separated by '|', e.g. "??|FA".
    std::deque<std::string> onRecord;
    std::uint32_t replyDelayMs = 5;
    std::uint32_t eraseDoneDelayMs = 3000;  // "FA" after "FB"
    bool eraseCompletes = true;
    bool cradleEcho = true;  // the cradle echoes its probe byte 0x0F
    std::function<void(const Bytes&)> onWrite;  // sees every write of the PC first

    std::map<std::uint32_t, std::uint8_t> flash;  // accepted data bytes
    int records = 0;
    bool endSeen = false;

    void attach(ScriptedPort& port) {
        port.set_responder([this](ScriptedPort& p, const Bytes& w) { answer(p, w); });
    }

private:
    static std::string take(std::deque<std::string>& q, const std::string& fallback) {
        if (q.empty()) return fallback;
        std::string s = q.front();
        q.pop_front();
        return s;
    }

    void reply(ScriptedPort& p, const std::string& words) {
        std::size_t start = 0;
        for (;;) {
            const std::size_t bar = words.find('|', start);
            const std::string w = words.substr(start, bar == std::string::npos ? bar : bar - start);
            if (!w.empty()) p.deliver(w + "\x0D", replyDelayMs);
            if (bar == std::string::npos) break;
            start = bar + 1;
        }
    }

    void answer(ScriptedPort& p, const Bytes& w) {
        if (onWrite) onWrite(w);
        const std::string text = text_of(w);
        if (w.size() == 1 && w[0] == 0x0F) {
            if (cradleEcho) p.deliver(w, 2);
            return;
        }
        if (text == "\x0D") return reply(p, take(onCr, crDefault));
        if (text == "QUENTIR\x0D") return reply(p, take(onQuentir, quentirDefault));
        if (text == "DOWNLOAD\x0D") return reply(p, take(onDownload, downloadDefault));
        if (text == ":ERASE\x0D") {
            const std::string r = take(onErase, eraseDefault);
            reply(p, r);
            if (r == "FB" && eraseCompletes) p.deliver(std::string("FA\x0D"), eraseDoneDelayMs);
            return;
        }
        if (w.size() >= 9 && w[0] == 'S' && w[1] == '7') {
            endSeen = true;
            return reply(p, "FA");
        }
        if (w.size() >= 9 && w[0] == 'S' && w[1] == '3') {
            ++records;
            const std::string r = take(onRecord, "FA");
            if (r.substr(0, 2) == "FA" || r.find("|FA") != std::string::npos) {
                const std::uint32_t address = std::uint32_t{w[3]} << 24 | std::uint32_t{w[4]} << 16 |
                                              std::uint32_t{w[5]} << 8 | w[6];
                for (std::size_t i = 7; i + 2 < w.size(); ++i)
                    flash[address + static_cast<std::uint32_t>(i - 7)] = w[i];
            }
            return reply(p, r);
        }
    }
};

}  // namespace kest::testing
