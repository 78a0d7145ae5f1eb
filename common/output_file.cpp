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

bool FileSteps::rename(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::rename(from, to, ec);
    if (!ec) return true;
    // Where a rename cannot replace an existing (or read-only) file, the old file is moved
    // aside first and put back if the move fails.
    if (!fs::is_regular_file(to, ec)) return false;
    fs::path aside = to;
    aside += ".old~";
    fs::remove(aside, ec);
    fs::rename(to, aside, ec);
    if (ec) return false;
    fs::rename(from, to, ec);
    if (ec) {
        std::error_code ignored;
        fs::rename(aside, to, ignored);
        return false;
    }
    fs::permissions(aside, fs::perms::owner_write, fs::perm_options::add, ec);
    fs::remove(aside, ec);
    return true;
}

bool FileSteps::remove(const fs::path& path) {
    std::error_code ec;
    return fs::remove(path, ec) && !ec;
}

FileSteps& standard_file_steps() {
    static FileSteps steps;
    return steps;
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
    auto straight = [&](const fs::path& where) {
        target_ = written_ = where;
        inPlace_ = true;
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
        finished_ = false;
        return true;
    }
    if (existed_ && !rules.replace) return fail(OutputProblem::Exists);
    if (existed_ && read_only(status) && !rules.replaceReadOnly) return fail(OutputProblem::ReadOnly);
    written_ = temporary_beside(target_);
    file_ = open_step(written_, FileSteps::Open::Create);
    if (!file_) return fail(OutputProblem::CannotCreate);
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

bool OutputFile::commit() {
    if (!file_) return problem_ == OutputProblem::None && !written_.empty();
    errno = 0;
    const bool flushed = steps_.flush(file_);
    std::FILE* file = file_;
    file_ = nullptr;
    const bool closed = steps_.close(file);
    if (!flushed || !closed) return fail(OutputProblem::CannotWrite);
    if (!inPlace_) {
        if (existed_ && !steps_.copy_permissions(target_, written_)) return fail(OutputProblem::CannotReplace);
        if (!steps_.rename(written_, target_)) return fail(OutputProblem::CannotReplace);
    }
    finished_ = true;
    return true;
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
