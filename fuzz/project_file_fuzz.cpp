// The project file reader, current and older layout, and what every program does with a
// project that reads: write it back, show it (kest show), build it again from its JSON
// text (what kest show --json writes) and prepare its download image.
#include <cstring>
#include <iostream>
#include <memory>
#include <numeric>
#include <sstream>
#include <vector>

#include "fuzz/harness.h"
#include "fuzz/scratch.h"
#include "kest/command.h"
#include "kest/project_io.h"
#include "project/download_image.h"
#include "project/older_layout.h"
#include "project/project_file.h"

namespace kest::fuzz {

namespace {

bool same(const Project& a, const Project& b) { return std::memcmp(&a, &b, sizeof(Project)) == 0; }

// A kest command with its standard output thrown away; its exit status.
int run_quietly(const char* name, const std::vector<std::string>& args) {
    for (const auto& command : cli::commands()) {
        if (std::strcmp(command.name, name) != 0) continue;
        std::ostringstream sink;
        std::streambuf* const out = std::cout.rdbuf(sink.rdbuf());
        const int status = command.run(args);
        std::cout.rdbuf(out);
        return sink.str().empty() ? -1 : status;
    }
    return -1;
}

std::string check_read(const std::vector<u8>& bytes) {
    auto project = cli::default_project();
    const auto before = std::make_unique<Project>(*project);
    const ProjectReadResult result = read_project_bytes(bytes, *project);
    if (!result.ok()) {
        if (!same(*project, *before)) return "a refused file changed the project";
        if (result.error.empty()) return "a file was refused without a reason";
        return {};
    }
    // A current file is taken as it stands; any project that reads writes back as itself.
    const std::vector<u8> written = project_file_bytes(*project);
    if (!result.olderLayout && !std::equal(written.begin(), written.begin() + kProjectTablesSize, bytes.begin()))
        return "the tables written back differ from the file read";
    auto again = cli::default_project();
    const ProjectReadResult reread = read_project_bytes(written, *again);
    if (!reread.ok() || reread.olderLayout || !same(*again, *project))
        return "the file written does not read back as the same project";

    const std::string path = scratch_file("project.agx", bytes);
    if (run_quietly("show", {path}) != 0) return "kest show refused a project that reads";

    // The JSON text (kest show --json writes the same) costs most of the time: every eighth
    // input, by its byte sum, takes that trip, so that the rest runs eight times as often.
    if (std::accumulate(bytes.begin(), bytes.end(), 0u) % 8 == 0)
        if (auto bad = json_round_trip(*project, result.olderLayout); !bad.empty()) return bad;

    // The normalisations of a download are made once: a second download sends the same.
    const DownloadImage first = prepare_image(*project);
    const DownloadImage second = prepare_image(*project);
    if (first != second) return "a second download of the same project sends another image";
    for (std::size_t i = kImageWritten; i < kImageSize; ++i)
        if (first[i] != 0) return "the image tail is not zero";
    return {};
}

}  // namespace

// The bytes of a project file.
std::string project_file(Input input) { return check_read({input.begin(), input.end()}); }

// An older project file after its tag: the first byte chooses "Qvx-4.00" (even) or
// "Qvx-3.10" (odd), the rest follows the tag.
std::string older_project_file(Input input) {
    if (input.empty()) return {};
    std::vector<u8> bytes(older::kTagSize + input.size() - 1);
    std::memcpy(bytes.data(), input[0] % 2 ? "Qvx-3.10" : "Qvx-4.00", older::kTagSize);
    std::copy(input.begin() + 1, input.end(), bytes.begin() + older::kTagSize);
    return check_read(bytes);
}

}  // namespace kest::fuzz
