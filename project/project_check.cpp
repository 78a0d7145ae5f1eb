#include "project/project_check.h"

#include <string_view>

#include "project/project_fields.h"
#include "project/project_file.h"

namespace kest {
namespace {

// Visits every field, noting each value the pages cannot produce under its path.
class Checker {
public:
    explicit Checker(const Project& project) : base_(reinterpret_cast<const u8*>(&project)) {}

    std::vector<Finding> findings;

    template <class F>
    void object(const char* key, F&& f) {
        const std::size_t mark = path_.size();
        path_ += (path_.empty() ? "" : ".") + std::string(key);
        f();
        path_.resize(mark);
    }
    template <class F>
    void objects(const char* key, int count, F&& f) {
        for (int i = 0; i < count; ++i) {
            const std::size_t mark = path_.size();
            path_ += (path_.empty() ? "" : ".") + std::string(key) + "[" + std::to_string(i) + "]";
            f(i);
            path_.resize(mark);
        }
    }
    void info(const char*, int) {}
    void info(const char*, const std::string&) {}

    void number(const char* key, const u8& b, unsigned max, int = 0) { range(key, &b, b, max); }
    void flag(const char* key, const u8& b) { range(key, &b, b, 1); }
    void font(const char* key, const u8& b) { range(key, &b, b, 1); }
    void code(const char* key, const char*, const u8& b, const fields::Names& names) {
        range(key, &b, b, names.count - 1);
    }
    void target(const char* key, const u8& b) { range(key, &b, b, fields::kTargets.count - 1); }
    void cell(const char* key, const char* c, std::size_t size, std::size_t maxChars) {
        const std::size_t within = maxChars + 1 < size ? maxChars + 1 : size;
        for (std::size_t i = 0; i < within; ++i)
            if (c[i] == '\0') return;
        note(key, c,
             "holds more than " + std::to_string(maxChars) + " characters (no zero byte in its first " +
                 std::to_string(within) + ")");
    }
    void cells(const char* key, const char* c, int count, std::size_t size, std::size_t maxChars) {
        for (int i = 0; i < count; ++i)
            cell(indexed(key, i).c_str(), c + static_cast<std::size_t>(i) * size, size, maxChars);
    }
    void bytes(const char* key, const u8* b, std::size_t size, unsigned max) {
        for (std::size_t i = 0; i < size; ++i) range(indexed(key, i).c_str(), &b[i], b[i], max);
    }
    void coded_bytes(const char* key, const char*, const u8* b, std::size_t size, const fields::Names& names) {
        bytes(key, b, size, names.count - 1);
    }
    void flags(const char* key, const u8* b, std::size_t size) { bytes(key, b, size, 1); }
    void codes(const char*, const u8*, std::size_t) {}
    void raw(const char*, const u8*, std::size_t) {}

private:
    static std::string indexed(const char* key, std::size_t i) {
        return std::string(key) + "[" + std::to_string(i) + "]";
    }

    void range(const char* key, const void* at, unsigned value, unsigned max) {
        if (value <= max) return;
        note(key, at,
             "is " + std::to_string(value) + ", expected " + (max == 1 ? "0 or 1" : "0-" + std::to_string(max)));
    }
    void note(const char* key, const void* at, std::string what) {
        const auto offset = static_cast<std::size_t>(static_cast<const u8*>(at) - base_);
        findings.push_back({offset, (path_.empty() ? "" : path_ + ".") + key, std::move(what)});
    }

    const u8* base_;
    std::string path_;
};

}  // namespace

std::vector<Finding> check_project(const Project& project) {
    Checker checker(project);
    fields::visit_project(checker, project);
    return checker.findings;
}

std::vector<Finding> check_file_end(const std::vector<u8>& trailer, std::size_t extra) {
    std::vector<Finding> out;
    std::size_t first = trailer.size();
    std::size_t count = 0;
    for (std::size_t i = 0; i < trailer.size(); ++i)
        if (trailer[i] != 0) {
            if (first == trailer.size()) first = i;
            ++count;
        }
    if (count)
        out.push_back({kProjectTablesSize + first, "trailer",
                       "holds " + std::to_string(count) + (count == 1 ? " byte" : " bytes") +
                           " other than zero (the trailer is zero bytes)"});
    if (extra)
        out.push_back({kProjectFileSize, "trailer",
                       "is followed by " + std::to_string(extra) + (extra == 1 ? " byte" : " bytes") +
                           " (a project file ends after " + std::to_string(kProjectFileSize) + " bytes)"});
    return out;
}

}  // namespace kest
