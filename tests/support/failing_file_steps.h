// File steps that fail on purpose: the chosen step fails at its n-th call, every other step
// does what the system's steps do. For "interrupted save" tests of every output file.
#pragma once

#include <cerrno>
#include <map>
#include <optional>

#include "platform/file_steps.h"

namespace kest::testing {

class FailingFileSteps final : public SystemFileSteps {
public:
    enum class Step { Open, Write, Flush, Sync, Close, Permissions, Rename, SyncFolder, Remove };
    // Every step a save over an existing file takes.
    static constexpr Step kSaveSteps[] = {Step::Open,        Step::Write, Step::Flush,  Step::Sync,
                                          Step::Permissions, Step::Close, Step::Rename, Step::SyncFolder};

    FailingFileSteps() = default;
    FailingFileSteps(Step step, int call = 1) : failing_(step), call_(call) {}
    // The error number (errno) the failing step leaves, as the system's calls do.
    FailingFileSteps& with_error(int error) {
        error_ = error;
        return *this;
    }

    std::FILE* open(const std::filesystem::path& path, Open how) override {
        return strikes(Step::Open) ? nullptr : FileSteps::open(path, how);
    }
    bool write(std::FILE* file, std::span<const std::uint8_t> bytes) override {
        return !strikes(Step::Write) && FileSteps::write(file, bytes);
    }
    bool flush(std::FILE* file) override { return !strikes(Step::Flush) && FileSteps::flush(file); }
    bool sync(std::FILE* file) override { return !strikes(Step::Sync) && SystemFileSteps::sync(file); }
    bool close(std::FILE* file) override {
        // The file is closed either way, as a failing close still releases it.
        const bool closed = FileSteps::close(file);
        return !strikes(Step::Close) && closed;
    }
    bool copy_permissions(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return !strikes(Step::Permissions) && FileSteps::copy_permissions(from, to);
    }
    bool rename(const std::filesystem::path& from, const std::filesystem::path& to) override {
        return !strikes(Step::Rename) && SystemFileSteps::rename(from, to);
    }
    bool sync_folder(const std::filesystem::path& folder) override {
        return !strikes(Step::SyncFolder) && SystemFileSteps::sync_folder(folder);
    }
    bool remove(const std::filesystem::path& path) override {
        return !strikes(Step::Remove) && FileSteps::remove(path);
    }

    int calls(Step step) const {
        const auto it = calls_.find(step);
        return it == calls_.end() ? 0 : it->second;
    }

private:
    bool strikes(Step step) {
        const bool strike = ++calls_[step] == call_ && failing_ == step;
        if (strike) errno = error_;
        return strike;
    }

    std::optional<Step> failing_;
    int call_ = 1;
    int error_ = 0;
    std::map<Step, int> calls_;
};

}  // namespace kest::testing
