// kest check: the values of a project file that no page of agkest produces.
#include <iostream>

#include "common/json.h"
#include "common/options.h"
#include "kest/command.h"
#include "kest/project_io.h"

namespace kest::cli {
namespace {

constexpr char kUsage[] =
    "usage: kest check [--json] PROJECT.AGX\n"
    "\n"
    "agkest opens any project file with the right tag, but its tables may hold values no\n"
    "page produces: a jump target past the last menu, a field type or font that does not\n"
    "exist, a count past its table, a text without its terminating zero, bytes in the\n"
    "trailer or after it. Each is listed with its offset in the file and its place in the\n"
    "JSON text of `kest show --json` (table, index, field):\n"
    "\n"
    "  PROJECT.AGX: offset 5998: forms[2].lines[4].type is 40, expected 0-12\n"
    "\n"
    "  --json  one JSON object: file, olderLayout and outOfRange, the list of findings\n"
    "          (offset, path, what), as kest show --json names them\n"
    "\n"
    "Exit status 0 when there is none, 1 when any value is out of range, 2 when the file\n"
    "is not a project file.\n";

// Status 1, as for a refused transfer: the file was read but is not what it should be.
constexpr int kExitFound = 1;

int run(const std::vector<std::string>& argv) {
    const auto parsed = file_arguments("check", argv, 1, "expects one PROJECT file (kest check --help)", {}, {"json"});
    if (!parsed) return kExitBadInput;
    const ParsedArgs& args = *parsed;
    const std::string& path = args.positional[0];
    const auto loaded = load_project("check", path);
    if (!loaded) return kExitBadInput;
    const std::vector<Finding> findings = out_of_range(path, *loaded);
    if (args.flag("json")) {
        JsonWriter json;
        json.begin_object().field("file", path).field("olderLayout", loaded->olderLayout);
        json.key("outOfRange").begin_array();
        for (const Finding& f : findings)
            json.begin_object()
                .field("offset", static_cast<std::uint64_t>(f.offset))
                .field("path", f.path)
                .field("what", f.what)
                .end_object();
        json.end_array().end_object();
        std::cout << json.str();
        return findings.empty() ? kExitOk : kExitFound;
    }
    for (const Finding& f : findings)
        std::cout << path << ": offset " << f.offset << ": " << f.path << " " << f.what << "\n";
    if (findings.empty()) {
        if (!args.flag("quiet")) std::cout << path << ": every value is one the pages of agkest produce\n";
        return kExitOk;
    }
    std::cerr << "kest check: " << path << ": " << findings.size() << (findings.size() == 1 ? " value" : " values")
              << " out of range\n";
    return kExitFound;
}

const Registration registration({"check", "list values of a project no page of agkest produces", kUsage, run});

}  // namespace
}  // namespace kest::cli
