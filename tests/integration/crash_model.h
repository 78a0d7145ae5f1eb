// A small model of a file system that keeps apart what is on the disk and what is only in
// the system's cache. Fed with the calls a program made (fs_log_shim.c), it tells what a
// crash of the system after any of them could leave on the disk.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace kest::testing {

struct FsCall {
    std::string kind;  // open, fopen, write, fwrite, pwrite, fflush, fsync, fdatasync, ...
    std::vector<std::string> fields;
};

// The lines of the shim's log.
std::vector<FsCall> parse_fs_log(const std::string& text);

// The files of the modelled folder: name → contents.
using DiskState = std::map<std::string, std::string>;

class CrashModel {
public:
    // Only the files directly in `folder` are modelled; `existing` are on the disk already.
    CrashModel(std::string folder, const DiskState& existing);

    // The program's next call. A call the model cannot follow sets problem().
    void apply(const FsCall& call);

    // What the running system shows.
    DiskState visible() const;

    // Every state the disk can be in after a crash now. What was synced is there. Of what was
    // not: the changes of the folder (files created, renamed, removed) up to any point, in
    // their order, as a journal keeps them; and independently of them and of each other the
    // data of each file up to any point of its own writes, as delayed allocation may leave
    // it (the rename on the disk before the data it names).
    std::vector<DiskState> crash_states() const;

    // The bytes written so far to a path outside the folder (a device: the serial port).
    std::string written_to(const std::string& path) const;

    const std::string& problem() const { return problem_; }

private:
    struct DataOp {
        bool truncate = false;
        std::size_t offset = 0;  // the new size for a truncation
        std::string bytes;
    };
    struct Inode {
        std::string durable, cached;
        std::vector<DataOp> pending;
    };
    struct EntryOp {
        enum Kind { Link, Unlink, Rename } kind;
        std::string name, to;
        int inode = -1;
    };
    struct Open {
        std::string path;
        int inode = -1;  // a modelled file
        bool folder = false;
        bool append = false;
        std::size_t position = 0;
        std::size_t unflushed = 0;  // bytes in the program's stdio buffer
    };

    bool in_folder(const std::string& path) const;
    std::string name_of(const std::string& path) const;
    void open(int fd, char type, bool create, bool truncate, bool append, const std::string& path);
    void write(Open& file, std::size_t offset, const std::string& bytes);
    void change(int inode, DataOp op);
    static void apply(std::string& contents, const DataOp& op);
    static void apply(std::map<std::string, int>& entries, const EntryOp& op);
    void fail(const std::string& why);

    std::string folder_;
    std::vector<Inode> inodes_;
    std::map<std::string, int> cached_, durable_;  // names in the folder → inode
    std::vector<EntryOp> pendingEntries_;
    std::map<int, Open> open_;
    std::map<std::string, std::string> devices_;
    std::string problem_;
};

}  // namespace kest::testing
