#include "project/project_json.h"

#include <cstring>
#include <memory>

#include "common/cp1252.h"
#include "common/json.h"
#include "project/project_fields.h"

namespace kest {
namespace {

std::string utf8(const std::string& cp1252) { return cp1252_to_utf8(cp1252); }

// Bytes up to the last one that is not zero, as hexadecimal digits.
std::string hex_trimmed(const u8* b, std::size_t size) {
    while (size > 0 && b[size - 1] == 0) --size;
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        out += kDigits[b[i] >> 4];
        out += kDigits[b[i] & 0x0F];
    }
    return out;
}

class Writer {
public:
    JsonWriter j;

    template <class F>
    void object(const char* key, F&& f) {
        j.key(key).begin_object();
        f();
        j.end_object();
    }
    template <class F>
    void objects(const char* key, int count, F&& f) {
        j.key(key).begin_array();
        for (int i = 0; i < count; ++i) {
            j.begin_object();
            f(i);
            j.end_object();
        }
        j.end_array();
    }
    void info(const char* key, int value) { j.field(key, value); }
    void info(const char* key, const std::string& text) { j.field(key, utf8(text)); }
    void number(const char* key, const u8& b, unsigned, int shown = 0) { j.field(key, b + shown); }
    void flag(const char* key, const u8& b) {
        if (b <= 1)
            j.field(key, b == 1);
        else
            j.field(key, static_cast<int>(b));
    }
    void font(const char* key, const u8& b) {
        if (b <= 1)
            j.field(key, b ? "large" : "small");
        else
            j.field(key, static_cast<int>(b));
    }
    void code(const char* key, const char* nameKey, const u8& b, const fields::Names& names) {
        j.field(key, static_cast<int>(b)).field(nameKey, utf8(names.name(b)));
    }
    void target(const char* key, const u8& b) {
        j.key(key).begin_object().field("code", static_cast<int>(b)).field("name", utf8(fields::kTargets.name(b)));
        j.end_object();
    }
    void cell(const char* key, const char* c, std::size_t size, std::size_t) {
        j.field(key, cell_text(c, size));
        const std::string after = cell_after(c, size);
        if (!after.empty()) j.field(std::string(key) + "After", after);
    }
    void cells(const char* key, const char* c, int count, std::size_t size, std::size_t) {
        std::vector<std::string> after;
        bool any = false;
        j.key(key).begin_array();
        for (int i = 0; i < count; ++i) {
            const char* cell = c + static_cast<std::size_t>(i) * size;
            j.value(cell_text(cell, size));
            after.push_back(cell_after(cell, size));
            any = any || !after.back().empty();
        }
        j.end_array();
        if (!any) return;
        for (std::string& a : after) a = json_quote(a);
        j.key(std::string(key) + "After").tokens(after);
    }
    void bytes(const char* key, const u8* b, std::size_t size, unsigned) {
        j.key(key).numbers(std::vector<int>(b, b + size));
    }
    void coded_bytes(const char* key, const char* nameKey, const u8* b, std::size_t size, const fields::Names& names) {
        bytes(key, b, size, names.count - 1);
        std::vector<std::string> tokens;
        for (std::size_t i = 0; i < size; ++i) tokens.push_back(json_quote(utf8(names.name(b[i]))));
        j.key(nameKey).tokens(tokens);
    }
    void flags(const char* key, const u8* b, std::size_t size) {
        std::vector<std::string> tokens;
        for (std::size_t i = 0; i < size; ++i) tokens.push_back(flag_token(b[i]));
        j.key(key).tokens(tokens);
    }
    void codes(const char* key, const u8* b, std::size_t size) {
        while (size > 0 && b[size - 1] == 0) --size;
        j.key(key).numbers(std::vector<int>(b, b + size));
    }
    void raw(const char* key, const u8* b, std::size_t size) {
        const std::string hex = hex_trimmed(b, size);
        if (!hex.empty()) j.field(key, hex);
    }

private:
    static std::string flag_token(u8 b) { return b == 0 ? "false" : b == 1 ? "true" : std::to_string(b); }

