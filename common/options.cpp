#include "common/options.h"

#include <algorithm>

namespace kest {

std::optional<std::string> ParsedArgs::value(const std::string& name) const {
    std::optional<std::string> found;
    for (const auto& [n, v] : values)
        if (n == name) found = v;
    return found;
}

ParsedArgs parse_args(const std::vector<std::string>& args, const std::set<std::string>& valued,
                      const std::set<std::string>& switches, const std::map<char, std::string>& shortNames) {
    ParsedArgs out;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            out.positional.insert(out.positional.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1, args.end());
            break;
        }
        if (a.size() < 2 || a[0] != '-') {
            out.positional.push_back(a);
            continue;
        }
        std::string name = a.substr(a[1] == '-' ? 2 : 1);
        std::optional<std::string> inlineValue;
        if (auto eq = name.find('='); eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        if (a[1] != '-' && name.size() == 1)
            if (const auto full = shortNames.find(name[0]); full != shortNames.end()) name = full->second;
        if (valued.count(name)) {
            if (inlineValue) {
                out.values.emplace_back(name, *inlineValue);
            } else if (i + 1 < args.size()) {
                out.values.emplace_back(name, args[++i]);
            } else {
                out.error = "option " + a + " needs a value";
                return out;
            }
        } else if (switches.count(name) && !inlineValue) {
            out.flags.insert(name);
        } else {
            out.error = "unknown option " + a;
            if (a[1] == '-' || name.size() > 1) {
                std::vector<std::string> names(valued.begin(), valued.end());
                names.insert(names.end(), switches.begin(), switches.end());
                // "o" and the like are only ever written -o.
                std::erase_if(names, [](const std::string& n) { return n.size() < 2; });
                const std::string guess = closest_name(name, names);
                if (!guess.empty()) out.error += " (did you mean --" + guess + "?)";
            }
            return out;
        }
    }
    return out;
}

namespace {

// Edits from a to b: insertions, deletions, substitutions and swaps of neighbours.
std::size_t edit_distance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i)
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] != b[j - 1])});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    return d[a.size()][b.size()];
}

}  // namespace

std::string closest_name(const std::string& word, const std::vector<std::string>& names) {
    std::string best;
    std::size_t bestDistance = 0;
    for (const std::string& name : names) {
        const std::size_t distance = edit_distance(word, name);
        std::size_t common = 0;
        while (common < word.size() && common < name.size() && word[common] == name[common]) ++common;
        const bool close = distance <= (word.size() <= 4 ? 1u : 2u) ||
                           (common >= 4 && common + 1 >= std::min(word.size(), name.size()));
        if (distance == 0 || !close) continue;
        if (best.empty() || distance < bestDistance || (distance == bestDistance && name < best)) {
            best = name;
            bestDistance = distance;
        }
    }
    return best;
}

std::optional<long> parse_number(const std::string& text) {
    if (text.empty() || text.size() > 9) return std::nullopt;
    long v = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        v = v * 10 + (c - '0');
    }
    return v;
}

}  // namespace kest
