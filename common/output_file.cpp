#include "common/output_file.h"

#include <cerrno>
#include <optional>
#include <system_error>

namespace kest {

namespace fs = std::filesystem;

namespace {

// Names under which the shell hands over a descriptor it opened already: whatever they lead
// to, they are written into as they are.
bool names_descriptor(const std::string& path) {
    return path == "/dev/stdout" || path == "/dev/stderr" || path.rfind("/dev/fd/", 0) == 0 ||
           path.rfind("/proc/self/fd/", 0) == 0;
}

// The file a chain of symbolic links leads to (the path itself when it is no link).
std::optional<fs::path> resolve_links(fs::path path) {
    std::error_code ec;
    for (int hops = 0; hops < 40; ++hops) {
        if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
        const fs::path next = fs::read_symlink(path, ec);
        if (ec) return std::nullopt;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return std::nullopt;  // a loop of links
}

bool read_only(const fs::file_status& status) {
    return (status.permissions() & fs::perms::owner_write) == fs::perms::none;
}

fs::path folder_of(const fs::path& file) {
    const fs::path folder = file.parent_path();
    return folder.empty() ? fs::path(".") : folder;
}

// A name beside the target that nothing else uses.
fs::path temporary_beside(const fs::path& target) {
    std::error_code ec;
    for (int n = 0;; ++n) {
        fs::path candidate = target;
        candidate += n == 0 ? std::string(".new~") : ".new" + std::to_string(n) + "~";
        if (!fs::exists(fs::symlink_status(candidate, ec)) || n == 99) return candidate;
    }
}

}  // namespace

std::FILE* FileSteps::open(const fs::path& path, Open how) {
    // The program's own output streams are written through, so that their bytes keep their
    // order with everything else the program writes there.
    if (how == Open::Straight && path == "/dev/stdout") return stdout;
    if (how == Open::Straight && path == "/dev/stderr") return stderr;
    return std::fopen(path.string().c_str(), how == Open::Create ? "wb" : "ab");
}

bool FileSteps::write(std::FILE* file, std::span<const std::uint8_t> bytes) {
    return bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
}

bool FileSteps::flush(std::FILE* file) { return std::fflush(file) == 0; }

bool FileSteps::close(std::FILE* file) {
    if (file == stdout || file == stderr) return std::fflush(file) == 0;
    return std::fclose(file) == 0;
}

bool FileSteps::copy_permissions(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    const fs::file_status status = fs::status(from, ec);
    if (ec) return false;
    fs::permissions(to, status.permissions(), fs::perm_options::replace, ec);
    return !ec;
}

bool FileSteps::remove(const fs::path& path) {
    std::error_code ec;
    return fs::remove(path, ec) && !ec;
}

std::string problem_text(OutputProblem problem) {
    switch (problem) {
    case OutputProblem::None: return {};
    case OutputProblem::Exists: return "exists already";
    case OutputProblem::ReadOnly: return "is read-only";
    case OutputProblem::Folder: return "is a folder";
    case OutputProblem::NotRegular: return "is not a regular file (a device, pipe or socket)";
    case OutputProblem::CannotCreate: return "cannot be created";
    case OutputProblem::CannotWrite: return "cannot be written";
    case OutputProblem::CannotReplace: return "cannot be replaced";
    case OutputProblem::NotOnDisk: return "was replaced, but the disk did not confirm it";
    }
    return "cannot be written";
}

OutputFile::~OutputFile() {
    if (!finished_) discard();
    close_file();
}

// Called right after the failed step, while errno still tells why (the steps clear it first).
bool OutputFile::fail(OutputProblem problem) {
    systemError_ = problem_ == OutputProblem::None ? errno : systemError_;
    problem_ = problem;
    return false;
}

std::FILE* OutputFile::open_step(const fs::path& path, FileSteps::Open how) {
    errno = 0;
    return steps_.open(path, how);
}

void OutputFile::close_file() {
    if (file_) steps_.close(file_);
    file_ = nullptr;
}

bool OutputFile::open(const std::string& path, const OutputRules& rules) {
    if (!finished_) discard();
    close_file();
    problem_ = OutputProblem::None;
    systemError_ = 0;
    existed_ = false;
    inPlace_ = false;
    stream_ = false;
    auto straight = [&](const fs::path& where) {
        target_ = written_ = where;
        inPlace_ = true;
        stream_ = true;
        existed_ = true;
        file_ = open_step(where, FileSteps::Open::Straight);
        return file_ != nullptr || fail(OutputProblem::CannotWrite);
    };
    if (path.empty()) return fail(OutputProblem::CannotCreate);
    if (names_descriptor(path)) return rules.stream ? straight(path) : fail(OutputProblem::NotRegular);

    const auto target = resolve_links(fs::path(path));
    if (!target) return fail(OutputProblem::CannotCreate);
    target_ = *target;
    std::error_code ec;
    const fs::file_status status = fs::status(target_, ec);
    switch (status.type()) {
    case fs::file_type::not_found: break;
    case fs::file_type::regular: existed_ = true; break;
    case fs::file_type::directory: return fail(OutputProblem::Folder);
    case fs::file_type::character:
    case fs::file_type::fifo:
    case fs::file_type::socket:
        if (rules.stream) return straight(path);
        return fail(OutputProblem::NotRegular);
    default: return fail(ec ? OutputProblem::CannotCreate : OutputProblem::NotRegular);
    }
    if (rules.append) {
        written_ = target_;
        inPlace_ = true;
        file_ = open_step(written_, FileSteps::Open::Append);
        if (!file_) return fail(existed_ && read_only(status) ? OutputProblem::ReadOnly : OutputProblem::CannotCreate);
        entrySynced_ = existed_;
        finished_ = false;
        return true;
    }
    if (existed_ && !rules.replace) return fail(OutputProblem::Exists);
    if (existed_ && read_only(status) && !rules.replaceReadOnly) return fail(OutputProblem::ReadOnly);
    written_ = temporary_beside(target_);
    file_ = open_step(written_, FileSteps::Open::Create);
    if (!file_) return fail(OutputProblem::CannotCreate);
    entrySynced_ = false;
    finished_ = false;
    return true;
}

bool OutputFile::write(std::span<const std::uint8_t> bytes) {
    if (!file_) return false;
    errno = 0;
    return steps_.write(file_, bytes) || fail(OutputProblem::CannotWrite);
}

bool OutputFile::flush() {
    if (!file_) return false;
    errno = 0;
    return steps_.flush(file_) || fail(OutputProblem::CannotWrite);
}

bool OutputFile::sync() {
    if (!flush()) return false;
    if (stream_) return true;
    return steps_.sync(file_) ? sync_created_entry() : fail(OutputProblem::CannotWrite);
}

bool OutputFile::sync_created_entry() {
    if (entrySynced_) return true;
    if (!steps_.sync_folder(folder_of(written_))) return fail(OutputProblem::CannotWrite);
    entrySynced_ = true;
    return true;
}

bool OutputFile::commit() {
    if (!file_) return problem_ == OutputProblem::None && !written_.empty();
    // The permissions go on before the data is put on the disk, so that the sync takes
    // them along.
    errno = 0;
    const bool flushed = steps_.flush(file_);
    const bool permitted = inPlace_ || !existed_ || steps_.copy_permissions(target_, written_);
    const bool synced = flushed && permitted && (stream_ || steps_.sync(file_));
    std::FILE* file = file_;
    file_ = nullptr;
    const bool closed = steps_.close(file);
    if (!permitted) return fail(OutputProblem::CannotReplace);
    if (!synced || !closed) return fail(OutputProblem::CannotWrite);
    if (inPlace_) {
        if (!stream_ && !sync_created_entry()) return false;
        finished_ = true;
        return true;
    }
    if (!steps_.rename(written_, target_)) return fail(OutputProblem::CannotReplace);
    finished_ = true;
    return steps_.sync_folder(folder_of(target_)) || fail(OutputProblem::NotOnDisk);
}

void OutputFile::discard() {
    close_file();
    if (!finished_) {
        // In place, only a file this run created goes; a temporary file always does.
        if (!inPlace_ || !existed_) steps_.remove(written_);
    }
    finished_ = true;
}

void OutputFile::keep() {
    close_file();
    finished_ = true;
}

OutputProblem write_output_file(const std::string& path, std::span<const std::uint8_t> bytes, const OutputRules& rules,
                                FileSteps& steps, int* systemError) {
    OutputFile file(steps);
    if (file.open(path, rules) && file.write(bytes) && file.commit()) return OutputProblem::None;
    const OutputProblem problem = file.problem();
    if (systemError) *systemError = file.system_error();
    file.discard();
    return problem;
}

}  // namespace kest
