// Every file the tools write goes through here: project files, download images, received
// data, the loader's settings file and the emulator's state. The rules are the same for
// all of them:
// - a file is written beside its target, put on the disk and renamed over it only when it
//   is complete, and the rename is put on the disk too: a failure at any step, a crash or
//   a power cut leaves the whole old file or the whole new one, never a mix or nothing;
// - a symbolic link stays a link: the file it leads to is replaced, with the old file's
//   permission bits;
// - an existing file is only replaced when the caller allows it, a read-only one only when
//   it says so explicitly;
// - a folder, a device or a pipe is never replaced; stream outputs write straight into a
//   character device or a pipe (a terminal, /dev/stdout, /dev/null).
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>

namespace kest {

// The steps of writing a file, one call each, so that a test can make any of them fail.
// The steps that stdio can take are implemented here; those that need the operating
// system (putting data and folder entries on the disk, the replacing rename) are the
// platform's: platform/file_steps.h gives the system's steps, which a test derives from.
class FileSteps {
public:
    enum class Open {
        Create,    // a new file (the temporary file beside the target)
        Append,    // at the end of a file, created when missing
        Straight,  // an existing device or pipe, written as it is
    };

    virtual ~FileSteps() = default;
    virtual std::FILE* open(const std::filesystem::path& path, Open how);
    virtual bool write(std::FILE* file, std::span<const std::uint8_t> bytes);
    // Hands what was written to the operating system.
    virtual bool flush(std::FILE* file);
    // Puts what the operating system holds of the file on the disk (after flush).
    virtual bool sync(std::FILE* file) = 0;
    virtual bool close(std::FILE* file);
    virtual bool copy_permissions(const std::filesystem::path& from, const std::filesystem::path& to);
    // Moves the finished file over the target (which may exist).
    virtual bool rename(const std::filesystem::path& from, const std::filesystem::path& to) = 0;
    // Puts the folder's entries on the disk: a file created or renamed there survives a
    // power cut only after this.
    virtual bool sync_folder(const std::filesystem::path& folder) = 0;
    virtual bool remove(const std::filesystem::path& path);
};

struct OutputRules {
    bool replace = false;          // an existing file may be replaced
    bool replaceReadOnly = false;  // ... even a read-only one
    bool stream = false;           // a character device or a pipe is written into directly
    bool append = false;           // bytes are added at the end of the file in place
};

enum class OutputProblem {
    None,
    Exists,         // the file exists and may not be replaced
    ReadOnly,       // the file is read-only
    Folder,         // the path is a folder
    NotRegular,     // a device, pipe or socket where a file belongs
    CannotCreate,   // the file (or its temporary file) cannot be created
    CannotWrite,    // writing, flushing or putting it on the disk failed
    CannotReplace,  // the finished file cannot take the target's place
    NotOnDisk,      // the new file took the target's place, but the disk did not confirm it
};

// "exists already", "is read-only", ... (English, for the command line).
std::string problem_text(OutputProblem problem);

class OutputFile {
public:
    explicit OutputFile(FileSteps& steps) : steps_(steps) {}
    // Throws away a file that was neither committed nor kept (see discard).
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Checks the path against the rules and opens where the bytes go. False with problem()
    // set; nothing was touched then.
    bool open(const std::string& path, const OutputRules& rules);
    bool write(std::span<const std::uint8_t> bytes);
    // Hands the bytes written so far to the operating system.
    bool flush();
    // Puts the bytes written so far on the disk, where a power cut does not take them
    // (with the file's folder entry, the first time, when this run created the file).
    bool sync();
    // Puts the written file in place, on the disk. False with problem() set: the target is
    // unchanged and the written bytes stay in temporary(); only with NotOnDisk is the new
    // file in the target's place already (its folder could not be put on the disk).
    bool commit();
    // Throws away what was written: the target stays as it was (a file that append mode
    // created is removed again).
    void discard();
    // Leaves what was written in temporary() (after a failed commit, for the caller to
    // report).
    void keep();

    OutputProblem problem() const { return problem_; }
    // The system's error number (errno) of the step that failed, 0 when it gave none.
    int system_error() const { return systemError_; }
    bool existed() const { return existed_; }  // the target was there before
    // Where the bytes go until the commit (the target itself when appending or streaming).
    const std::filesystem::path& temporary() const { return written_; }

private:
    bool fail(OutputProblem problem);
    std::FILE* open_step(const std::filesystem::path& path, FileSteps::Open how);
    void close_file();
    bool sync_created_entry();

    FileSteps& steps_;
    std::FILE* file_ = nullptr;
    std::filesystem::path target_;   // the file the path leads to, links followed
    std::filesystem::path written_;  // the file being written
    bool inPlace_ = false;           // appending or streaming: no temporary file
    bool stream_ = false;            // a device or pipe: nothing to put on a disk
    bool entrySynced_ = false;       // the written file's folder entry is on the disk
    bool existed_ = false;
    bool finished_ = true;  // nothing is left to throw away
    OutputProblem problem_ = OutputProblem::None;
    int systemError_ = 0;
};

// Writes a whole file by the rules: OutputProblem::None when it is in place.
// systemError, where given, receives the error number of the step that failed.
OutputProblem write_output_file(const std::string& path, std::span<const std::uint8_t> bytes, const OutputRules& rules,
                                FileSteps& steps, int* systemError = nullptr);

}  // namespace kest
