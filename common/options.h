// Command-line parsing shared by kest and kestemu: positional arguments, "--name value"
// options and "--flag" switches.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace kest {

struct ParsedArgs {
    std::vector<std::string> positional;
    std::vector<std::pair<std::string, std::string>> values;  // name without "--", value
    std::set<std::string> flags;
    std::string error;  // empty when parsing succeeded

    std::optional<std::string> value(const std::string& name) const;
    bool flag(const std::string& name) const { return flags.count(name) != 0; }
};

// valued: options that take a value ("port", "baud", "o" for -o); switches: flags;
// shortNames: one-letter forms of them ('p' for "port": -p stands for --port). "--" ends
// the options: every argument after it is positional. Unknown options are an error.
ParsedArgs parse_args(const std::vector<std::string>& args, const std::set<std::string>& valued,
                      const std::set<std::string>& switches, const std::map<char, std::string>& shortNames = {});

// The name among `names` that `word` most likely misspells ("dowload" -> "download",
// "retry" -> "retries"): the closest by edits (a swap of two neighbours is one), within
// two edits (one for words of up to four letters), or a name that differs only in its
// ending after four letters in common. Empty when none is that close.
std::string closest_name(const std::string& word, const std::vector<std::string>& names);

// A whole non-negative decimal number, or nothing.
std::optional<long> parse_number(const std::string& text);

}  // namespace kest
