// kest image, download and lookup against kestemu over a pseudo-terminal.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "project/defaults.h"
#include "platform/file_steps.h"
#include "project/project_file.h"
#include "tests/integration/kestemu_process.h"
#include "tests/integration/run_tool.h"

namespace kest {
namespace {

using testing::KestemuProcess;
using testing::run_tool;
using testing::TempDir;
using testing::ToolRun;

ToolRun kest(const std::vector<std::string>& args) { return run_tool(testing::tool_path("KEST_BIN"), args); }

// A project that uses most of the tables: menus with gaps, forms of both fonts with
// every kind of line, lookup definitions, edited texts and settings that are re-coded.
std::unique_ptr<Project> sample_project() {
    auto p = std::make_unique<Project>();
    std::memset(p.get(), 0, sizeof(Project));
    reset_to_defaults(*p);
    p->com.rateIndex = 2;  // 38400
    MenuRecord& menu = p->menus[0];
    menu.titleEnabled = 1;
    set_cell(menu.title, "Lager");
    set_cell(menu.items[0], "Wareneingang");
    set_cell(menu.items[2], "Inventur");
    menu.itemTarget[0] = jump::form(0);
    menu.itemTarget[2] = jump::form(1);
    p->menus[1].font = 1;
    set_cell(p->menus[1].items[0], "Ein langer Menuepunkt");
    for (int f = 0; f < 2; ++f) {
        FormRecord& form = p->forms[f];
        form.font = static_cast<u8>(f);
        const u8 types[] = {kFieldText,         kFieldInteger, kFieldLookup,  kFieldFixedData,
                            kFieldContinuation, kFieldBoolean, kFieldCounter, kFieldReal};
        for (int line = 0; line < kFormLines; ++line) {
            form.lineType[line] = types[line];
            set_cell(form.prompt[line], "Zeile " + std::to_string(line + 1));
            form.lineLookupKey[line] = static_cast<u8>(line + 1);
            form.maxLength[line] = static_cast<u8>(20 + 7 * line);
            form.minLength[line] = static_cast<u8>(55 - line);
        }
    }
    p->lookups[0].recordLength = 40;
    p->lookups[0].fieldCount = 2;
    p->lookups[0].separator = ';';
    set_cell(p->signOn.rows[0], "Firma M\xFCller");
    set_cell(text_cell(*p, 6, 3), kCell20, "Einstellung \xC4nderung");
    p->wedge.wedgeFlags = (1 << 1) | (2 << 3) | 1;
    p->options.startObject = 1;
    p->options.backlightOff = 3;
    std::memcpy(p->options.password, "geheim42", 9);
    return p;
}

class KestDownload : public ::testing::Test {
protected:
    TempDir dir;
    std::string project = dir.file("lager.agx");
    std::string image = dir.file("lager.bin");

    void SetUp() override {
        if (testing::tool_path("KESTEMU_BIN").empty()) GTEST_SKIP() << "no kestemu in this build";
        ASSERT_EQ(write_project_file(project, *sample_project(), system_file_steps()), "");
        const ToolRun r = kest({"image", project, "-o", image});
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_EQ(TempDir::read(image).size(), 20000u);
    }

    static std::vector<u8> stored(const KestemuProcess& emu, const std::string& name) {
        return TempDir::read((emu.state() / name).string());
    }

