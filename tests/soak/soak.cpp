// The fault soak: N randomised transfers per protocol (application download, lookup
// download, data upload, flash download; direct and through the cradle) against the
// emulated terminal on the fake clock, each with its own seeded fault plan: damaged and lost
// bytes, lost, damaged and late replies, NAK storms, "FULL", lost acknowledgements,
// "FF"/"FN" for flash records, a silent terminal. After each transfer:
//   - a success means the terminal holds exactly what was sent (image, lookup lines,
//     flash bytes) and the upload's data file holds every record once, in order;
//   - a failure is reported as one, and the PC's files are intact (the upload's old data
//     file unless records arrived, which then are the first ones sent, in order);
//   - the same transfer without faults then succeeds on the same terminal.
// Anything else is a finding: it is printed with the seed and the fault plan that repeat
// it (--only PROTOCOL --seed S --transfers 1, --trace for every byte and the terminal's
// events), and the exit status is 1. Damage that the protocol itself cannot see is
// counted apart, as no PC can tell it from good data: two damaged bytes of one packet whose
// sums cancel out, or a reply word damaged into another ("FN" into "FA").
// With --ports N the transfers run N at a time, one thread each, as kest runs several ports:
// each with its own terminal, link, clock and fault plan. Each must come out exactly as the
// same seed alone does (the same end, the same bytes on the terminal and in the files);
// anything else is a finding too, as one port's transfer then depends on another's.
// Usage: kest_soak [--transfers N] [--seed FIRST] [--ports N] [--only PROTOCOL] [--verbose] [--trace]
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "session/download_session.h"
#include "link/exchange.h"
#include "link/tracing_port.h"
#include "session/upload_session.h"
#include "loader/loader_session.h"
#include "loader/srec.h"
#include "project/defaults.h"
#include "project/download_image.h"
#include "tests/support/emulated_port.h"
#include "tests/support/scripted_ui.h"
#include "tests/support/srec_text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/unsynced_file_steps.h"

namespace {

using namespace kest;
using emu::Bytes;
using Random = std::mt19937_64;

bool tracing = false;  // --trace: every byte and the terminal's events on stderr
constexpr int kLongestSilenceMs = 10000;

void terminal_log(const std::string& event) { std::cerr << "  terminal: " << event << "\n"; }

int pick(Random& r, int low, int high) { return std::uniform_int_distribution<int>(low, high)(r); }
double chance(Random& r, double low, double high) { return std::uniform_real_distribution<double>(low, high)(r); }
bool coin(Random& r, double p = 0.5) { return std::bernoulli_distribution(p)(r); }

// A random fault plan in the emulator's own syntax, from the faults the protocol meets.
// Lookup lines carry no sequence number: a lost, damaged or late "ACK" makes the PC send the
// line again and the terminal store it twice, as the real terminal does, so reply faults
// are left out of lookup plans. The loader may end without answering the end record, so a
// flash download's silence begins before it.
std::string random_plan(Random& r, const std::string& protocol, int messages) {
    std::vector<std::string> parts;
    auto maybe = [&](const char* name, double low, double high) {
        if (coin(r)) parts.push_back(std::string(name) + "=" + std::to_string(chance(r, low, high)));
    };
    maybe("corrupt-rx", 0, protocol == "flash" ? 0.0005 : 0.003);
    maybe("drop-rx", 0, protocol == "flash" ? 0.0005 : 0.003);
    if (protocol != "lookup") {
        maybe("corrupt-reply", 0, 0.1);
        maybe("drop-reply", 0, 0.1);
        maybe("late-reply", 0, 0.05);  // some after the PC's time-out
    }
    maybe("lose-ack", 0, 0.1);
    if (protocol == "application" || protocol == "lookup") {
        if (coin(r, 0.15))
            parts.push_back("nak=" + std::to_string(chance(r, 0.5, 0.95)));  // a NAK storm
        else
            maybe("nak", 0, 0.2);
        if (coin(r, 0.1)) parts.push_back("full-at=" + std::to_string(pick(r, 0, messages)));
    }
    if (protocol == "flash") {
        maybe("ff", 0, 0.02);
        maybe("fn", 0, 0.1);
    }
    if (coin(r, 0.2))
        parts.push_back("silence=" + std::to_string(pick(r, 200, kLongestSilenceMs)) + "@" +
                        std::to_string(pick(r, 1, messages)));
    std::string plan;
    for (const auto& p : parts) plan += (plan.empty() ? "" : ",") + p;
    return plan;
}

// One transfer's dice, and the fault plan it drew.
struct Transfer {
    Random random;
    const char* protocol;
    std::uint64_t seed;
    testing::TempDir& folder;
    bool cradle;
    int rateIndex;
    std::string planText;

