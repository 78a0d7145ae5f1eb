#include "kest/file_kind.h"

#include <cctype>
#include <fstream>

namespace kest::cli {

namespace {

bool hex_digit(char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; }

// A first line of S, a record type and hex digits only.
bool object_record(std::string_view head) {
    if (head.size() < 10 || head[0] != 'S' || head[1] < '0' || head[1] > '9') return false;
    std::size_t n = 2;
    while (n < head.size() && hex_digit(head[n])) ++n;
    return n >= 10 && (n == head.size() || head[n] == '\r' || head[n] == '\n');
}

const char* name(FileKind kind) {
    switch (kind) {
    case FileKind::Project: return "a project file";
    case FileKind::JsonText: return "a JSON text";
    case FileKind::ObjectProgram: return "an object program";
    case FileKind::LookupFile: return "a lookup file";
    case FileKind::Unknown: break;
    }
    return "a file of this kind";
}

const char* taken_by(FileKind kind) {
    switch (kind) {
    case FileKind::Project: return "kest download sends it to the terminal, kest show shows it";
    case FileKind::JsonText: return "kest build FILE.json -o PROJECT.AGX makes the project file from it";
    case FileKind::ObjectProgram: return "kest flash writes it into the terminal's flash";
    default: return "";
    }
}

}  // namespace

FileKind file_kind_of(std::string_view head) {
    if (head.starts_with("KEST-") || head.starts_with("Qvx-")) return FileKind::Project;
    if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
    const std::size_t first = head.find_first_not_of(" \t\r\n");
    if (first != std::string_view::npos && head[first] == '{') return FileKind::JsonText;
    if (object_record(head)) return FileKind::ObjectProgram;
    return FileKind::Unknown;
}

std::string wrong_kind(const std::string& path, FileKind expected) {
    std::ifstream in(path, std::ios::binary);
    char buffer[128];
    in.read(buffer, sizeof buffer);
    const FileKind found = file_kind_of(std::string_view(buffer, static_cast<std::size_t>(in.gcount())));
    if (found == FileKind::Unknown || found == expected) return "";
    return std::string("is ") + name(found) + ", not " + name(expected) + " (" + taken_by(found) + ")";
}

}  // namespace kest::cli