    // The text of a cell, up to its terminating zero.
    static std::string cell_text(const char* c, std::size_t size) { return utf8(kest::cell_text(c, size)); }
    // The bytes after the terminating zero (what a longer text left behind), in hexadecimal;
    // empty when they are all zero.
    static std::string cell_after(const char* c, std::size_t size) {
        const std::size_t length = cell_length(c, size);
        return length < size ? hex_trimmed(reinterpret_cast<const u8*>(c) + length + 1, size - length - 1) : "";
    }
};

// Reads the fields in the order of the description, each from its key of the current
// object; the first fault stops the rest. Every key of an object must be used.
class Reader {
public:
    explicit Reader(const JsonValue& root) {
        frames_.push_back({&root, "", std::vector<bool>(root.members.size()), {}});
    }

    std::string error;

    template <class F>
    void object(const char* key, F&& f) {
        const JsonValue* v = take(key, JsonValue::Kind::Object);
        if (!v) return;
        enter(*v, path_of(key));
        f();
        leave();
    }
    template <class F>
    void objects(const char* key, int count, F&& f) {
        const JsonValue* a = take_list(key, count);
        for (int i = 0; a && i < count && error.empty(); ++i) {
            const JsonValue& item = a->items[static_cast<std::size_t>(i)];
            const std::string path = path_of(key) + "[" + std::to_string(i) + "]";
            if (item.kind != JsonValue::Kind::Object) {
                fail(item, path, "an object expected");
                return;
            }
            enter(item, path);
            f(i);
            leave();
        }
    }
    void info(const char* key, int expected) {
        const JsonValue* v = take(key, JsonValue::Kind::Number, false);
        if (v && v->number != expected)
            fail(*v, path_of(key),
                 "is " + std::to_string(v->number) + ", expected " + std::to_string(expected) +
                     " (the entries keep their order)");
    }
    void info(const char* key, const std::string& expected) {
        const JsonValue* v = take(key, JsonValue::Kind::String, false);
        if (v && v->text != utf8(expected))
            fail(*v, path_of(key), "is \"" + v->text + "\", expected \"" + utf8(expected) + "\"");
    }
    void number(const char* key, u8& b, unsigned, int shown = 0) {
        if (const JsonValue* v = take(key, JsonValue::Kind::Number)) byte(*v, path_of(key), b, shown);
    }
    void flag(const char* key, u8& b) {
        if (const JsonValue* v = take_any(key)) flag_value(*v, path_of(key), b);
    }
    void font(const char* key, u8& b) {
        const JsonValue* v = take_any(key);
        if (!v) return;
        if (v->kind == JsonValue::Kind::String && (v->text == "small" || v->text == "large"))
            b = v->text == "large" ? 1 : 0;
        else if (v->kind == JsonValue::Kind::Number)
            byte(*v, path_of(key), b);
        else
            fail(*v, path_of(key), "\"small\", \"large\" or a byte value expected");
    }
    void code(const char* key, const char* nameKey, u8& b, const fields::Names& names) {
        const JsonValue* v = take(key, JsonValue::Kind::Number);
        if (!v || !byte(*v, path_of(key), b)) return;
        name_matches(nameKey, key, b, names);
    }
    void target(const char* key, u8& b) {
        object(key, [&] {
            const JsonValue* v = take("code", JsonValue::Kind::Number);
            if (v && byte(*v, path_of("code"), b)) name_matches("name", "code", b, fields::kTargets);
        });
    }
    void cell(const char* key, char* c, std::size_t size, std::size_t) {
        const JsonValue* text = take(key, JsonValue::Kind::String);
        const std::string afterKey = std::string(key) + "After";
        const JsonValue* after = take(afterKey, JsonValue::Kind::String, false);
        if (text) cell_value(*text, path_of(key), after, path_of(afterKey), c, size);
    }
    void cells(const char* key, char* c, int count, std::size_t size, std::size_t) {
        const JsonValue* texts = take_list(key, count);
        const std::string afterKey = std::string(key) + "After";
        const JsonValue* afters = take(afterKey, JsonValue::Kind::Array, false);
        if (afters && afters->items.size() != static_cast<std::size_t>(count)) {
            fail(*afters, path_of(afterKey),
                 "holds " + std::to_string(afters->items.size()) + " entries, expected " + std::to_string(count));
            return;
        }
        for (int i = 0; texts && i < count && error.empty(); ++i) {
            const auto k = static_cast<std::size_t>(i);
            const std::string index = "[" + std::to_string(i) + "]";
            const JsonValue& text = texts->items[k];
            const JsonValue* after = afters ? &afters->items[k] : nullptr;
            if (text.kind != JsonValue::Kind::String) {
                fail(text, path_of(key) + index, "a text expected");
            } else if (after && after->kind != JsonValue::Kind::String) {
                fail(*after, path_of(afterKey) + index, "a text expected");
            } else {
                cell_value(text, path_of(key) + index, after, path_of(afterKey) + index, c + k * size, size);
            }
        }
    }
    void bytes(const char* key, u8* b, std::size_t size, unsigned) {
        if (const JsonValue* a = take_list(key, static_cast<int>(size))) byte_list(*a, key, b);
    }
    void coded_bytes(const char* key, const char* nameKey, u8* b, std::size_t size, const fields::Names& names) {
        bytes(key, b, size, names.count - 1);
        const JsonValue* n = take(nameKey, JsonValue::Kind::Array, false);
        if (!n || !error.empty()) return;
        if (n->items.size() != size) {
            fail(*n, path_of(nameKey),
                 "holds " + std::to_string(n->items.size()) + " entries, expected " + std::to_string(size));
            return;
        }
        for (std::size_t i = 0; i < size && error.empty(); ++i) {
            const std::string expected = utf8(names.name(b[i]));
            const JsonValue& name = n->items[i];
            if (name.kind != JsonValue::Kind::String || name.text != expected)
                fail(name, path_of(nameKey) + "[" + std::to_string(i) + "]",
                     "is not the name of " + std::string(key) + "[" + std::to_string(i) + "] (\"" + expected +
                         "\"); the number counts, the name only describes it");
        }
    }
    void flags(const char* key, u8* b, std::size_t size) {
        const JsonValue* a = take_list(key, static_cast<int>(size));
        for (std::size_t i = 0; a && i < size && error.empty(); ++i)
            flag_value(a->items[i], path_of(key) + "[" + std::to_string(i) + "]", b[i]);
    }
    void codes(const char* key, u8* b, std::size_t size) {
        const JsonValue* a = take(key, JsonValue::Kind::Array);
        if (!a) return;
        if (a->items.size() > size) {
            fail(*a, path_of(key), "holds at most " + std::to_string(size) + " character codes");
            return;
        }
        std::memset(b, 0, size);
        byte_list(*a, key, b);
    }
    void raw(const char* key, u8* b, std::size_t size) {
        std::memset(b, 0, size);
        if (const JsonValue* v = take(key, JsonValue::Kind::String, false)) hex(*v, path_of(key), b, size);
    }

