#include "tests/integration/crash_model.h"

#include <fcntl.h>

#include <filesystem>
#include <set>
#include <sstream>

namespace kest::testing {

namespace {

std::string from_hex(const std::string& hex) {
    std::string bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::size_t number(const std::string& text) { return static_cast<std::size_t>(std::stoull(text)); }

}  // namespace

std::vector<FsCall> parse_fs_log(const std::string& text) {
    std::vector<FsCall> calls;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::size_t start = 0;
        for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        FsCall call{fields.front(), {fields.begin() + 1, fields.end()}};
        calls.push_back(std::move(call));
    }
    return calls;
}

CrashModel::CrashModel(std::string folder, const DiskState& existing) : folder_(std::move(folder)) {
    for (const auto& [name, contents] : existing) {
        cached_[name] = durable_[name] = static_cast<int>(inodes_.size());
        inodes_.push_back({contents, contents, {}});
    }
}

bool CrashModel::in_folder(const std::string& path) const {
    return std::filesystem::path(path).parent_path() == std::filesystem::path(folder_);
}

std::string CrashModel::name_of(const std::string& path) const {
    return std::filesystem::path(path).filename().string();
}

void CrashModel::fail(const std::string& why) {
    if (problem_.empty()) problem_ = why;
}

void CrashModel::apply(std::string& contents, const DataOp& op) {
    if (op.truncate) {
        contents.resize(op.offset);
        return;
    }
    if (contents.size() < op.offset + op.bytes.size()) contents.resize(op.offset + op.bytes.size());
    contents.replace(op.offset, op.bytes.size(), op.bytes);
}

void CrashModel::apply(std::map<std::string, int>& entries, const EntryOp& op) {
    switch (op.kind) {
    case EntryOp::Link: entries[op.name] = op.inode; break;
    case EntryOp::Unlink: entries.erase(op.name); break;
    case EntryOp::Rename:
        if (!entries.count(op.name)) break;
        entries[op.to] = entries[op.name];
        entries.erase(op.name);
        break;
    }
}

void CrashModel::change(int inode, DataOp op) {
    apply(inodes_[static_cast<std::size_t>(inode)].cached, op);
    inodes_[static_cast<std::size_t>(inode)].pending.push_back(std::move(op));
}

void CrashModel::open(int fd, char type, bool create, bool truncate, bool append, const std::string& path) {
    Open file{path};
    if (path == folder_ && type == 'd') file.folder = true;
    if (in_folder(path) && type == 'f') {
        const std::string name = name_of(path);
        if (!cached_.count(name)) {
            if (!create) fail("opened " + path + ", which the model does not know");
            cached_[name] = static_cast<int>(inodes_.size());
            inodes_.push_back({});
            pendingEntries_.push_back({EntryOp::Link, name, {}, cached_[name]});
        } else if (truncate) {
            change(cached_[name], {true, 0, {}});
        }
        file.inode = cached_[name];
        file.append = append;
    }
    open_[fd] = file;
}

void CrashModel::write(Open& file, std::size_t offset, const std::string& bytes) {
    if (file.inode < 0) {
        devices_[file.path] += bytes;
        return;
    }
    if (file.append) offset = inodes_[static_cast<std::size_t>(file.inode)].cached.size();
    change(file.inode, {false, offset, bytes});
    file.position = offset + bytes.size();
}

void CrashModel::apply(const FsCall& call) {
    const auto& f = call.fields;
    const auto fd = [&] { return std::stoi(f.at(0)); };
    const auto file = [&]() -> Open* {
        const auto it = open_.find(fd());
        return it == open_.end() ? nullptr : &it->second;
    };
    const auto modelled = [&](const std::string& path) { return in_folder(path) || path == folder_; };
    try {
        if (call.kind == "open") {
            const unsigned flags = static_cast<unsigned>(std::stoul(f.at(2), nullptr, 16));
            open(fd(), f.at(1).at(0), flags & O_CREAT, flags & O_TRUNC, flags & O_APPEND, f.at(3));
        } else if (call.kind == "fopen") {
            const char mode = f.at(2).at(0);
            open(fd(), f.at(1).at(0), mode != 'r', mode == 'w', mode == 'a', f.at(3));
        } else if (call.kind == "write" || call.kind == "fwrite") {
            if (Open* o = file()) {
                write(*o, o->position, from_hex(f.at(1)));
                if (call.kind == "fwrite") o->unflushed += f.at(1).size() / 2;
            }
        } else if (call.kind == "pwrite") {
            if (Open* o = file()) write(*o, number(f.at(1)), from_hex(f.at(2)));
        } else if (call.kind == "fflush") {
            if (Open* o = file()) o->unflushed = 0;
        } else if (call.kind == "ftruncate") {
            if (Open* o = file(); o && o->inode >= 0) change(o->inode, {true, number(f.at(1)), {}});
        } else if (call.kind == "fsync" || call.kind == "fdatasync") {
            Open* o = file();
            if (!o) return;
            if (o->unflushed > 0) fail(call.kind + " of " + o->path + " while bytes wait in the program's buffer");
            if (o->inode >= 0) {
                Inode& inode = inodes_[static_cast<std::size_t>(o->inode)];
                inode.durable = inode.cached;
                inode.pending.clear();
            }
            if (o->folder) {
                for (const EntryOp& op : pendingEntries_) apply(durable_, op);
                pendingEntries_.clear();
            }
        } else if (call.kind == "close" || call.kind == "fclose") {
            open_.erase(fd());
        } else if (call.kind == "rename") {
            const std::string &from = f.at(0), &to = f.at(1);
            if (!modelled(from) && !modelled(to)) return;
            if (!in_folder(from) || !in_folder(to)) return fail("rename across the folder: " + from + " " + to);
            if (!cached_.count(name_of(from))) return fail("rename of " + from + ", which the model does not know");
            EntryOp op{EntryOp::Rename, name_of(from), name_of(to), -1};
            apply(cached_, op);
            pendingEntries_.push_back(op);
        } else if (call.kind == "unlink") {
            if (!in_folder(f.at(0))) return;
            EntryOp op{EntryOp::Unlink, name_of(f.at(0)), {}, -1};
            apply(cached_, op);
            pendingEntries_.push_back(op);
        } else {
            fail("a call the model does not know: " + call.kind);
        }
    } catch (const std::exception&) {
        fail("a log line the model cannot read: " + call.kind);
    }
}

DiskState CrashModel::visible() const {
    DiskState state;
    for (const auto& [name, inode] : cached_) state[name] = inodes_[static_cast<std::size_t>(inode)].cached;
    return state;
}

std::vector<DiskState> CrashModel::crash_states() const {
    std::set<DiskState> states;
    std::map<std::string, int> entries = durable_;
    for (std::size_t kept = 0;; ++kept) {
        // The files these entries name, each with any number of its pending writes.
        std::vector<int> files;
        for (const auto& [name, inode] : entries)
            if (!inodes_[static_cast<std::size_t>(inode)].pending.empty()) files.push_back(inode);
        std::map<int, std::size_t> writes;
        for (int inode : files) writes[inode] = 0;
        for (;;) {
            DiskState state;
            for (const auto& [name, inode] : entries) {
                const Inode& i = inodes_[static_cast<std::size_t>(inode)];
                std::string contents = i.durable;
                const auto it = writes.find(inode);
                for (std::size_t n = 0; it != writes.end() && n < it->second; ++n) apply(contents, i.pending[n]);
                state[name] = std::move(contents);
            }
            states.insert(std::move(state));
            // The next combination of write counts (an odometer over the files).
            std::size_t digit = 0;
            for (; digit < files.size(); ++digit) {
                std::size_t& n = writes[files[digit]];
                if (n < inodes_[static_cast<std::size_t>(files[digit])].pending.size()) {
                    ++n;
                    break;
                }
                n = 0;
            }
            if (digit == files.size()) break;
        }
        if (kept == pendingEntries_.size()) break;
        apply(entries, pendingEntries_[kept]);
    }
    return {states.begin(), states.end()};
}

std::string CrashModel::written_to(const std::string& path) const {
    const auto it = devices_.find(path);
    return it == devices_.end() ? std::string() : it->second;
}

}  // namespace kest::testing
