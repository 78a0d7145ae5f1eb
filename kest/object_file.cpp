#include "kest/object_file.h"

#include <filesystem>
#include <fstream>
#include <iostream>

#include "common/file_problem.h"
#include "kest/file_kind.h"

namespace kest::cli {

std::optional<loader::SrecReport> check_object_file(const char* command, const std::string& path,
                                                    std::optional<loader::SrecError>* damage) {
    std::error_code ec;
    std::ifstream in;
    if (std::filesystem::is_regular_file(path, ec)) in.open(path, std::ios::binary);
    if (!in.is_open()) {
        std::cerr << "kest " << command << ": " << path << ": " << read_problem(path, "an object file") << "\n";
        return std::nullopt;
    }
    loader::SrecReport report = loader::check_srec(in);
    if (report.error) {
        if (damage) *damage = report.error;
        std::cerr << "kest " << command << ": " << path << ": ";
        if (const std::string kind = wrong_kind(path, FileKind::ObjectProgram); !kind.empty()) {
            std::cerr << kind << "\n";
            return std::nullopt;
        }
        if (report.error->line) std::cerr << "line " << report.error->line << ": ";
        std::cerr << report.error->text;
        // What srec_cat writes from a binary has no end record unless it is given a start address.
        if (report.error->noEnd)
            std::cerr << " (S7, S8 or S9; srec_cat writes one when given -execution-start-address=ADDRESS,"
                         " e.g. the program's first address)";
        std::cerr << "\n";
        return std::nullopt;
    }
    return report;
}

}  // namespace kest::cli