    Transfer(const char* p, std::uint64_t s, testing::TempDir& f)
        : random(s * 7919 + std::hash<std::string>{}(p)), protocol(p), seed(s), folder(f) {
        cradle = coin(random);
        rateIndex = pick(random, 0, kRateCount - 1);
    }
    // A plan for a transfer of about this many messages from the PC.
    emu::FaultPlan plan(int messages) {
        planText = random_plan(random, protocol, messages);
        std::string error;
        const auto plan = emu::parse_fault_plan(planText, error);
        if (!plan) throw std::runtime_error("bad fault plan " + planText + ": " + error);
        return *plan;
    }
    std::string file(const char* name) const { return folder.file(std::to_string(seed) + "-" + name); }
};

// What one transfer came to.
struct Verdict {
    bool succeeded = false;
    bool unseen = false;  // damaged in a way the protocol cannot see (see Rig::event, unseen_by_checksum)
    std::string finding;  // empty: everything held
    std::string trail;    // how it ended and what the terminal and the files hold afterwards
};

// A short, order-sensitive digest of bytes for a verdict's trail.
std::string digest(const std::string& bytes) {
    std::uint64_t h = 1469598103934665603ull;
    for (const unsigned char c : bytes) h = (h ^ c) * 1099511628211ull;
    return std::to_string(bytes.size()) + ":" + std::to_string(h);
}

// One terminal on the fake clock and the PC's link to it.
struct Rig {
    Rig(const Transfer& t, const emu::FaultPlan& plan)
        : port(clock, line(t.cradle), plan, t.seed, [this](const std::string& e) { event(e); }),
          tracer(port, clock, std::cerr),
          link(tracing ? static_cast<SerialPort&>(tracer) : port, clock) {
        // The retry questions: answered Yes a few times, then No.
        ui.answers.assign(static_cast<std::size_t>(pick(const_cast<Transfer&>(t).random, 0, 3)), Answer::Yes);
    }
    static emu::EmulatorConfig line(bool cradle) {
        emu::EmulatorConfig config;
        config.direct = !cradle;
        return config;
    }
    // The same transfer again, without faults, on the same terminal, once a silence the
    // plan made is over.
    void without_faults() {
        port.set_faults({}, 0);
        clock.advance(kLongestSilenceMs);
        ui.answers.clear();
        if (tracing) std::cerr << "-- without faults\n";
    }
    // A reply word of the terminal damaged into another one ("FN" into "FA"): replies carry
    // no checksum, so no PC can tell.
    void event(const std::string& e) {
        if (tracing) terminal_log(e);
        static const std::string kDamaged = "fault: reply damaged: ";
        static const char* const kWords[] = {"ACK", "NAK", "FULL", "OVER", "ACK1", "ACK2", "FA", "FB", "FN", "FF"};
        if (e.rfind(kDamaged, 0) != 0) return;
        for (const char* w : kWords)
            if (e.substr(kDamaged.size()) == std::string(w) + "<0D>") wordDamaged = true;
    }
    bool wordDamaged = false;

