// The JSON reader: a recursive descent over the text, one value at a time.
#include <cstdint>
#include <set>

#include "common/json.h"
#include "common/text_encoding.h"

namespace kest {
namespace {

constexpr int kMaxDepth = 64;
constexpr int kMaxDigits = 18;

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    JsonParse run() {
        JsonParse result;
        JsonValue value;
        if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = lineStart_ = 3;  // a byte-order mark some editors write
        skip_space();
        if (parse_value(value, 0)) {
            skip_space();
            if (pos_ == text_.size()) {
                result.value = std::move(value);
                return result;
            }
            fail("text after the end of the document");
        }
        result.error = error_;
        return result;
    }

private:
    bool fail(const std::string& what) {
        if (error_.empty())
            error_ = "line " + std::to_string(line_) + ", column " + std::to_string(pos_ - lineStart_ + 1) + ": " +
                     (at_end() ? "the document ends early (" + what + ")" : what);
        return false;
    }

    bool at_end() const { return pos_ >= text_.size(); }
    char peek() const { return at_end() ? '\0' : text_[pos_]; }

    void skip_space() {
        while (!at_end()) {
            const char c = text_[pos_];
            if (c == '\n') {
                ++line_;
                lineStart_ = pos_ + 1;
            } else if (c != ' ' && c != '\t' && c != '\r') {
                return;
            }
            ++pos_;
        }
    }

    bool expect_word(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) return fail("unexpected character");
        pos_ += word.size();
        return true;
    }

    bool parse_value(JsonValue& value, int depth) {
        if (depth > kMaxDepth) return fail("nested more than " + std::to_string(kMaxDepth) + " deep");
        value.line = line_;
        switch (peek()) {
        case '{': return parse_object(value, depth);
        case '[': return parse_array(value, depth);
        case '"': value.kind = JsonValue::Kind::String; return parse_string(value.text);
        case 't':
            value.kind = JsonValue::Kind::Bool;
            value.boolean = true;
            return expect_word("true");
        case 'f': value.kind = JsonValue::Kind::Bool; return expect_word("false");
        case 'n': return expect_word("null");
        case '\0': return fail(at_end() ? "a value expected" : "unexpected character");
        default: return parse_number(value);
        }
    }

    bool parse_object(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Object;
        ++pos_;
        skip_space();
        if (peek() == '}') {
            ++pos_;
            return true;
        }
        std::set<std::string> keys;
        for (;;) {
            if (peek() != '"') return fail("a key in double quotes expected");
            std::string key;
            if (!parse_string(key)) return false;
            if (!keys.insert(key).second) return fail("the key \"" + key + "\" is given twice");
            skip_space();
            if (peek() != ':') return fail("':' expected after a key");
            ++pos_;
            skip_space();
            JsonValue member;
            if (!parse_value(member, depth + 1)) return false;
            value.members.emplace_back(std::move(key), std::move(member));
            skip_space();
            if (peek() == ',') {
                ++pos_;
                skip_space();
                continue;
            }
            if (peek() == '}') {
                ++pos_;
                return true;
            }
            return fail("',' or '}' expected");
        }
    }

    bool parse_array(JsonValue& value, int depth) {
        value.kind = JsonValue::Kind::Array;
        ++pos_;
        skip_space();
        if (peek() == ']') {
            ++pos_;
            return true;
        }
        for (;;) {
            JsonValue item;
            if (!parse_value(item, depth + 1)) return false;
            value.items.push_back(std::move(item));
            skip_space();
            if (peek() == ',') {
                ++pos_;
                skip_space();
                continue;
            }
            if (peek() == ']') {
                ++pos_;
                return true;
            }
            return fail("',' or ']' expected");
        }
    }

    bool parse_number(JsonValue& value) {
        value.kind = JsonValue::Kind::Number;
        const bool negative = peek() == '-';
        if (negative) ++pos_;
        if (peek() < '0' || peek() > '9') return fail("unexpected character");
        if (peek() == '0' && pos_ + 1 < text_.size() && text_[pos_ + 1] >= '0' && text_[pos_ + 1] <= '9')
            return fail("a number may not start with 0");
        int digits = 0;
        long long n = 0;
        while (peek() >= '0' && peek() <= '9') {
            if (++digits > kMaxDigits) return fail("number too large");
            n = n * 10 + (peek() - '0');
            ++pos_;
        }
        if (peek() == '.' || peek() == 'e' || peek() == 'E') return fail("only whole numbers are allowed");
        value.number = negative ? -n : n;
        return true;
    }

