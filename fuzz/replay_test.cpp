// Every seed of the fuzz corpora and every input a fuzzer ever found, run through its
// harness: the findings stay mended, and the harnesses keep working between fuzz runs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "fuzz/harness.h"

namespace kest::fuzz {
namespace {

namespace fs = std::filesystem;

fs::path env_path(const char* name) {
    const char* value = std::getenv(name);
    return value ? fs::path(value) : fs::path();
}

std::vector<std::uint8_t> contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The files of a folder (none when it does not exist).
std::vector<fs::path> files_in(const fs::path& folder) {
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec))
        if (entry.is_regular_file()) files.push_back(entry.path());
    return files;
}

TEST(FuzzReplay, TheTargetListAndTheHarnessesAgree) {
    const fs::path dir = env_path("KEST_FUZZ_DIR");
    ASSERT_FALSE(dir.empty()) << "KEST_FUZZ_DIR is not set";
    std::ifstream list(dir / "targets");
    std::set<std::string> listed;
    for (std::string line; std::getline(list, line);) {
        const std::string name = line.substr(0, line.find(' '));
        EXPECT_NE(find_target(name), nullptr) << name;
        listed.insert(name);
    }
    for (const Target& t : targets()) EXPECT_EQ(listed.count(t.name), 1u) << t.name;
}

TEST(FuzzReplay, SeedsAndFindingsPassTheirHarness) {
    const fs::path seeds = env_path("KEST_FUZZ_DIR") / "corpus";
    const fs::path findings = env_path("KEST_FUZZ_FINDINGS");
    for (const Target& t : targets()) {
        const auto seedFiles = files_in(seeds / t.name);
        EXPECT_FALSE(seedFiles.empty()) << "no seeds for " << t.name;
        auto files = seedFiles;
        const auto found = files_in(findings / t.name);
        files.insert(files.end(), found.begin(), found.end());
        for (const auto& file : files) {
            const auto bytes = contents(file);
            EXPECT_EQ(t.run(bytes), "") << file;
        }
    }
}

}  // namespace
}  // namespace kest::fuzz