    testing::FakeClock clock;
    testing::EmulatedPort port;
    TracingPort tracer;
    testing::ScriptedUi ui;
    Link link;
};

// Text as the terminal's files hold it: printable Windows-1252 characters.
std::string random_text(Random& r, int length) {
    std::string s;
    for (int i = 0; i < length; ++i) {
        const int c = pick(r, 0x20, 0xFE);
        s += static_cast<char>(c == 0x7F ? 'x' : c);
    }
    return s;
}

std::string with_crlf(const std::vector<std::string>& lines) {
    std::string s;
    for (const auto& l : lines) s += l + "\r\n";
    return s;
}

unsigned sum_of(const std::string& s, std::size_t from, std::size_t count) {
    unsigned sum = 0;
    for (std::size_t i = from; i < from + count && i < s.size(); ++i) sum += static_cast<unsigned char>(s[i]);
    return sum;
}

// Where two byte strings part, for a finding.
std::string first_difference(const std::string& held, const std::string& sent) {
    std::size_t at = 0;
    while (at < held.size() && at < sent.size() && held[at] == sent[at]) ++at;
    return "holds " + std::to_string(held.size()) + " bytes, " + std::to_string(sent.size()) +
           " were sent, first difference at byte " + std::to_string(at);
}

// How a protocol checks a piece: its checksum as it travels, from the plain byte sum.
using Checksum = unsigned (*)(unsigned sum);
unsigned sum16(unsigned sum) { return sum & 0xFFFF; }
unsigned sum8(unsigned sum) { return sum & 0xFF; }
// Lookup lines: both sum bytes travel with 0x0D as 0x0E, so those two values look alike.
unsigned line_sum(unsigned sum) { return line_sum_byte(sum >> 8) << 8 | line_sum_byte(sum); }

// Whether held differs from sent only inside pieces whose checksum came out the same:
// damage the protocol cannot see.
bool unseen_by_checksum(const std::string& held, const std::string& sent,
                        const std::vector<std::pair<std::size_t, std::size_t>>& pieces, Checksum checksum) {
    if (held.size() != sent.size()) return false;
    std::size_t covered = 0;
    for (const auto& [at, count] : pieces) {
        if (held.compare(at, count, sent, at, count) != 0 &&
            checksum(sum_of(held, at, count)) != checksum(sum_of(sent, at, count)))
            return false;
        covered += count;
    }
    return covered == sent.size() || held.compare(covered, std::string::npos, sent, covered, std::string::npos) == 0;
}

// ------------------------------------------------------------ application download

std::unique_ptr<Project> random_project(Random& r) {
    auto p = std::make_unique<Project>();
    reset_to_defaults(*p);
    for (int k = 0; k < kFormCount; ++k) {
        FormRecord& f = p->forms[k];
        for (int line = 0; line < kFormLines; ++line) {
            f.lineType[line] = static_cast<u8>(pick(r, 0, kFieldContinuation));
            set_cell(f.prompt[line], random_text(r, pick(r, 0, 20)));
            f.maxLength[line] = static_cast<u8>(pick(r, 1, 60));
        }
        f.font = static_cast<u8>(coin(r, 0.3));
    }
    for (int k = 0; k < kMenuCount; ++k)
        for (auto& item : p->menus[k].items) set_cell(item, random_text(r, pick(r, 0, 20)));
    set_cell(p->options.password, random_text(r, pick(r, 0, 11)));
    return p;
}

Verdict application(Transfer& t) {
    auto project = random_project(t.random);
    auto copy = std::make_unique<Project>(*project);
    const DownloadImage image = prepare_image(*copy);
    const std::string expected(image.begin(), image.end());
    std::vector<std::pair<std::size_t, std::size_t>> blocks;
    for (int b = 0; b < kImageBlocks; ++b) blocks.emplace_back(b * kBlockSize, kBlockSize);

    Rig rig(t, t.plan(kImageBlocks + 1));
    DownloadOptions options;
    options.cradle = t.cradle;
    options.portName = "COM1";
    options.rateIndex = t.rateIndex;
    std::string lookupName;
    const DownloadReport report = download(*project, rig.link, rig.ui, options, lookupName);
    Verdict v;
    v.succeeded = report.outcome == DownloadOutcome::Completed;
    const std::string held = rig.port.stored("image.bin");
    v.trail = std::to_string(static_cast<int>(report.outcome)) + " " + digest(held);
    if (v.succeeded && held != expected) {
        v.unseen = rig.wordDamaged || unseen_by_checksum(held, expected, blocks, sum16);
        v.finding = "reported complete, but the terminal's image " + first_difference(held, expected);
    }
    if (!v.finding.empty()) return v;

    rig.without_faults();
    const DownloadReport again = download(*project, rig.link, rig.ui, options, lookupName);
    if (again.outcome != DownloadOutcome::Completed || rig.port.stored("image.bin") != expected)
        v.finding = "the download without faults afterwards did not deliver the image";
    return v;
}

// ------------------------------------------------------------ lookup download

// The newest lookup file the terminal stored ("" when none).
std::string newest_lookup(const testing::EmulatedPort& port) {
    std::string newest;
    for (int n = 1;; ++n) {
        const std::string file = port.stored("lookup-" + std::to_string(n) + ".txt");
        if (file.empty()) return newest;
        newest = file;
    }
}

Verdict lookup(Transfer& t) {
    std::vector<std::string> lines;
    std::string text;
    const char* ends[] = {"\r\n", "\n", "\r"};
    const int count = pick(t.random, 1, 60);
    for (int i = 0; i < count; ++i) {
        const int length = coin(t.random, 0.05) ? static_cast<int>(kMaxLookupLine) : pick(t.random, 1, 40);
        lines.push_back(random_text(t.random, length));
        text += lines.back();
        if (i + 1 < count || coin(t.random)) text += ends[pick(t.random, 0, 2)];
    }
    const std::string path = t.file("lookup.txt");
    testing::TempDir::write(path, Bytes(text.begin(), text.end()));
    const std::string expected = with_crlf(lines);
    std::vector<std::pair<std::size_t, std::size_t>> pieces;
    for (std::size_t i = 0, at = 0; i < lines.size(); at += lines[i].size() + 2, ++i)
        pieces.emplace_back(at, lines[i].size());

    Rig rig(t, t.plan(count + 2));
    DownloadOptions options;
    options.cradle = t.cradle;
    options.lookup = true;
    options.portName = "COM1";
    options.rateIndex = t.rateIndex;
    std::string lookupName;
    rig.ui.openFiles = {path, path};
    Project project{};  // a lookup download takes nothing from the project
    const DownloadReport report = download(project, rig.link, rig.ui, options, lookupName);
    Verdict v;
    v.succeeded = report.outcome == DownloadOutcome::Completed;
    const std::string held = newest_lookup(rig.port);
    v.trail = std::to_string(static_cast<int>(report.outcome)) + " " + digest(held);
    if (v.succeeded && held != expected) {
        v.unseen = rig.wordDamaged || unseen_by_checksum(held, expected, pieces, line_sum);
        v.finding = "reported complete, but the terminal's lookup file " + first_difference(held, expected);
    } else if (testing::TempDir::read(path) != Bytes(text.begin(), text.end())) {
        v.finding = "the lookup file changed";
    }
    if (!v.finding.empty()) return v;

    rig.without_faults();
    const DownloadReport again = download(project, rig.link, rig.ui, options, lookupName);
    if (again.outcome != DownloadOutcome::Completed || newest_lookup(rig.port) != expected)
        v.finding = "the lookup download without faults afterwards did not deliver the lines";
    return v;
}

// ------------------------------------------------------------ data upload

Verdict upload(Transfer& t) {
    std::vector<std::string> records(static_cast<std::size_t>(pick(t.random, 0, 40)));
    for (auto& r : records) r = random_text(t.random, pick(t.random, 1, 80));
    const std::string path = t.file("data.txt");
    const std::string old = "old record\r\n";
    testing::TempDir::write(path, Bytes(old.begin(), old.end()));

    Rig rig(t, t.plan(static_cast<int>(records.size()) + 2));
    rig.port.set_records(records);
    UploadOptions options;
    options.cradle = t.cradle;
    options.portName = "COM1";
    options.rateIndex = t.rateIndex;
    options.path = path;
    options.offerViewer = false;
    auto project = std::make_unique<Project>();
    reset_to_defaults(*project);
    testing::UnsyncedFileSteps files;
    const UploadReport report = upload_data(*project, rig.link, rig.ui, files, options);

    Verdict v;
    v.succeeded = report.end == UploadEnd::Over;
    const Bytes file = testing::TempDir::read(path);
    const std::string kept(file.begin(), file.end());
    const auto stored = static_cast<std::size_t>(report.records);
    const auto first = [&](std::size_t n) {
        return with_crlf(std::vector<std::string>(records.begin(), records.begin() + static_cast<std::ptrdiff_t>(n)));
    };
    v.trail = std::to_string(static_cast<int>(report.end)) + " " + std::to_string(stored) + " " + digest(kept);
    if (stored == 0) {
        if (kept != old) v.finding = "an upload without records changed the old data file";
    } else if (stored > records.size() || kept != first(stored)) {
        v.finding = "the data file does not hold the first " + std::to_string(stored) + " records once, in order";
    }
    if (v.finding.empty() && v.succeeded && stored != records.size())
        v.finding = "the upload ended with " + std::to_string(stored) + " of " + std::to_string(records.size()) +
                    " records as a success";
    if (!v.finding.empty()) return v;

    rig.without_faults();
    const UploadReport again = upload_data(*project, rig.link, rig.ui, files, options);
    const Bytes after = testing::TempDir::read(path);
    const std::string expected = records.empty() ? kept : with_crlf(records);
    if (again.end != UploadEnd::Over || std::string(after.begin(), after.end()) != expected)
        v.finding = "the upload without faults afterwards did not bring every record";
    return v;
}

// ------------------------------------------------------------ flash download

Verdict flash(Transfer& t) {
    const int size = pick(t.random, 1, 24) * 512 + pick(t.random, 0, 511);
    Bytes program(static_cast<std::size_t>(size));
    for (auto& b : program) b = static_cast<std::uint8_t>(pick(t.random, 0, 255));
    const auto base = static_cast<std::uint32_t>(pick(t.random, 0, 0xFF0000 - size));
    const char type = base + static_cast<std::uint32_t>(size) <= 0x10000 && coin(t.random) ? '1'
                      : coin(t.random)                                                     ? '2'
                                                                                           : '3';
    const std::string text = testing::srec_lines(type, base, program, coin(t.random) ? 16 : 32) +
                             testing::srec_line(static_cast<char>('0' + 10 - (type - '0')), 0, {});
    const std::string path = t.file("program.shx");
    testing::TempDir::write(path, Bytes(text.begin(), text.end()));
    char baseText[16];
    std::snprintf(baseText, sizeof baseText, "%08X", static_cast<unsigned>(base));
    const std::string expected(program.begin(), program.end());
    // The send records' data, by offset in the program.
    std::vector<std::pair<std::size_t, std::size_t>> records;
    for (const auto& r : loader::convert_srec_text(text))
        if (r.size() > 9) {
            const std::uint32_t address = std::uint32_t{r[3]} << 24 | std::uint32_t{r[4]} << 16 | r[5] << 8 | r[6];
            records.emplace_back(address - base, r.size() - 9);
        }

    // Wake-up and erase, the records; the silence ends before the end record.
    Rig rig(t, t.plan(static_cast<int>(records.size()) + 4));
    const loader::SessionResult result = loader::flash_session(rig.link, "COM1", t.rateIndex, t.cradle, path, rig.ui);
    auto holds_program = [&] {
        return rig.port.stored("flash.bin") == expected && rig.port.stored("flash.base").rfind(baseText, 0) == 0;
    };
    Verdict v;
    v.succeeded = result.end == loader::SessionEnd::Done;
    v.trail = std::to_string(static_cast<int>(result.end)) + " " + digest(rig.port.stored("flash.bin"));
    if (v.succeeded && !holds_program()) {
        const std::string held = rig.port.stored("flash.bin");
        v.unseen = rig.wordDamaged || (rig.port.stored("flash.base").rfind(baseText, 0) == 0 &&
                                       unseen_by_checksum(held, expected, records, sum8));
        v.finding = "reported written, but the flash from " + rig.port.stored("flash.base").substr(0, 8) + " " +
                    first_difference(held, expected) + " (from " + baseText + ")";
    }
    if (!v.finding.empty()) return v;

    rig.without_faults();
    const loader::SessionResult again = loader::flash_session(rig.link, "COM1", t.rateIndex, t.cradle, path, rig.ui);
    if (again.end != loader::SessionEnd::Done || !holds_program())
        v.finding = "the flash download without faults afterwards did not write the program";
    return v;
}

struct Protocol {
    const char* name;
    std::function<Verdict(Transfer&)> run;
};

struct Tally {
    int direct = 0, cradle = 0, succeeded = 0, failed = 0, unseen = 0, findings = 0;
};

}  // namespace

