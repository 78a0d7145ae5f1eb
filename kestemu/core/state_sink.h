// Where the terminal puts what it received (application image, lookup files, flash image),
// so that users and tests can compare it with what was sent.
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "common/output_file.h"
#include "kestemu/core/types.h"

namespace kest::emu {

class StateSink {
public:
    virtual ~StateSink() = default;
    // Replaces the named file with the parts one after the other; false when it could not
    // be written.
    virtual bool store(const std::string& name, std::span<const ByteView> parts) = 0;
    bool store(const std::string& name, ByteView contents) { return store(name, std::span(&contents, 1)); }
};

// Files in a folder, each replaced whole (written beside and renamed, common/output_file.h),
// so that a reader never sees half a file.
class FolderStateSink final : public StateSink {
public:
    FolderStateSink(std::filesystem::path folder, FileSteps& files) : folder_(std::move(folder)), files_(files) {}
    using StateSink::store;
    bool store(const std::string& name, std::span<const ByteView> parts) override;

private:
    std::filesystem::path folder_;
    FileSteps& files_;
};

// Keeps the files in memory (tests).
class MemoryStateSink final : public StateSink {
public:
    using StateSink::store;
    bool store(const std::string& name, std::span<const ByteView> parts) override {
        Bytes& file = files[name];
        file.clear();
        for (const ByteView part : parts) file.insert(file.end(), part.begin(), part.end());
        return true;
    }
    std::map<std::string, Bytes> files;
};

// Keeps nothing (no --state folder).
class DiscardingStateSink final : public StateSink {
public:
    using StateSink::store;
    bool store(const std::string&, std::span<const ByteView>) override { return true; }
};

}  // namespace kest::emu
