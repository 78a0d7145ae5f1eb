#include "kest/object_file.h"

#include <filesystem>
#include <fstream>
#include <iostream>

namespace kest::cli {

std::optional<loader::SrecReport> check_object_file(const char* command, const std::string& path) {
    std::error_code ec;
    std::ifstream in;
    if (std::filesystem::is_regular_file(path, ec)) in.open(path, std::ios::binary);
    if (!in.is_open()) {
        std::cerr << "kest " << command << ": " << path << ": cannot be opened (not a readable file)\n";
        return std::nullopt;
    }
    loader::SrecReport report = loader::check_srec(in);
    if (report.error) {
        std::cerr << "kest " << command << ": " << path << ": ";
        if (report.error->line) std::cerr << "line " << report.error->line << ": ";
        std::cerr << report.error->text << "\n";
        return std::nullopt;
    }
    return report;
}

}  // namespace kest::cli
