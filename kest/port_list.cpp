#include "kest/port_list.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace kest::cli {

namespace {

std::vector<std::string> split_commas(const std::string& text) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        const std::size_t comma = text.find(',', from);
        parts.push_back(text.substr(from, comma == std::string::npos ? std::string::npos : comma - from));
        if (comma == std::string::npos) return parts;
        from = comma + 1;
    }
}

bool is_separator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

std::vector<std::string> components(const std::string& path) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : path) {
        if (!is_separator(c)) {
            part += c;
        } else if (!part.empty()) {
            parts.push_back(part);
            part.clear();
        }
    }
    if (!part.empty()) parts.push_back(part);
    if (parts.empty()) parts.push_back(path);
    return parts;
}

// The last n components joined by "/".
std::string tail(const std::vector<std::string>& parts, std::size_t n) {
    std::string out;
    for (std::size_t i = parts.size() - std::min(n, parts.size()); i < parts.size(); ++i)
        out += (out.empty() ? "" : "/") + parts[i];
    return out;
}

}  // namespace

PortList port_list(const std::vector<std::string>& given, const char* variable,
                   const std::optional<std::vector<std::string>>& all) {
    PortList list;
    std::vector<std::string> named;
    if (all) {
        if (!given.empty()) {
            list.error = "--all-ports and --port exclude each other";
            return list;
        }
        if (all->empty()) {
            list.error = "--all-ports: no serial port found on this machine (kest ports lists them)";
            return list;
        }
        named = *all;
    } else if (!given.empty()) {
        for (const auto& value : given)
            for (auto& part : split_commas(value)) named.push_back(part);
    } else if (variable && *variable) {
        named = split_commas(variable);
    }
    if (named.empty()) {
        list.error =
            "no port: give --port DEVICE or set KEST_PORT (kest ports lists the serial ports of this "
            "machine; several ports: -p A -p B, -p A,B or --all-ports)";
        return list;
    }
    std::set<std::string> seen;
    for (const auto& port : named) {
        if (port.empty()) {
            list.error = "an empty port name in the list of ports";
            return list;
        }
        if (!seen.insert(port).second) {
            list.error = port + " is named twice: each port takes one transfer";
            return list;
        }
    }
    list.ports = std::move(named);
    return list;
}

std::vector<std::string> short_port_names(const std::vector<std::string>& ports) {
    std::vector<std::vector<std::string>> parts;
    for (const auto& p : ports) parts.push_back(components(p));
    std::vector<std::string> names(ports.size());
    for (std::size_t i = 0; i < ports.size(); ++i) {
        for (std::size_t n = 1;; ++n) {
            names[i] = tail(parts[i], n);
            bool clash = false;
            for (std::size_t j = 0; j < ports.size() && !clash; ++j) clash = j != i && tail(parts[j], n) == names[i];
            if (!clash || n >= parts[i].size()) break;
        }
        // Two paths with the same components ("/dev//ttyS0" and "/dev/ttyS0") keep their own.
        for (std::size_t j = 0; j < i; ++j)
            if (names[j] == names[i]) names[i] = ports[i];
    }
    return names;
}

std::string data_file_name(const std::string& shortName, const LocalTime& t, int number) {
    std::string name = shortName;
    std::replace(name.begin(), name.end(), '/', '-');
    // Characters a file name on Windows cannot hold.
    for (char& c : name)
        if (c == ':' || c == '\\' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|') c = '_';
    char stamp[40];
    std::snprintf(stamp, sizeof stamp, "-%04d%02d%02d-%02d%02d", t.year, t.month, t.day, t.hour, t.minute);
    return name + stamp + (number > 1 ? "-" + std::to_string(number) : "") + ".txt";
}

bool names_folder(const std::string& output) { return !output.empty() && is_separator(output.back()); }

}  // namespace kest::cli
