// What kind of file the user named, told from its first bytes, so that a command given
// a file of another kind says which kind it is and which command takes it, instead of
// what it found wrong inside.
#pragma once

#include <string>
#include <string_view>

namespace kest::cli {

enum class FileKind {
    Project,        // .AGX: "KEST-1.00", or the older "Qvx-" tags
    JsonText,       // a project as text (kest show --json)
    ObjectProgram,  // .SHX: S-records
    LookupFile,     // any text sent line by line; never recognised, only expected
    Unknown,
};

// The kind the first bytes of a file show (LookupFile is never returned).
FileKind file_kind_of(std::string_view head);

// "is a project file, not an object program (kest download sends it to the terminal)",
// or "" when the file at `path` is not recognisably of a kind other than `expected`.
std::string wrong_kind(const std::string& path, FileKind expected);

}  // namespace kest::cli
