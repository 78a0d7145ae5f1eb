// Crash consistency of every save: the file-system calls of a real kest run are recorded
// (fs_log_shim.c, loaded with LD_PRELOAD) and replayed in a model of the file system that
// keeps apart what is on the disk and what is only cached. After every call, in every state
// a crash of the system could leave on the disk, a saved file is the whole old or the whole
// new file, and the data file holds every record acknowledged to the terminal; once the
// program has reported success, the new file is on the disk whatever happens.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/integration/crash_model.h"
#include "tests/integration/kestemu_process.h"
#include "tests/integration/run_tool.h"

namespace kest::testing {
namespace {

namespace fs = std::filesystem;

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (unsigned char b : bytes) text += {digits[b >> 4], digits[b & 15]};
    return text;
}

std::string shown(const std::optional<std::string>& contents) {
    if (!contents) return "(no file)";
    return contents->size() <= 40 ? "\"" + *contents + "\"" : std::to_string(contents->size()) + " bytes";
}

std::optional<std::string> file_in(const DiskState& state, const std::string& name) {
    const auto it = state.find(name);
    return it == state.end() ? std::nullopt : std::optional(it->second);
}

// A rule a crash state must keep; `done` once the program has made its last call. Returns
// what is wrong, or "".
using Rule = std::function<std::string(const CrashModel&, const DiskState&, bool done)>;

// The saved file is the whole old file (or none, when there was none) or the whole new one,
// and the new one once the program is done.
Rule whole_old_or_new(const std::string& name, const std::optional<std::string>& before,
                      const std::optional<std::string>& after) {
    return [=](const CrashModel&, const DiskState& state, bool done) -> std::string {
        const auto now = file_in(state, name);
        if (now == after || (!done && now == before)) return {};
        return name + " is " + shown(now) + ", neither " + (done ? "" : shown(before) + " (old) nor ") + shown(after) +
               " (new)";
    };
}

std::string lines(const std::vector<std::string>& records, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count && i < records.size(); ++i) text += records[i] + "\r\n";
    return text;
}

std::size_t count_of(const std::string& text, const std::string& word) {
    std::size_t n = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + word.size())) ++n;
    return n;
}

// Every record acknowledged on the port is on the disk: in the data file after `prefix`, or
// (while the records wait to replace the file) in some file of the folder.
Rule acknowledged_records_kept(const std::string& port, const std::string& name, const std::string& prefix,
                               const std::vector<std::string>& records, bool onlyInTheFile) {
    return [=](const CrashModel& model, const DiskState& state, bool) -> std::string {
        const std::size_t acked = count_of(model.written_to(port), "ACK\r");
        const std::string expected = prefix + lines(records, acked);
        for (const auto& [file, contents] : state)
            if ((!onlyInTheFile || file == name) && contents.rfind(expected, 0) == 0) return {};
        return std::to_string(acked) + " records acknowledged, but no file on the disk holds them";
    };
}

// Replays the calls and checks the rules in every crash state before the first call and
// after each; the first fault found, or "".
std::string check_crashes(const std::vector<FsCall>& calls, const std::string& folder, const DiskState& before,
                          const std::vector<Rule>& rules) {
    CrashModel model(folder, before);
    for (std::size_t done = 0;; ++done) {
        if (!model.problem().empty()) return model.problem();
        for (const DiskState& state : model.crash_states())
            for (const Rule& rule : rules)
                if (const std::string fault = rule(model, state, done == calls.size()); !fault.empty())
                    return "crash after call " + std::to_string(done) +
                           (done ? " (" + calls[done - 1].kind + ")" : std::string()) + ": " + fault;
        if (done == calls.size()) return {};
        model.apply(calls[done]);
    }
}

DiskState files_of(const fs::path& folder) {
    DiskState state;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.is_regular_file()) state[entry.path().filename().string()] = slurp(entry.path().string());
    return state;
}

// kest with its file-system calls logged; the calls and what the folder held before.
struct Recorded {
    ToolRun run;
    DiskState before, after;
    std::vector<FsCall> calls;
};

Recorded record_kest(const fs::path& folder, const std::vector<std::string>& args) {
    Recorded r;
    r.before = files_of(folder);
    TempDir logs;
    const std::string log = logs.file("calls.log");
    // A sanitizer runtime wants to be loaded first; the shim then comes second.
    const char* asan = std::getenv("ASAN_OPTIONS");
    std::vector<std::string> command{"LD_PRELOAD=" + tool_path("FS_LOG_SHIM"), "KEST_FS_LOG=" + log,
                                     std::string("ASAN_OPTIONS=") + (asan ? asan : "") + ":verify_asan_link_order=0",
                                     tool_path("KEST_BIN")};
    command.insert(command.end(), args.begin(), args.end());
    r.run = run_tool("/usr/bin/env", command);
    r.after = files_of(folder);
    r.calls = parse_fs_log(slurp(log));
    return r;
}

// The model has followed the program when it shows what the folder holds afterwards.
void expect_model_follows(const Recorded& r, const std::string& folder) {
    ASSERT_FALSE(r.calls.empty()) << "no call was logged: FS_LOG_SHIM names the shim";
    CrashModel model(folder, r.before);
    for (const FsCall& call : r.calls) model.apply(call);
    EXPECT_EQ(model.problem(), "");
    EXPECT_EQ(model.visible(), r.after);
}

std::string call(const std::vector<std::string>& fields) {
    std::string line;
    for (const std::string& f : fields) line += (line.empty() ? "" : "\t") + f;
    return line + "\n";
}

