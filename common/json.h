// JSON for the machine-readable output of the command-line tool and for projects as text:
// a small writer, and a reader that turns a document into a tree of values. Strings are
// UTF-8; texts of the project are converted from and to Windows-1252 by the caller.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kest {

class JsonWriter {
public:
    JsonWriter() = default;
    // oneLine: the whole document on one line (JSON Lines), without indentation.
    explicit JsonWriter(bool oneLine) : oneLine_(oneLine) {}
    JsonWriter& begin_object();
    JsonWriter& end_object();
    JsonWriter& begin_array();
    JsonWriter& end_array();
    // The key of the next value inside an object.
    JsonWriter& key(const std::string& name);
    JsonWriter& value(const std::string& text);
    JsonWriter& value(const char* text) { return value(std::string(text)); }
    JsonWriter& value(long number);
    JsonWriter& value(int number) { return value(static_cast<long>(number)); }
    JsonWriter& value(unsigned char number) { return value(static_cast<long>(number)); }
    JsonWriter& value(std::uint64_t number);  // sizes and addresses
    JsonWriter& value(bool flag);
    JsonWriter& null();
    // Short lists of numbers or flags, written on one line.
    JsonWriter& numbers(const std::vector<int>& list);
    JsonWriter& flags(const std::vector<bool>& list);
    // A list of values already written as JSON ("true", "7"), on one line.
    JsonWriter& tokens(const std::vector<std::string>& list);
    template <typename T>
    JsonWriter& field(const std::string& name, const T& v) {
        return key(name).value(v);
    }

    // The document, with a newline at the end.
    std::string str() const { return out_ + "\n"; }

private:
    void before_value();
    void close(char bracket);
    void newline();

    std::string out_;
    std::vector<bool> first_;  // per open container: no element written yet
    bool afterKey_ = false;
    bool oneLine_ = false;
};

std::string json_quote(const std::string& text);

struct JsonMember;

// One value of a parsed document. Numbers are whole numbers: a document with a fraction or
// an exponent is refused, as nothing that is read here has one.
struct JsonValue {
    enum class Kind { Null, Bool, Number, String, Array, Object };
    Kind kind = Kind::Null;
    bool boolean = false;
    long long number = 0;
    std::string text;                 // String, UTF-8
    std::vector<JsonValue> items;     // Array
    std::vector<JsonMember> members;  // Object, in document order
    int line = 0;                     // where the value starts, from 1

    const JsonValue* member(std::string_view key) const;
};

// A key of an object and its value. (A pair of its own: a std::pair of a value that is still
// being declared is refused by some compilers.)
struct JsonMember {
    JsonMember(std::string key, JsonValue value) : first(std::move(key)), second(std::move(value)) {}
    std::string first;
    JsonValue second;
};

struct JsonParse {
    std::optional<JsonValue> value;  // nothing when the document is not valid
    std::string error;               // "line 3, column 7: ..." otherwise
};

// Reads one JSON document (RFC 8259: UTF-8, no trailing commas, no comments, duplicate keys
// refused, nesting at most 64 deep). Works on the text alone.
JsonParse parse_json(std::string_view text);

}  // namespace kest