    // Keys that only describe where the text came from.
    void ignore(const char* key) { take(key, JsonValue::Kind::Null, false, true); }
    void tag(const char* key, char* c, std::size_t size) {
        const JsonValue* v = take(key, JsonValue::Kind::String);
        if (!v) return;
        if (v->text != kProjectTag) {
            fail(*v, path_of(key),
                 "is \"" + v->text + "\"; a project of this layout is tagged \"" + kProjectTag + "\"");
            return;
        }
        std::memset(c, 0, size);
        std::memcpy(c, kProjectTag, sizeof kProjectTag);
    }
    void finish() { leave(); }

private:
    struct Frame {
        const JsonValue* value;
        std::string path;
        std::vector<bool> used;
        std::string missing;  // the first key that was not there
    };

    bool fail(const JsonValue& at, const std::string& path, const std::string& what) {
        if (error.empty()) error = "line " + std::to_string(at.line) + ": " + (path.empty() ? "" : path + ": ") + what;
        return false;
    }
    std::string path_of(const std::string& key) const {
        const std::string& base = frames_.back().path;
        return base.empty() ? key : base + "." + key;
    }
    void enter(const JsonValue& v, std::string path) {
        frames_.push_back({&v, std::move(path), std::vector<bool>(v.members.size()), {}});
    }
    // A key that is not known is reported with the one that is missing, as a misspelt key
    // is both.
    void leave() {
        const Frame& f = frames_.back();
        const std::string missing = f.missing.empty() ? "" : " (\"" + f.missing + "\" is missing)";
        for (std::size_t i = 0; i < f.used.size() && error.empty(); ++i)
            if (!f.used[i]) {
                const auto& [name, value] = f.value->members[i];
                fail(value, f.path.empty() ? name : f.path + "." + name, "unknown key" + missing);
            }
        if (!f.missing.empty()) fail(*f.value, f.path, "\"" + f.missing + "\" is missing");
        frames_.pop_back();
    }

