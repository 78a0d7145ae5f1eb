// The project file: the project tables back to back with a zero trailer (tag "KEST-1.00"),
// and the files of the older terminal family (tags "Qvx-4.00", "Qvx-3.10"), which are
// converted into the current tables when read.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "common/output_file.h"
#include "platform/user_interface.h"
#include "project/project.h"

namespace kest {

// Tables of the current layout without the trailer: a shorter file is refused.
inline constexpr std::size_t kProjectTablesSize = kProjectFileSize - kTrailerSize;
// An older file must reach the end of its password field; the extension block after it
// is optional.
inline constexpr std::size_t kOlderMinimumSize = 10496;
inline constexpr std::size_t kOlderFullSize = 10510;

struct ProjectReadResult {
    enum class Status {
        Ok,
        CannotOpen,   // missing, unreadable or a folder
        FormatError,  // not a project file, or cut short
    };
    Status status = Status::Ok;
    bool olderLayout = false;  // converted from "Qvx-4.00" / "Qvx-3.10"
    std::string error;         // what is wrong, in English, for the command line

    bool ok() const { return status == Status::Ok; }
};

// Reads a project from the bytes of a file. The project must hold the defaults already:
// an older file only supplies part of the tables. On any failure the project is unchanged.
ProjectReadResult read_project_bytes(const std::vector<u8>& bytes, Project& project);
ProjectReadResult read_project_file(const std::string& path, Project& project);

// The 18942 bytes of the current layout.
std::vector<u8> project_file_bytes(const Project& project);

// The rules of the editor's Save: its own file is replaced, a read-only one is not, and a
// project file is never written into a device or pipe.
inline constexpr OutputRules kProjectSaveRules{.replace = true};

// Writes the project safely (common/output_file.h): the old file stays intact when anything
// fails. Returns an empty string on success, otherwise what went wrong (English, for the
// command line).
std::string write_project_file(const std::string& path, const Project& project, FileSteps& steps,
                               const OutputRules& rules = kProjectSaveRules);

// True when the name ends in ".AGX" in any mix of cases.
bool has_project_extension(const std::string& name);

// Editor commands. Each returns 1 when a project was read or written, 0 otherwise.
// Open: the caller has set the defaults; the file dialog and open_project_file.
int open_project(Project& project, EditorState& state, UserInterface& ui);

// A file that cannot be opened: Open's dialog offers only existing files and says nothing;
// a project named on the generator's command line may name anything, so it is reported.
enum class CannotOpen { Silent, Report };
// Reads the named project into the editor, the one way Open and the command line's project
// take: the project must hold the defaults; "Formatfehler !!!" for a file that is not a
// project. fileName becomes the path; an older file is converted and leaves no file name,
// so that the next Save asks for one. On failure the project and fileName are unchanged.
int open_project_file(const std::string& path, Project& project, EditorState& state, UserInterface& ui,
                      CannotOpen cannotOpen);
// Save: to fileName, or Save As when there is none. A failed save says so, leaves the
// old file and keeps the project marked modified.
// steps: the file layer's steps (the system's; a test makes them fail).
int save_project(const Project& project, EditorState& state, UserInterface& ui, FileSteps& steps);
// Save As: asks for the name (".AGX" is appended unless present), then saves.
int save_project_as(const Project& project, EditorState& state, UserInterface& ui, FileSteps& steps);

// Message texts (Windows-1252).
inline constexpr char kFormatErrorText[] = "Formatfehler !!!";
inline constexpr char kCannotOpenText[] =
    "Datei kann nicht ge\xF6"
    "ffnet werden!";
inline constexpr char kSaveFailedText[] = "Datei kann nicht gespeichert werden!";
inline constexpr char kErrorCaption[] = "Fehler";

}  // namespace kest
