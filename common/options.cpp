#include "common/options.h"

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
            return out;
        }
    }
    return out;
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
