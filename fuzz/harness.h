// Fuzz harnesses: one for each input the programs read from files or lines nobody
// controls. A harness takes arbitrary bytes, hands them to the reader or protocol the way
// a file or the terminal would, and checks what must hold whatever the bytes are. It
// answers an empty string, or what went wrong. libFuzzer drives each harness
// (fuzz/libfuzzer_main.cpp); the replay test runs the seed corpora and every input a
// fuzzer has found through the same harnesses in the ordinary build.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kest {
struct Project;
}

namespace kest::fuzz {

using Input = std::span<const std::uint8_t>;
using Harness = std::string (*)(Input);

struct Target {
    const char* name;  // also the folder of its seeds (fuzz/corpus/NAME) and its findings
    Harness run;
};

std::span<const Target> targets();
const Target* find_target(std::string_view name);

// The harnesses (the input format of each is described at its definition).
std::string project_file(Input input);
std::string older_project_file(Input input);
std::string srec_reader(Input input);
std::string send_records(Input input);
std::string lookup_file(Input input);
std::string upload_records(Input input);
std::string simulator(Input input);
std::string project_json(Input input);
std::string lookup_csv(Input input);
std::string records(Input input);

// What the project-file harnesses share with the JSON one: the text kest show --json writes
// for the project builds the same project again (empty), or what went wrong.
std::string json_round_trip(const Project& project, bool olderLayout);

}  // namespace kest::fuzz
