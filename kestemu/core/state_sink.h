// Where the terminal puts what it received (application image, lookup files, flash image),
// so that users and tests can compare it with what was sent.
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "kestemu/core/types.h"

namespace kest::emu {

class StateSink {
public:
    virtual ~StateSink() = default;
    // Replaces the named file; false when it could not be written.
    virtual bool store(const std::string& name, ByteView contents) = 0;
};

// Files in a folder, each replaced whole (written beside and renamed), so that a reader
// never sees half a file.
class FolderStateSink final : public StateSink {
public:
    explicit FolderStateSink(std::filesystem::path folder) : folder_(std::move(folder)) {}
    bool store(const std::string& name, ByteView contents) override;

private:
    std::filesystem::path folder_;
};

// Keeps the files in memory (no --state folder, and in tests).
class MemoryStateSink final : public StateSink {
public:
    bool store(const std::string& name, ByteView contents) override {
        files[name] = Bytes(contents.begin(), contents.end());
        return true;
    }
    std::map<std::string, Bytes> files;
};

}  // namespace kest::emu
