#include "common/options.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kest {
namespace {

const std::vector<std::string> kCommands = {"new",    "convert",    "show",   "build",    "check",
                                            "image",  "ports",      "cradle", "download", "lookup",
                                            "upload", "srec-check", "flash",  "simulate"};

TEST(ClosestName, TyposFindTheNameAndStrangersNothing) {
    const struct {
        const char* word;
        std::vector<std::string> names;
        const char* expected;
    } cases[] = {
        {"dowload", kCommands, "download"},   // a letter left out
        {"donwload", kCommands, "download"},  // two letters swapped
        {"uplaod", kCommands, "upload"},
        {"flsh", kCommands, "flash"},
        {"nwe", kCommands, "new"},  // a swap in a short word
        {"shwo", kCommands, "show"},
        {"srec_check", kCommands, "srec-check"},
        {"lookups", kCommands, "lookup"},
        {"retry", {"port", "baud", "retries", "cradle"}, "retries"},  // an ending of its own
        {"no-cradel", {"cradle", "no-cradle", "trace"}, "no-cradle"},
        {"apend", {"append", "force", "o"}, "append"},
        {"xyz", kCommands, ""},
        {"sow", kCommands, "show"},
        {"nwo", kCommands, ""},  // two edits off "new" and "show": too far for a short word
        {"download", kCommands, ""},
        {"verbose", {"quiet"}, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(closest_name(c.word, c.names), c.expected) << c.word;
}

// Every word one edit away from a command.
std::vector<std::string> single_edits(const std::string& name) {
    std::vector<std::string> edits;
    for (std::size_t i = 0; i <= name.size(); ++i) {
        for (char c : std::string("abcdefghijklmnopqrstuvwxyz-")) {
            edits.push_back(name.substr(0, i) + c + name.substr(i));                           // insertion
            if (i < name.size()) edits.push_back(name.substr(0, i) + c + name.substr(i + 1));  // substitution
        }
        if (i < name.size()) edits.push_back(name.substr(0, i) + name.substr(i + 1));  // deletion
        if (i + 1 < name.size()) {
            std::string swapped = name;
            std::swap(swapped[i], swapped[i + 1]);
            edits.push_back(swapped);
        }
    }
    return edits;
}

// Any single edit of a command finds it again, unless the edited word is one edit from
// another command too (then either may be named).
TEST(ClosestName, EverySingleEditOfACommandFindsIt) {
    std::vector<std::vector<std::string>> edits;
    for (const std::string& name : kCommands) edits.push_back(single_edits(name));
    for (std::size_t k = 0; k < kCommands.size(); ++k) {
        for (const std::string& edit : edits[k]) {
            if (edit == kCommands[k]) continue;
            std::vector<std::string> allowed;
            for (std::size_t other = 0; other < kCommands.size(); ++other)
                if (kCommands[other] == edit) allowed = {"(none)"};
            if (!allowed.empty()) continue;  // the edit is another command
            for (std::size_t other = 0; other < kCommands.size(); ++other)
                if (std::find(edits[other].begin(), edits[other].end(), edit) != edits[other].end())
                    allowed.push_back(kCommands[other]);
            const std::string found = closest_name(edit, kCommands);
            EXPECT_NE(std::find(allowed.begin(), allowed.end(), found), allowed.end()) << edit << " -> " << found;
        }
    }
}

TEST(ParseArgs, UnknownOptionsSuggestTheNearestKnownOne) {
    const struct {
        std::vector<std::string> args;
        const char* error;
    } cases[] = {
        {{"--retry", "3"}, "unknown option --retry (did you mean --retries?)"},
        {{"--retry=3"}, "unknown option --retry=3 (did you mean --retries?)"},
        {{"--crade"}, "unknown option --crade (did you mean --cradle?)"},
        {{"--bogus"}, "unknown option --bogus"},
        {{"-x.agx"}, "unknown option -x.agx"},
        {{"-z"}, "unknown option -z"},
        {{"--retries"}, "option --retries needs a value"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(parse_args(c.args, {"retries", "port", "o"}, {"cradle", "no-cradle"}, {{'p', "port"}}).error,
                  c.error);
}

}  // namespace
}  // namespace kest
