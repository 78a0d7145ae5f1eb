// The JSON reader of kest build: any text as the JSON of a project. A refused text leaves
// the project as it was and says what is wrong; a project built from a text writes the
// text that builds it again.
#include <cstring>
#include <memory>
#include <string_view>

#include "common/json.h"
#include "fuzz/harness.h"
#include "kest/project_io.h"
#include "project/project_check.h"
#include "project/project_json.h"

namespace kest::fuzz {

// A project's tables survive their JSON text: the text kest show --json writes builds the
// same project again.
std::string json_round_trip(const Project& project, bool olderLayout) {
    const std::string text = project_to_json(project, "fuzz", olderLayout, check_project(project));
    auto again = cli::default_project();
    const std::string error = project_from_json(text, *again);
    if (!error.empty()) return "the JSON text of a project does not build: " + error;
    if (std::memcmp(again.get(), &project, sizeof(Project)) != 0)
        return "the JSON text of a project builds another project";
    return {};
}

// The bytes of a JSON text.
std::string project_json(Input input) {
    const std::string_view text(reinterpret_cast<const char*>(input.data()), input.size());
    const JsonParse parsed = parse_json(text);
    if (!parsed.value && parsed.error.empty()) return "a text was refused without a reason";

    auto project = cli::default_project();
    const auto before = std::make_unique<Project>(*project);
    const std::string error = project_from_json(text, *project);
    if (!error.empty()) {
        if (std::memcmp(project.get(), before.get(), sizeof(Project)) != 0) return "a refused text changed the project";
        return {};
    }
    if (!parsed.value) return "a text that is no JSON document built a project";
    return json_round_trip(*project, false);
}

}  // namespace kest::fuzz