int main(int argc, char** argv) {
    std::setvbuf(stdout, nullptr, _IOLBF, 0);  // each verdict as it comes
    long transfers = 20;
    std::uint64_t first = 1;
    std::string only;
    bool verbose = false;
    long ports = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--transfers" && i + 1 < argc)
            transfers = std::strtol(argv[++i], nullptr, 10);
        else if (a == "--seed" && i + 1 < argc)
            first = std::strtoull(argv[++i], nullptr, 10);
        else if (a == "--ports" && i + 1 < argc)
            ports = std::max(1L, std::strtol(argv[++i], nullptr, 10));
        else if (a == "--only" && i + 1 < argc)
            only = argv[++i];
        else if (a == "--verbose")
            verbose = true;
        else if (a == "--trace")
            tracing = true;
        else {
            std::fprintf(stderr,
                         "usage: kest_soak [--transfers N] [--seed FIRST] [--ports N] [--only PROTOCOL] [--verbose] "
                         "[--trace]\n");
            return 2;
        }
    }
    const Protocol protocols[] = {
        {"application", application}, {"lookup", lookup}, {"upload", upload}, {"flash", flash}};
    testing::TempDir folder;
    testing::TempDir besideOthers;
    int findings = 0;
    for (const Protocol& p : protocols) {
        if (!only.empty() && only != p.name) continue;
        Tally tally;
        for (long batch = 0; batch < transfers; batch += ports) {
            const long count = std::min<long>(ports, transfers - batch);
            auto seed_of = [&](long i) { return first + static_cast<std::uint64_t>(batch + i); };
            // Several at once first, each on a thread of its own, then each seed alone.
            std::vector<Verdict> together(static_cast<std::size_t>(count));
            if (ports > 1) {
                std::vector<std::thread> threads;
                for (long i = 0; i < count; ++i)
                    threads.emplace_back([&, i] {
                        Transfer t(p.name, seed_of(i), besideOthers);
                        together[static_cast<std::size_t>(i)] = p.run(t);
                    });
                for (auto& thread : threads) thread.join();
            }
            for (long i = 0; i < count; ++i) {
                Transfer t(p.name, seed_of(i), folder);
                Verdict v = p.run(t);
                const Verdict& beside = together[static_cast<std::size_t>(i)];
                if (ports > 1 &&
                    (beside.succeeded != v.succeeded || beside.finding != v.finding || beside.trail != v.trail)) {
                    v.unseen = false;
                    v.finding = "beside " + std::to_string(count - 1) + " other ports it " +
                                (beside.succeeded ? "succeeded" : "failed") + " with \"" + beside.trail + "\" (" +
                                beside.finding + "), alone with \"" + v.trail + "\" (" + v.finding + ")";
                }
                (t.cradle ? tally.cradle : tally.direct)++;
                (v.succeeded ? tally.succeeded : tally.failed)++;
                const bool finding = !v.finding.empty() && !v.unseen;
                tally.findings += finding;
                tally.unseen += v.unseen;
                if (verbose || !v.finding.empty())
                    std::printf("%s seed %llu, %s at %u bit/s, faults \"%s\": %s%s%s\n", p.name,
                                static_cast<unsigned long long>(t.seed), t.cradle ? "cradle" : "direct",
                                kRates[t.rateIndex], t.planText.c_str(), v.succeeded ? "succeeded" : "failed",
                                v.finding.empty() ? ""
                                : v.unseen        ? "; damage the protocol cannot see: "
                                                  : "; FINDING: ",
                                v.finding.c_str());
            }
        }
        std::printf(
            "%-12s %ld transfers (%d direct, %d through the cradle), seeds %llu-%llu%s: %d succeeded, %d failed "
            "and said so, %d damaged past the protocol's checks, %d findings\n",
            p.name, transfers, tally.direct, tally.cradle, static_cast<unsigned long long>(first),
            static_cast<unsigned long long>(first + transfers - 1),
            ports > 1 ? (", " + std::to_string(ports) + " ports at once and each alone").c_str() : "", tally.succeeded,
            tally.failed, tally.unseen, tally.findings);
        findings += tally.findings;
    }
    return findings == 0 ? 0 : 1;
}
