// kest records on data files: the record kest simulate shows a form passing down comes back
// as named fields; what no form fits is kept and counted; kest upload writes the same.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "project/defaults.h"
#include "project/project_file.h"
#include "tests/integration/kestemu_process.h"
#include "tests/integration/run_tool.h"

namespace kest {
namespace {

using testing::run_kest;
using testing::slurp;
using testing::TempDir;
using testing::ToolRun;

class RecordsCommand : public ::testing::Test {
protected:
    RecordsCommand() : project(std::make_unique<Project>()) {
        std::memset(project.get(), 0, sizeof(Project));
        reset_to_defaults(*project);
        project->options.delimiter1 = ';';
        FormRecord& f = project->forms[0];
        const char* prompts[] = {"Artikel", "Menge"};
        for (int line = 0; line < 2; ++line) {
            f.lineType[line] = line == 0 ? kFieldText : kFieldInteger;
            set_cell(f.prompt[line], prompts[line]);
            f.maxLength[line] = 20;
        }
        f.fixedLengthOn[1] = 1, f.fixedLength[1] = 4, f.justify[1] = 3;
        f.stampPosition = 2;
        f.nextTarget = 0;
    }

    std::string save(const std::string& name, u8 action) {
        project->forms[0].recordAction = action;
        const std::string file = dir.file(name);
        TempDir::write(file, project_file_bytes(*project));
        return file;
    }
    void write(const std::string& file, const std::string& text) {
        TempDir::write(file, std::vector<unsigned char>(text.begin(), text.end()));
    }

    std::unique_ptr<Project> project;
    TempDir dir;
};

// The record simulate shows ("passdown") is the record the terminal stores.
std::string passdown(const ToolRun& run) {
    const std::string marker = "\"passdown\": \"";
    const auto at = run.out.find(marker);
    if (at == std::string::npos) return {};
    return run.out.substr(at + marker.size(), run.out.find('"', at + marker.size()) - at - marker.size());
}

TEST_F(RecordsCommand, SimulatedRecordComesBackNamed) {
    const std::string preview = save("preview.agx", kRecordPassDown);
    const std::string stored = save("stored.agx", kRecordStore);
    const ToolRun sim =
        run_kest({"simulate", preview, "--keys", "1,4,0,enter,7,enter", "--time", "2026-12-08T14:03:11", "--json"});
    ASSERT_EQ(sim.status, 0) << sim.err;
    ASSERT_EQ(passdown(sim), "40;0007;2026.12.08;14:03:11");
    const std::string data = dir.file("DATA.TXT");
    write(data, passdown(sim) + "\r\nkein Satz\r\n");

    const ToolRun csv = run_kest({"records", data, "--project", stored});
    EXPECT_EQ(csv.status, 1) << "a line fits no form";
    EXPECT_EQ(csv.out,
              "Maske,Zeile,Artikel,Menge,Datum,Datum ISO,Zeit,Zeit ISO,Hinweis,Datensatz\n"
              "1,1,40,7,2026.12.08,2026-12-08,14:03:11,14:03:11,,40;0007;2026.12.08;14:03:11\n"
              "unmatched,2,,,,,,,,kein Satz\n");
    EXPECT_NE(csv.err.find("unmatched: 1 (line 2"), std::string::npos) << csv.err;

    const ToolRun json = run_kest({"records", data, "--project", stored, "--format", "json"});
    EXPECT_EQ(json.out,
              "{\"line\":1,\"kind\":\"form\",\"form\":1,\"fields\":{\"Artikel\":\"40\",\"Menge\":\"7\","
              "\"Datum\":\"2026-12-08\",\"Zeit\":\"14:03:11\"},\"cut\":false,\"raw\":\"40;0007;2026.12.08;14:03:11\"}\n"
              "{\"line\":2,\"kind\":\"unmatched\",\"raw\":\"kein Satz\"}\n");

    // One file per form, for a spreadsheet set to German; the summary as JSON.
    const std::string folder = dir.file("out") + "/";
    const ToolRun files = run_kest({"records", data, "--project", stored, "-o", folder, "--excel", "--json"});
    EXPECT_EQ(files.status, 1);
    EXPECT_EQ(slurp(folder + "Maske-1.csv"),
              "\xEF\xBB\xBFMaske;Zeile;Artikel;Menge;Datum;Datum ISO;Zeit;Zeit ISO;Hinweis;Datensatz\r\n"
              "1;1;40;7;2026.12.08;2026-12-08;14:03:11;14:03:11;;\"40;0007;2026.12.08;14:03:11\"\r\n");
    EXPECT_NE(slurp(folder + "unmatched.csv").find("Maske;Zeile;Hinweis;Datensatz\r\nunmatched;2;;kein Satz\r\n"),
              std::string::npos);
    EXPECT_NE(files.out.find("\"unmatched\": [2]"), std::string::npos) << files.out;
    EXPECT_EQ(run_kest({"records", data, "--project", stored, "-o", folder}).status, 2) << "exists without --force";
}

TEST_F(RecordsCommand, RefusesWhatItCannotRead) {
    const std::string stored = save("stored.agx", kRecordStore);
    const std::string data = dir.file("DATA.TXT");
    write(data, "x\r\n");
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    for (const Case& c : std::vector<Case>{
             {{"records", data}, "--project PROJECT.AGX is required"},
             {{"records", dir.file("none.txt"), "--project", stored}, "not found"},
             {{"records", data, "--project", data}, "DATA.TXT"},
             {{"records", data, "--project", stored, "--form", "11"}, "--form takes a form number 1-10"},
             {{"records", data, "--project", stored, "--format", "xml"}, "--format takes csv or json"},
             {{"records", data, "--project", stored, "--json"}, "name the records' output with -o"},
             {{"records", data, "--project", stored, "-o", data}, "is the input file itself"},
         }) {
        const ToolRun run = run_kest(c.args);
        EXPECT_EQ(run.status, 2) << c.says;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
}

TEST_F(RecordsCommand, UploadWritesTheNamedRecordsToo) {
    const std::string stored = save("stored.agx", kRecordStore);
    const std::string sent = dir.file("sent.txt");
    write(sent, "40;0007;2026.12.08;14:03:11\r\nABC;0012;2026.12.08;14:04:00\r\n");
    testing::KestemuProcess emulator({"--records", sent, "--direct"});
    ASSERT_TRUE(emulator.ok());
    const std::string data = dir.file("DATA.TXT"), csv = dir.file("DATA.csv");
    const ToolRun run = run_kest({"upload", "-o", data, "--port", emulator.link(), "--project", stored, "--csv", csv});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(slurp(data), slurp(sent)) << "the data file stays as received";
    EXPECT_NE(slurp(csv).find("1,2,ABC,12,2026.12.08,2026-12-08,14:04:00,14:04:00,,"), std::string::npos) << slurp(csv);
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"upload", "-o", data, "--project", stored},                     // without --csv or --jsonl
             {"upload", "-o", data, "--project", stored, "--csv", data},      // over the data file
             {"upload", "-o", data, "--project", stored, "--jsonl", stored},  // over the project
             {"upload", "-o", data, "--project", data, "--csv", csv}}) {      // no project
        const ToolRun refused = run_kest(args);
        EXPECT_EQ(refused.status, 2) << refused.err;
        EXPECT_EQ(slurp(data), slurp(sent)) << refused.err;
    }
}

}  // namespace
}  // namespace kest