    static int exchanges(const std::string& trace) {
        int n = 0;
        for (std::size_t at = 0; (at = trace.find("purge input", at)) != std::string::npos; ++at) ++n;
        return n - 1;  // the last purge closes the port
    }
};

TEST_F(KestDownload, DirectDownloadStoresTheImageByteForByte) {
    KestemuProcess emu({"--direct"});
    ASSERT_TRUE(emu.ok());
    const ToolRun r = kest({"download", project, "--port", emu.link(), "--trace"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("Downloaded komplett!"), std::string::npos);
    EXPECT_NE(r.err.find("line 38400 8N1"), std::string::npos);  // the project's rate
    EXPECT_EQ(exchanges(r.err), 201);
    EXPECT_EQ(stored(emu, "image.bin"), TempDir::read(image));
}

TEST_F(KestDownload, CradleDownloadSwitchesTheCradleFirst) {
    KestemuProcess emu({"--cradle-rate", "19200"});
    ASSERT_TRUE(emu.ok());
    const ToolRun r = kest({"download", project, "--port", emu.link(), "--cradle", "--baud", "115200"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(stored(emu, "image.bin"), TempDir::read(image));
}

TEST_F(KestDownload, WithoutTheCradleSetUpACradleAtAnotherRatePassesNothing) {
    KestemuProcess emu({"--cradle-rate", "9600"});
    ASSERT_TRUE(emu.ok());
    const ToolRun r = kest({"download", project, "--port", emu.link(), "--baud", "115200"});
    EXPECT_EQ(r.status, 4) << r.err;
    EXPECT_NE(r.err.find("Terminal nicht bereit!"), std::string::npos);
    // What to try: a terminal in a cradle does not answer a direct line.
    EXPECT_NE(r.err.find("no answer at 115200 bit/s on " + emu.link() + ": is the terminal in a cradle? try --cradle"),
              std::string::npos)
        << r.err;
    EXPECT_TRUE(stored(emu, "image.bin").empty());
}

TEST_F(KestDownload, LookupFileArrivesLineForLine) {
    KestemuProcess emu({"--cradle-rate", "57600"});
    ASSERT_TRUE(emu.ok());
    const std::string lookup = dir.file("artikel.txt");
    std::string content;
    for (int i = 0; i < 150; ++i)
        content += std::to_string(4000 + i) + ";Artikel " + std::to_string(i) +
                   (i % 7 ? ";St\xFC"
                            "ck"
                          : "") +
                   "\r\n";
    content += "\r\n" + std::string(289, 'L') + "\r\nletzte Zeile ohne Ende";
    TempDir::write(lookup, std::vector<u8>(content.begin(), content.end()));
    const ToolRun r = kest({"lookup", lookup, "--port", emu.link(), "--cradle"});
    ASSERT_EQ(r.status, 0) << r.err;
    const auto received = stored(emu, "lookup-1.txt");
    EXPECT_EQ(std::string(received.begin(), received.end()), content + "\r\n");
}

TEST_F(KestDownload, OverlongLookupLineSendsNothing) {
    KestemuProcess emu({"--direct"});
    ASSERT_TRUE(emu.ok());
    const std::string lookup = dir.file("lang.txt");
    const std::string content = "kurz\r\n" + std::string(290, 'x') + "\r\n";
    TempDir::write(lookup, std::vector<u8>(content.begin(), content.end()));
    const ToolRun r = kest({"lookup", lookup, "--port", emu.link(), "--trace"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("kest lookup: " + lookup + ": line 2 is 290 bytes long; a lookup line has at most 289"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("nothing was sent"), std::string::npos);
    EXPECT_EQ(r.err.find("PC>"), std::string::npos);
    EXPECT_EQ(r.err.find("open "), std::string::npos);
}

TEST_F(KestDownload, FullStopsWithExitStatusOne) {
    KestemuProcess emu({"--direct", "--faults", "full-at=120"});
    ASSERT_TRUE(emu.ok());
    const ToolRun r = kest({"download", project, "--port", emu.link(), "--trace"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Speicher voll!"), std::string::npos);
    EXPECT_NE(r.err.find("Downloadfehler, wiederholen? [no]"), std::string::npos);
    EXPECT_EQ(exchanges(r.err), 1 + 121);
}

TEST_F(KestDownload, FaultsGiveTheSameImageOrAFailureNeverAWrongImage) {
    // Rates per received byte (rx) or per reply. The light mix lets most blocks through,
    // some only after several transmissions; the heavy one damages most packets.
    const std::string light =
        "corrupt-rx=0.0005,drop-rx=0.0002,corrupt-reply=0.02,drop-reply=0.005,nak=0.03,lose-ack=0.02";
    const std::string heavy = "corrupt-rx=0.01,drop-rx=0.002,corrupt-reply=0.01,nak=0.02";
    struct Case {
        const std::string& faults;
        const char* seed;
        const char* retries;
    };
    int succeeded = 0, failed = 0;
    for (const Case& c : {Case{light, "2", "2"}, Case{light, "4", "2"}, Case{heavy, "1", "0"}}) {
        SCOPED_TRACE(c.faults + " seed " + c.seed);
        KestemuProcess emu({"--direct", "--faults", c.faults, "--seed", c.seed});
        ASSERT_TRUE(emu.ok());
        const ToolRun r = kest({"download", project, "--port", emu.link(), "--retries", c.retries, "--trace"});
        EXPECT_GT(exchanges(r.err), r.status == 0 ? 201 : 1) << "no fault struck";
        if (r.status == 0) {
            ++succeeded;
            EXPECT_EQ(stored(emu, "image.bin"), TempDir::read(image));
        } else {
            ++failed;
            EXPECT_TRUE(r.status == 1 || r.status == 4) << r.status;
            EXPECT_EQ(r.err.find("Downloaded komplett!"), std::string::npos);
        }
    }
    EXPECT_GT(succeeded, 0);
    EXPECT_GT(failed, 0);
}

TEST_F(KestDownload, SetUpFailuresHaveTheirExitStatus) {
    ToolRun r = kest({"download", project, "--port", dir.file("no-such-port")});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("COM port kann nicht ge\xC3\xB6"
                         "ffnet werden!"),
              std::string::npos)
        << r.err;
    r = kest({"download", dir.file("missing.agx"), "--port", dir.file("no-such-port")});
    EXPECT_EQ(r.status, 2);
    r = kest({"lookup", dir.file("missing.txt"), "--port", dir.file("no-such-port")});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("missing.txt"), std::string::npos);
    r = kest({"download", project, "--port", "x", "--baud", "1234"});
    EXPECT_EQ(r.status, 2);
    r = kest({"image", project});
    EXPECT_EQ(r.status, 2);
}

TEST_F(KestDownload, CradleThatNeverAnswers) {
    KestemuProcess emu({"--direct"});  // a direct cable echoes nothing to the probe
    ASSERT_TRUE(emu.ok());
    const ToolRun r = kest({"download", project, "--port", emu.link(), "--cradle"});
    EXPECT_EQ(r.status, 3);
    EXPECT_NE(r.err.find("Failed to set IR device!"), std::string::npos);
}

}  // namespace
}  // namespace kest
