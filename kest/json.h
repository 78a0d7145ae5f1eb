// A small JSON writer for the machine-readable output of the commands. Strings are
// UTF-8; texts of the project are decoded from Windows-1252 by the caller.
#pragma once

#include <string>
#include <vector>

namespace kest::cli {

class JsonWriter {
public:
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
    JsonWriter& value(bool flag);
    JsonWriter& null();
    // Short lists of numbers or flags, written on one line.
    JsonWriter& numbers(const std::vector<int>& list);
    JsonWriter& flags(const std::vector<bool>& list);
    template <typename T>
    JsonWriter& field(const std::string& name, const T& v) { return key(name).value(v); }

    // The document, with a newline at the end.
    std::string str() const { return out_ + "\n"; }

private:
    void before_value();
    void close(char bracket);
    void inline_list(const std::vector<std::string>& tokens);
    void newline();

    std::string out_;
    std::vector<bool> first_;  // per open container: no element written yet
    bool afterKey_ = false;
};

std::string json_quote(const std::string& text);

}  // namespace kest::cli