    // The member under key, marked as used. A missing member is a fault when required;
    // a member of another kind always is (unless any kind will do).
    const JsonValue* take(const std::string& key, JsonValue::Kind kind, bool required = true, bool anyKind = false) {
        if (!error.empty()) return nullptr;
        Frame& f = frames_.back();
        for (std::size_t i = 0; i < f.value->members.size(); ++i) {
            if (f.value->members[i].first != key) continue;
            f.used[i] = true;
            const JsonValue& v = f.value->members[i].second;
            if (!anyKind && v.kind != kind) {
                fail(v, path_of(key), std::string(kind_name(kind)) + " expected");
                return nullptr;
            }
            return &v;
        }
        if (required && f.missing.empty()) f.missing = key;
        return nullptr;
    }
    const JsonValue* take_any(const char* key) { return take(key, JsonValue::Kind::Null, true, true); }
    const JsonValue* take_list(const char* key, int count) {
        const JsonValue* a = take(key, JsonValue::Kind::Array);
        if (a && a->items.size() != static_cast<std::size_t>(count)) {
            fail(*a, path_of(key),
                 "holds " + std::to_string(a->items.size()) + " entries, expected " + std::to_string(count));
            return nullptr;
        }
        return a;
    }

    static const char* kind_name(JsonValue::Kind kind) {
        switch (kind) {
        case JsonValue::Kind::Object: return "an object";
        case JsonValue::Kind::Array: return "a list";
        case JsonValue::Kind::String: return "a text";
        case JsonValue::Kind::Number: return "a number";
        default: return "a value";
        }
    }