// The model itself, on logs written by hand: it finds the faults of saves that skip a sync.
TEST(CrashModel, FindsTheSavesThatSkipASync) {
    const std::string open = call({"fopen", "3", "f", "wb", "/d/p.agx.new~"});
    const std::string write = call({"fwrite", "3", hex("new")}), flush = call({"fflush", "3"});
    const std::string sync = call({"fsync", "3"}), close = call({"fclose", "3"});
    const std::string rename = call({"rename", "/d/p.agx.new~", "/d/p.agx"});
    const std::string folderSync = call({"open", "4", "d", "0", "/d"}) + call({"fsync", "4"}) + call({"close", "4"});
    const struct {
        const char* name;
        std::string log;
        const char* fault;  // "" when the save is sound
    } cases[] = {
        {"synced", open + write + flush + sync + close + rename + folderSync, ""},
        {"no sync", open + write + flush + close + rename + folderSync, "p.agx is \"\", neither"},
        {"no folder sync", open + write + flush + sync + close + rename, "p.agx is \"old\", neither \"new\""},
        {"sync before the flush", open + write + sync + close, "while bytes wait in the program's buffer"},
        {"written in place", call({"fopen", "3", "f", "wb", "/d/p.agx"}) + write + flush + sync + close,
         "p.agx is \"\", neither"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string fault =
            check_crashes(parse_fs_log(c.log), "/d", {{"p.agx", "old"}}, {whole_old_or_new("p.agx", "old", "new")});
        if (*c.fault == 0) {
            EXPECT_EQ(fault, "");
        } else {
            EXPECT_NE(fault.find(c.fault), std::string::npos) << fault;
        }
    }
}

struct SaveCase {
    const char* name;
    std::vector<std::string> args;  // FOLDER in them stands for the test's folder
    const char* target;
    bool existed;
};
void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.name; }

class Saves : public ::testing::TestWithParam<SaveCase> {};

TEST_P(Saves, LeaveTheWholeOldOrTheWholeNewFile) {
    const SaveCase& c = GetParam();
    TempDir dir;
    const std::string folder = fs::canonical(dir.path()).string();
    ASSERT_EQ(run_kest({"new", folder + "/in.agx"}).status, 0);
    if (c.existed) TempDir::write(folder + "/" + c.target, {'o', 'l', 'd'});
    std::vector<std::string> args;
    for (std::string a : c.args) args.push_back(a.rfind("FOLDER", 0) == 0 ? folder + a.substr(6) : a);

    const Recorded r = record_kest(folder, args);
    ASSERT_EQ(r.run.status, 0) << r.run.err;
    ASSERT_TRUE(r.after.count(c.target));
    expect_model_follows(r, folder);
    EXPECT_EQ(check_crashes(r.calls, folder, r.before,
                            {whole_old_or_new(c.target, file_in(r.before, c.target), r.after.at(c.target))}),
              "");
}

INSTANTIATE_TEST_SUITE_P(
    Kest, Saves,
    ::testing::Values(
        SaveCase{"NewProject", {"new", "FOLDER/neu.agx"}, "neu.agx", false},
        SaveCase{"NewProjectOverAnOldOne", {"new", "--force", "FOLDER/neu.agx"}, "neu.agx", true},
        SaveCase{"Convert", {"convert", "--force", "FOLDER/in.agx", "FOLDER/out.agx"}, "out.agx", true},
        SaveCase{"Image", {"image", "FOLDER/in.agx", "-o", "FOLDER/image.bin", "--force"}, "image.bin", true},
        SaveCase{"Report", {"report", "FOLDER/in.agx", "-o", "FOLDER/report.html", "--force"}, "report.html", true}),
    [](const auto& info) { return std::string(info.param.name); });

class UploadCrash : public ::testing::TestWithParam<bool> {};

TEST_P(UploadCrash, KeepsEveryAcknowledgedRecord) {
    const bool append = GetParam();
    TempDir dir;
    const std::string folder = fs::canonical(dir.path()).string();
    const std::vector<std::string> records = {"4711;12", "", "0815;3;Regal 7", "9;1"};
    TempDir outside;
    const std::string recordsFile = outside.file("records.txt");
    const std::string text = lines(records, records.size());
    TempDir::write(recordsFile, {text.begin(), text.end()});
    KestemuProcess emulator({"--direct", "--records", recordsFile});
    ASSERT_TRUE(emulator.ok());
    const std::string old = "old;1\r\n";
    TempDir::write(folder + "/DATA.TXT", {old.begin(), old.end()});

    const Recorded r = record_kest(folder, {"upload", "-q", "-o", folder + "/DATA.TXT", "--port", emulator.link(),
                                            append ? "--append" : "--force"});
    ASSERT_EQ(r.run.status, 0) << r.run.err;
    const std::string after = (append ? old : "") + text;
    ASSERT_EQ(r.after.at("DATA.TXT"), after);
    expect_model_follows(r, folder);
    // Appended records go straight into the file, after the old ones; replacing ones wait
    // beside it, and the file is the whole old or the whole new one.
    std::vector<Rule> rules{acknowledged_records_kept(emulator.link(), "DATA.TXT", append ? old : "", records, append)};
    if (!append) rules.push_back(whole_old_or_new("DATA.TXT", old, after));
    EXPECT_EQ(check_crashes(r.calls, folder, r.before, rules), "");
}

INSTANTIATE_TEST_SUITE_P(Kest, UploadCrash, ::testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "Append" : "Replace"); });

}  // namespace
}  // namespace kest::testing
