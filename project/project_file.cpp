#include "project/project_file.h"

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>

#include "common/file_problem.h"
#include "project/older_layout.h"

namespace kest {
namespace {

namespace fs = std::filesystem;

constexpr char kOlderTag4[] = "Qvx-4.00";
constexpr char kOlderTag3[] = "Qvx-3.10";

ProjectReadResult format_error(std::string what) {
    return {ProjectReadResult::Status::FormatError, false, std::move(what)};
}

std::string size_text(std::size_t n) { return std::to_string(n) + " bytes"; }

FileDialogRequest open_request() {
    FileDialogRequest r;
    r.filters = {{"Application Generator Files (*.AGX)", "*.AGX"},
                 {"Application Template Files (*.ATX)", "*.ATX"},
                 {"All files (*.*)", "*.*"}};
    r.mustExist = true;
    return r;
}

FileDialogRequest save_request() {
    FileDialogRequest r;
    r.filters = {{"Application Generator (*.AGX)", "*.AGX"}};
    r.defaultExtension = "AGX";
    r.overwritePrompt = true;
    r.pathMustExist = true;
    return r;
}

}  // namespace

ProjectReadResult read_project_bytes(const std::vector<u8>& bytes, Project& project) {
    if (bytes.empty()) return format_error("the file is empty");
    if (bytes[0] == static_cast<u8>(kProjectTag[0])) {
        // The tag with its terminating zero, compared within its 10 bytes.
        if (bytes.size() < sizeof project.version || std::memcmp(bytes.data(), kProjectTag, sizeof kProjectTag) != 0)
            return format_error("not a project file (no \"KEST-1.00\" tag)");
        if (bytes.size() < kProjectTablesSize)
            return format_error("the file is cut short: " + size_text(bytes.size()) + " instead of " +
                                size_text(kProjectFileSize));
        static_assert(sizeof(Project) == kProjectTablesSize);
        std::memcpy(&project, bytes.data(), sizeof(Project));
        return {};
    }
    if (bytes[0] == static_cast<u8>(kOlderTag4[0])) {
        const bool tagged =
            bytes.size() >= older::kTagSize && (std::memcmp(bytes.data(), kOlderTag4, older::kTagSize) == 0 ||
                                                std::memcmp(bytes.data(), kOlderTag3, older::kTagSize) == 0);
        if (!tagged) return format_error("not a project file (unknown \"Qvx\" tag)");
        if (bytes.size() < kOlderMinimumSize)
            return format_error("the older project file is cut short: " + size_text(bytes.size()) + " (at least " +
                                size_text(kOlderMinimumSize) + ")");
        auto converted = std::make_unique<Project>(project);
        older::convert(bytes.data(), bytes.size(), *converted);
        project = *converted;
        ProjectReadResult result;
        result.olderLayout = true;
        return result;
    }
    return format_error("not a project file (unknown tag)");
}

ProjectReadResult read_project_file(const std::string& path, Project& project) {
    std::error_code ec;
    if (fs::is_directory(path, ec))
        return {ProjectReadResult::Status::CannotOpen, false, "is a folder, not a project file"};
    std::ifstream in(path, std::ios::binary);
    if (!in) return {ProjectReadResult::Status::CannotOpen, false, read_problem(path, "a project file")};
    // Nothing beyond the size of a project file is needed, however long the file is.
    std::vector<u8> bytes(kProjectFileSize);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (in.bad()) return {ProjectReadResult::Status::CannotOpen, false, "cannot be read"};
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return read_project_bytes(bytes, project);
}

std::vector<u8> project_file_bytes(const Project& project) {
    std::vector<u8> bytes(kProjectFileSize, 0);
    std::memcpy(bytes.data(), &project, sizeof(Project));
    return bytes;
}

std::string write_project_file(const std::string& path, const Project& project, FileSteps& steps,
                               const OutputRules& rules) {
    return problem_text(write_output_file(path, project_file_bytes(project), rules, steps));
}

bool has_project_extension(const std::string& name) {
    if (name.size() < 4) return false;
    const std::string ext = name.substr(name.size() - 4);
    return ext[0] == '.' && std::toupper(static_cast<unsigned char>(ext[1])) == 'A' &&
           std::toupper(static_cast<unsigned char>(ext[2])) == 'G' &&
           std::toupper(static_cast<unsigned char>(ext[3])) == 'X';
}

int open_project(Project& project, EditorState& state, UserInterface& ui) {
    state.fileName.clear();
    const auto chosen = ui.choose_open_file(open_request());
    if (!chosen) return 0;
    return open_project_file(*chosen, project, state, ui, CannotOpen::Silent);
}

int open_project_file(const std::string& path, Project& project, EditorState& state, UserInterface& ui,
                      CannotOpen cannotOpen) {
    const ProjectReadResult result = read_project_file(path, project);
    switch (result.status) {
    case ProjectReadResult::Status::CannotOpen:
        if (cannotOpen == CannotOpen::Report) ui.message(kCannotOpenText, kErrorCaption, Icon::Warning, Buttons::Ok);
        return 0;
    case ProjectReadResult::Status::FormatError:
        ui.message(kFormatErrorText, kErrorCaption, Icon::Warning, Buttons::Ok);
        return 0;
    case ProjectReadResult::Status::Ok: break;
    }
    // A converted project is saved under a new name, never over the older file.
    state.fileName = result.olderLayout ? std::string() : path;
    return 1;
}

int save_project(const Project& project, EditorState& state, UserInterface& ui, FileSteps& steps) {
    if (state.fileName.empty()) return save_project_as(project, state, ui, steps);
    if (!write_project_file(state.fileName, project, steps).empty()) {
        ui.message(kSaveFailedText, kErrorCaption, Icon::Warning, Buttons::Ok);
        return 0;
    }
    state.modified = false;
    return 1;
}

int save_project_as(const Project& project, EditorState& state, UserInterface& ui, FileSteps& steps) {
    const auto chosen = ui.choose_save_file(save_request());
    if (!chosen || chosen->empty()) return 0;
    state.fileName = *chosen;
    if (!has_project_extension(state.fileName)) state.fileName += ".AGX";
    return save_project(project, state, ui, steps);
}

}  // namespace kest