    bool byte(const JsonValue& v, const std::string& path, u8& b, int shown = 0) {
        const long long n = v.number - shown;
        if (n < 0 || n > 255)
            return fail(v, path,
                        std::to_string(v.number) + " is out of " + std::to_string(shown) + "-" +
                            std::to_string(255 + shown) + " (one byte)");
        b = static_cast<u8>(n);
        return true;
    }
    void byte_list(const JsonValue& a, const char* key, u8* b) {
        for (std::size_t i = 0; i < a.items.size() && error.empty(); ++i) {
            const JsonValue& item = a.items[i];
            const std::string path = path_of(key) + "[" + std::to_string(i) + "]";
            if (item.kind != JsonValue::Kind::Number)
                fail(item, path, "a number expected");
            else
                byte(item, path, b[i]);
        }
    }
    void flag_value(const JsonValue& v, const std::string& path, u8& b) {
        if (v.kind == JsonValue::Kind::Bool)
            b = v.boolean ? 1 : 0;
        else if (v.kind == JsonValue::Kind::Number)
            byte(v, path, b);
        else
            fail(v, path, "true, false or a byte value expected");
    }
    void name_matches(const char* nameKey, const char* key, u8 b, const fields::Names& names) {
        const JsonValue* n = take(nameKey, JsonValue::Kind::String, false);
        const std::string expected = utf8(names.name(b));
        if (n && n->text != expected)
            fail(*n, path_of(nameKey),
                 "\"" + n->text + "\" is not the name of " + key + " " + std::to_string(b) + " (\"" + expected +
                     "\"); the number counts, the name only describes it");
    }
    bool hex(const JsonValue& v, const std::string& path, u8* b, std::size_t size) {
        const std::string& t = v.text;
        if (t.size() % 2 != 0 || t.size() / 2 > size)
            return fail(v, path, "up to " + std::to_string(size) + " bytes as pairs of hexadecimal digits expected");
        for (std::size_t i = 0; i < t.size(); i += 2) {
            int value = 0;
            for (std::size_t k = i; k < i + 2; ++k) {
                const char c = t[k];
                int d;
                if (c >= '0' && c <= '9')
                    d = c - '0';
                else if (c >= 'A' && c <= 'F')
                    d = c - 'A' + 10;
                else if (c >= 'a' && c <= 'f')
                    d = c - 'a' + 10;
                else
                    return fail(v, path, "hexadecimal digits expected");
                value = value * 16 + d;
            }
            b[i / 2] = static_cast<u8>(value);
        }
        return true;
    }
    // A text (UTF-8) and, when given, the bytes after its terminating zero (hexadecimal).
    void cell_value(const JsonValue& text, const std::string& path, const JsonValue* after,
                    const std::string& afterPath, char* c, std::size_t size) {
        std::string missing;
        const auto bytes = utf8_to_cp1252_exact(text.text, &missing);
        if (!bytes) {
            fail(text, path, "holds " + missing + ", which the terminal's code page (Windows-1252) does not have");
            return;
        }
        if (bytes->find('\0') != std::string::npos) {
            fail(text, path,
                 "a text holds no zero byte (the bytes after its terminating zero go in the key ending in \"After\")");
            return;
        }
        if (bytes->size() > size) {
            fail(text, path,
                 "is " + std::to_string(bytes->size()) + " characters long; the cell holds " +
                     std::to_string(size - 1) + " and its terminating zero");
            return;
        }
        std::memset(c, 0, size);
        std::memcpy(c, bytes->data(), bytes->size());
        if (after && !after->text.empty()) {
            const std::size_t start = bytes->size() + 1;
            if (start >= size || after->text.size() / 2 > size - start) {
                fail(*after, afterPath,
                     "the text, its terminating zero and these bytes do not fit the " + std::to_string(size) +
                         "-byte cell");
                return;
            }
            hex(*after, afterPath, reinterpret_cast<u8*>(c) + start, size - start);
        }
    }

    std::vector<Frame> frames_;
};

}  // namespace

std::string project_to_json(const Project& project, const std::string& file, bool olderLayout,
                            const std::vector<Finding>& outOfRange) {
    Writer w;
    w.j.begin_object().field("file", file).field("tag", utf8(cell_text(project.version.tag)));
    w.j.field("olderLayout", olderLayout);
    fields::visit_project(w, project);
    if (!outOfRange.empty()) {
        w.j.key("outOfRange").begin_array();
        for (const Finding& f : outOfRange)
            w.j.begin_object()
                .field("offset", static_cast<long>(f.offset))
                .field("path", f.path)
                .field("what", f.what)
                .end_object();
        w.j.end_array();
    }
    w.j.end_object();
    return w.j.str();
}

std::string project_from_json(std::string_view text, Project& project) {
    const JsonParse parsed = parse_json(text);
    if (!parsed.value) return parsed.error;
    const JsonValue& root = *parsed.value;
    if (root.kind != JsonValue::Kind::Object)
        return "line " + std::to_string(root.line) + ": the project is one JSON object";
    auto built = std::make_unique<Project>();
    std::memset(built.get(), 0, sizeof(Project));
    Reader reader(root);
    reader.ignore("file");
    reader.ignore("olderLayout");
    reader.ignore("outOfRange");
    reader.tag("tag", built->version.tag, sizeof built->version.tag);
    fields::visit_project(reader, *built);
    reader.finish();
    if (!reader.error.empty()) return reader.error;
    project = *built;
    return {};
}

}  // namespace kest