    bool hex4(unsigned& out) {
        out = 0;
        for (int k = 0; k < 4; ++k, ++pos_) {
            const char c = peek();
            unsigned d;
            if (c >= '0' && c <= '9')
                d = static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                d = static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                d = static_cast<unsigned>(c - 'A' + 10);
            else
                return fail("four hexadecimal digits expected after \\u");
            out = out * 16 + d;
        }
        return true;
    }

    bool parse_escape(std::string& out) {
        ++pos_;  // the backslash
        const char c = peek();
        ++pos_;
        switch (c) {
        case '"': out += '"'; return true;
        case '\\': out += '\\'; return true;
        case '/': out += '/'; return true;
        case 'b': out += '\x08'; return true;
        case 'f': out += '\x0C'; return true;
        case 'n': out += '\x0A'; return true;
        case 'r': out += '\x0D'; return true;
        case 't': out += '\x09'; return true;
        case 'u': break;
        default: --pos_; return fail("unknown escape in a string");
        }
        unsigned unit;
        if (!hex4(unit)) return false;
        char32_t cp = unit;
        if (unit >= 0xDC00 && unit <= 0xDFFF) return fail("a lone low surrogate in a string");
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            unsigned low;
            if (text_.substr(pos_, 2) != "\\u") return fail("a high surrogate without its low surrogate");
            pos_ += 2;
            if (!hex4(low)) return false;
            if (low < 0xDC00 || low > 0xDFFF) return fail("a high surrogate without its low surrogate");
            cp = 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
        }
        append_utf8(out, cp);
        return true;
    }

    // One UTF-8 sequence, checked (no overlong forms, no surrogates, nothing above U+10FFFF).
    bool copy_utf8(std::string& out) {
        const auto lead = static_cast<unsigned char>(text_[pos_]);
        int length;
        char32_t cp;
        if (lead < 0xC2) return fail("not UTF-8 text");
        if (lead < 0xE0) {
            length = 2;
            cp = lead & 0x1F;
        } else if (lead < 0xF0) {
            length = 3;
            cp = lead & 0x0F;
        } else if (lead < 0xF5) {
            length = 4;
            cp = lead & 0x07;
        } else
            return fail("not UTF-8 text");
        if (pos_ + static_cast<std::size_t>(length) > text_.size()) return fail("not UTF-8 text");
        for (int k = 1; k < length; ++k) {
            const auto c = static_cast<unsigned char>(text_[pos_ + static_cast<std::size_t>(k)]);
            if ((c & 0xC0) != 0x80) return fail("not UTF-8 text");
            cp = (cp << 6) | (c & 0x3F);
        }
        const char32_t minimum = length == 2 ? 0x80 : length == 3 ? 0x800 : 0x10000;
        if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return fail("not UTF-8 text");
        out.append(text_.substr(pos_, static_cast<std::size_t>(length)));
        pos_ += static_cast<std::size_t>(length);
        return true;
    }

    bool parse_string(std::string& out) {
        ++pos_;  // the opening quote
        for (;;) {
            if (at_end()) return fail("a string is not closed");
            const auto c = static_cast<unsigned char>(text_[pos_]);
            if (c == '"') {
                ++pos_;
                return true;
            }
            if (c == '\\') {
                if (!parse_escape(out)) return false;
            } else if (c < 0x20) {
                return fail("a control character in a string (write it as \\u00XX)");
            } else if (c < 0x80) {
                out += static_cast<char>(c);
                ++pos_;
            } else if (!copy_utf8(out)) {
                return false;
            }
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    int line_ = 1;
    std::size_t lineStart_ = 0;
    std::string error_;
};

}  // namespace

const JsonValue* JsonValue::member(std::string_view key) const {
    for (const auto& [name, value] : members)
        if (name == key) return &value;
    return nullptr;
}

JsonParse parse_json(std::string_view text) { return Parser(text).run(); }

}  // namespace kest
