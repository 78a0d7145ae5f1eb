#include "common/json.h"

#include <cstdio>

namespace kest {

std::string json_quote(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

void JsonWriter::newline() {
    if (oneLine_) return;
    out_ += '\n';
    out_.append(first_.size() * 2, ' ');
}

void JsonWriter::before_value() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (first_.empty()) return;
    if (!first_.back()) out_ += ',';
    first_.back() = false;
    newline();
}

JsonWriter& JsonWriter::begin_object() {
    before_value();
    out_ += '{';
    first_.push_back(true);
    return *this;
}

void JsonWriter::close(char bracket) {
    const bool empty = first_.back();
    first_.pop_back();
    if (!empty) newline();
    out_ += bracket;
}

JsonWriter& JsonWriter::end_object() {
    close('}');
    return *this;
}

JsonWriter& JsonWriter::begin_array() {
    before_value();
    out_ += '[';
    first_.push_back(true);
    return *this;
}

JsonWriter& JsonWriter::end_array() {
    close(']');
    return *this;
}

JsonWriter& JsonWriter::key(const std::string& name) {
    before_value();
    out_ += json_quote(name) + (oneLine_ ? ":" : ": ");
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::value(const std::string& text) {
    before_value();
    out_ += json_quote(text);
    return *this;
}

JsonWriter& JsonWriter::value(long number) {
    before_value();
    out_ += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::value(std::uint64_t number) {
    before_value();
    out_ += std::to_string(number);
    return *this;
}

JsonWriter& JsonWriter::value(bool flag) {
    before_value();
    out_ += flag ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::null() {
    before_value();
    out_ += "null";
    return *this;
}

}  // namespace kest

namespace kest {

JsonWriter& JsonWriter::tokens(const std::vector<std::string>& list) {
    before_value();
    out_ += '[';
    for (std::size_t i = 0; i < list.size(); ++i) out_ += (i ? ", " : "") + list[i];
    out_ += ']';
    return *this;
}

JsonWriter& JsonWriter::numbers(const std::vector<int>& list) {
    std::vector<std::string> tokens;
    for (int n : list) tokens.push_back(std::to_string(n));
    return this->tokens(tokens);
}

JsonWriter& JsonWriter::flags(const std::vector<bool>& list) {
    std::vector<std::string> tokens;
    for (bool b : list) tokens.push_back(b ? "true" : "false");
    return this->tokens(tokens);
}

}  // namespace kest
