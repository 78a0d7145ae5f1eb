// Text files as users have them: the encodings told apart, the places of what is not text,
// and Windows-1252 text through every encoding and back.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "common/cp1252.h"
#include "common/text_encoding.h"

namespace kest {
namespace {

std::span<const std::uint8_t> span_of(const std::string& s) {
    return {reinterpret_cast<const std::uint8_t*>(s.data()), s.size()};
}

TEST(TextEncoding, DetectionAndFaults) {
    using E = TextEncoding;
    struct Case {
        const char* name;
        std::string bytes;
        std::optional<E> forced;
        E encoding;
        std::u32string text;  // up to the fault
        bool bom;
        DecodeFault fault;
        TextPlace at;
    };
    const Case cases[] = {
        {"ASCII", "a;b\r\n", {}, E::Utf8, U"a;b\r\n", false, DecodeFault::None, {}},
        {"UTF-8", "M\xC3\xBCller \xE2\x82\xAC", {}, E::Utf8, U"M\u00FCller \u20AC", false, DecodeFault::None, {}},
        {"UTF-8 BOM", "\xEF\xBB\xBFx", {}, E::Utf8, U"x", true, DecodeFault::None, {}},
        {"UTF-16LE BOM", std::string("\xFF\xFEM\0\xFC\0", 6), {}, E::Utf16Le, U"M\u00FC", true, DecodeFault::None, {}},
        {"UTF-16BE BOM",
         std::string("\xFE\xFF\0M\x20\xAC", 6),
         {},
         E::Utf16Be,
         U"M\u20AC",
         true,
         DecodeFault::None,
         {}},
        {"UTF-16 surrogate pair",
         std::string("\xFF\xFE\x3D\xD8\x00\xDE", 6),
         {},
         E::Utf16Le,
         U"\U0001F600",
         true,
         DecodeFault::None,
         {}},
        {"not UTF-8 is Windows-1252",
         "M\xFCller\x80",
         {},
         E::Windows1252,
         U"M\u00FCller\u20AC",
         false,
         DecodeFault::None,
         {}},
        {"NUL without BOM",
         std::string("ab\r\ncd\0e", 8),
         {},
         E::Windows1252,
         U"ab\r\ncd",
         false,
         DecodeFault::NulBytes,
         {2, 3}},
        {"forced UTF-16LE without BOM",
         std::string("a\0\n\0b\0", 6),
         E::Utf16Le,
         E::Utf16Le,
         U"a\nb",
         false,
         DecodeFault::None,
         {}},
        {"forced UTF-8, broken on line 2",
         "ok\nM\xFCller",
         E::Utf8,
         E::Utf8,
         U"ok\nM",
         false,
         DecodeFault::NotText,
         {2, 2}},
        {"overlong UTF-8 form", "\xEF\xBB\xBF\xC0\xAF", {}, E::Utf8, U"", true, DecodeFault::NotText, {1, 1}},
        {"UTF-8 surrogate", "\xEF\xBB\xBF\xED\xA0\x80", {}, E::Utf8, U"", true, DecodeFault::NotText, {1, 1}},
        {"odd UTF-16 length", std::string("\xFF\xFEx\0y", 5), {}, E::Utf16Le, U"x", true, DecodeFault::NotText, {1, 2}},
        {"lone low surrogate",
         std::string("\xFF\xFE\x00\xDC", 4),
         {},
         E::Utf16Le,
         U"",
         true,
         DecodeFault::NotText,
         {1, 1}},
        {"forced Windows-1252 keeps a UTF-8 BOM",
         "\xEF\xBB\xBF",
         E::Windows1252,
         E::Windows1252,
         U"\u00EF\u00BB\u00BF",
         false,
         DecodeFault::None,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const DecodedText d = decode_text(span_of(c.bytes), c.forced);
        EXPECT_EQ(d.encoding, c.encoding);
        EXPECT_EQ(d.text, c.text);
        EXPECT_EQ(d.bom, c.bom);
        EXPECT_EQ(d.fault, c.fault);
        if (c.fault != DecodeFault::None) {
            EXPECT_EQ(d.faultAt.line, c.at.line);
            EXPECT_EQ(d.faultAt.column, c.at.column);
        }
    }
}

TEST(TextEncoding, PlacesCountEveryKindOfLineEnd) {
    const std::u32string text = U"ab\r\ncd\ref\ngh";
    const std::pair<std::size_t, TextPlace> cases[] = {{0, {1, 1}}, {2, {1, 3}},  {4, {2, 1}},
                                                       {7, {3, 1}}, {10, {4, 1}}, {11, {4, 2}}};
    for (const auto& [index, place] : cases) {
        EXPECT_EQ(place_in(text, index).line, place.line) << index;
        EXPECT_EQ(place_in(text, index).column, place.column) << index;
    }
}

// Every Windows-1252 text, written in each encoding as another program would, reads back as
// the same characters and goes back to the same bytes.
TEST(TextEncoding, Windows1252TextThroughEveryEncoding) {
    std::mt19937 random(1252);
    for (int round = 0; round < 300; ++round) {
        std::string original(random() % 40, ' ');
        for (auto& c : original) c = static_cast<char>(1 + random() % 255);
        std::u32string chars;
        for (unsigned char c : original) chars += cp1252_char(c);
        const std::string utf8 = cp1252_to_utf8(original);
        std::string le = "\xFF\xFE", be = "\xFE\xFF";
        for (const char32_t c : chars) {
            le += static_cast<char>(c & 0xFF), le += static_cast<char>(c >> 8);
            be += static_cast<char>(c >> 8), be += static_cast<char>(c & 0xFF);
        }
        for (const std::string& bytes : {utf8, "\xEF\xBB\xBF" + utf8, le, be}) {
            const DecodedText d = decode_text(span_of(bytes));
            ASSERT_EQ(d.fault, DecodeFault::None);
            EXPECT_EQ(d.text, chars);
            EXPECT_EQ(to_cp1252(d.text), original);
        }
        EXPECT_EQ(decode_text(span_of(original), TextEncoding::Windows1252).text, chars);
    }
}

TEST(TextEncoding, CharactersWithoutACodeAreNamed) {
    std::size_t at = 0;
    EXPECT_EQ(to_cp1252(U"\u20ACuro \u00C4 \u2126 \u2022", &at), std::nullopt);
    EXPECT_EQ(at, 7u);
    EXPECT_EQ(code_point_name(U'\u2126'), "U+2126");
    EXPECT_EQ(code_point_name(U'\U0001F600'), "U+1F600");
    EXPECT_EQ(to_utf8(U"\u00C4\u2126\U0001F600"), "\xC3\x84\xE2\x84\xA6\xF0\x9F\x98\x80");
    for (const char* name : {"utf-8", "UTF8", "utf-16le", "UTF-16BE", "cp1252", "Windows-1252"})
        EXPECT_TRUE(encoding_named(name)) << name;
    EXPECT_FALSE(encoding_named("latin9"));
}

}  // namespace
}  // namespace kest
