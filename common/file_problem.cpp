#include "common/file_problem.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <cctype>
#include <system_error>

namespace kest {

namespace fs = std::filesystem;

std::string read_problem(const std::string& path, const std::string& what) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    switch (status.type()) {
    case fs::file_type::not_found: return "not found";
    case fs::file_type::directory: return "is a folder, not " + what;
    case fs::file_type::regular:
        // The file is there: a file that opens now was only unreadable for a moment.
        return std::ifstream(path, std::ios::binary) ? "cannot be read" : "permission denied";
    case fs::file_type::none:
    case fs::file_type::unknown:
        // A folder on the way that may not be searched.
        return ec == std::errc::permission_denied ? "permission denied" : "cannot be read";
    default: return "not a regular file";
    }
}

std::string system_problem(int systemError, const std::string& folder) {
    const std::string where = folder.empty() ? "the current folder" : folder;
    switch (systemError) {
    case 0: return "";
    case EACCES:
    case EPERM: return "permission denied in " + where;
    case EROFS: return where + " is on a read-only file system";
    case ENOSPC: return "no space left on the device";
    case ENAMETOOLONG: return "the name is too long";
    default: break;
    }
    std::string text = std::generic_category().message(systemError);
    if (!text.empty()) text[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(text[0])));
    return text;
}

std::string create_problem(const std::string& path, int systemError) {
    const fs::path folder = fs::path(path).parent_path();
    std::error_code ec;
    if (!folder.empty()) {
        const fs::file_type type = fs::status(folder, ec).type();
        if (type == fs::file_type::not_found) return "no folder " + folder.string();
        if (type != fs::file_type::directory && type != fs::file_type::none)
            return folder.string() + " is not a folder";
    }
    return system_problem(systemError, folder.string());
}

}  // namespace kest
