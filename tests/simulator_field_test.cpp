#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "simulator/bounded_text.h"
#include "simulator_fixture.h"

namespace kest::sim::testing {
namespace {

using FieldTest = SimulatorTest;

TEST_F(FieldTest, CharacterChecksByFieldType) {
    struct Case {
        u8 type;
        const char* accepted;
        const char* refused;
    } const cases[] = {
        {kFieldText, "1A .+$/*%# ", ""}, {kFieldInteger, "0123456789", ".A-+ "}, {kFieldReal, "0123456789.", "A-+"},
        {kFieldAutoSign, "09.", "A-"},   {kFieldLetter, "AZ", "1.+ "},           {kFieldBoolean, "01TFNY", "2ABZ."},
    };
    // Every character reachable from the keypad, with the keys that type it.
    struct Typing {
        char c;
        bool alpha;
        int key;
        int presses;
    } const typings[] = {
        {'0', false, kKeyZero, 1}, {'1', false, 1, 1},       {'2', false, 2, 1},       {'9', false, 9, 1},
        {'3', false, 3, 1},        {'4', false, 4, 1},       {'5', false, 5, 1},       {'6', false, 6, 1},
        {'7', false, 7, 1},        {'8', false, 8, 1},       {'.', false, kKeyDot, 1}, {'-', false, kKeyDash, 1},
        {'A', true, 2, 1},         {'B', true, 2, 2},        {'Z', true, 9, 4},        {'F', true, 3, 3},
        {'N', true, 6, 2},         {'T', true, 8, 1},        {'Y', true, 9, 3},        {'+', true, kKeyDash, 1},
        {'$', true, kKeyDash, 2},  {'/', true, kKeyZero, 1}, {'*', true, kKeyZero, 2}, {'%', true, kKeyDot, 1},
        {'#', true, kKeyDot, 2},   {' ', true, 1, 1},
    };
    for (const Case& test : cases) {
        for (bool accept : {true, false}) {
            for (const char* c = accept ? test.accepted : test.refused; *c; ++c) {
                SCOPED_TRACE(std::string("type ") + std::to_string(test.type) + " char '" + *c + "'");
                set_line(0, 0, test.type, "F:", 10);
                start_form1();
                const Typing* typing = nullptr;
                for (const Typing& t : typings)
                    if (t.c == *c) typing = &t;
                ASSERT_NE(typing, nullptr);
                if (typing->alpha) {
                    engine->key(kKeyAlpha);
                    tap_letter(typing->key, typing->presses);
                } else {
                    engine->key(typing->key);
                }
                if (accept) {
                    EXPECT_EQ(state(), kStateForm);
                    EXPECT_EQ(line(0), std::string("F:") + *c);
                } else {
                    EXPECT_EQ(state(), kStateMessage);
                    EXPECT_EQ(line(4), "********************");
                    EXPECT_EQ(line(5), "Datentyp falsch!    ");
                    EXPECT_EQ(line(7), "********************");
                    EXPECT_EQ(line(0), "F:");
                }
            }
        }
    }
}

TEST_F(FieldTest, TheKeyAfterAMessageRestoresTheFormWithItsInput) {
    set_line(0, 0, kFieldInteger, "Menge:", 5);
    set_line(0, 1, kFieldText, "Text:", 5);
    start_form1();
    type("12.");
    EXPECT_EQ(state(), kStateMessage);
    EXPECT_EQ(line(0), "Menge:12");
    EXPECT_EQ(line(1), "Text:");
    engine->key(3);  // restores only; the key is not typed
    EXPECT_EQ(state(), kStateForm);
    EXPECT_EQ(line(0), "Menge:12");
    EXPECT_EQ(line(4), "");
    EXPECT_EQ(cursor_column(), 8);
    type("3");
    EXPECT_EQ(line(0), "Menge:123");
}

TEST_F(FieldTest, DefaultValueIsReplacedByTheFirstKey) {
    set_line(0, 0, kFieldInteger, "Nr:", 9);
    form().defaultOn[0] = 1;
    kest::set_cell(form().defaultValue[0], "4711");
    start_form1();
    EXPECT_EQ(line(0), "Nr:4711");
    EXPECT_EQ(cursor_column(), 3);
    type("5");
    EXPECT_EQ(line(0), "Nr:5");
    EXPECT_EQ(cursor_column(), 4);
    type("6");
    EXPECT_EQ(line(0), "Nr:56");
}

TEST_F(FieldTest, DefaultValueIsKeptByEnter) {
    set_line(0, 0, kFieldInteger, "Nr:", 9);
    form().defaultOn[0] = 1;
    kest::set_cell(form().defaultValue[0], "4711");
    form().recordAction = kRecordPassDown;
    start_form1();
    engine->key(kKeyEnterLeft);
    EXPECT_STREQ(engine->pass_down(), "4711");
}

TEST_F(FieldTest, CharactersBeyondMaxLengthOverwriteTheLast) {
    set_line(0, 0, kFieldInteger, "Nr:", 5);
    form().recordAction = kRecordPassDown;
    start_form1();
    type("12345");
    EXPECT_EQ(line(0), "Nr:12345");
    type("6");
    EXPECT_EQ(line(0), "Nr:12346");
    type("7");
    EXPECT_EQ(line(0), "Nr:12347");
    engine->key(kKeyBackspace);
    EXPECT_EQ(line(0), "Nr:1234");
    type("9");
    EXPECT_EQ(line(0), "Nr:12349");
    engine->key(kKeyEnterLeft);
    EXPECT_STREQ(engine->pass_down(), "12349");
}

// A prompt that fills the line puts the input start past the last column; wherever the
// cursor is set, it stays on the display.
TEST_F(FieldTest, CursorStaysOnTheDisplayAfterAFullWidthPrompt) {
    const struct {
        const char* name;
        bool withDefault;
        std::initializer_list<int> keys;
    } cases[] = {
        {"default replaced by a key", true, {2}},
        {"two keys over the default", true, {1, 2}},
        {"empty field", false, {2}},
        {"key then backspace", true, {2, kKeyBackspace}},
        {"escape and back", true, {kKeyUp, kKeyDown}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        set_line(0, 0, kFieldInteger, "12345678901234567890", 10);
        form().defaultOn[0] = c.withDefault;
        set_cell(form().defaultValue[0], "7");
        start_form1();
        EXPECT_LT(cursor_column(), kDisplayColumns);
        for (int key : c.keys) {
            engine->key(key);
            EXPECT_EQ(cursor_column(), kDisplayColumns - 1);
        }
    }
}

TEST_F(FieldTest, LongFieldScrollsAndBackspaceScrollsBack) {
    set_line(0, 0, kFieldText, "Name:", 30);
    form().recordAction = kRecordPassDown;
    start_form1();
    const char* digits = "123456789012345678901234567890";
    for (int i = 0; i < 14; ++i) type(std::string(1, digits[i]).c_str());
    EXPECT_EQ(line(0), "Name:12345678901234");
    EXPECT_EQ(cursor_column(), 19);
    type("5");
    EXPECT_EQ(line(0), "Name:23456789012345");
    EXPECT_EQ(cursor_column(), 19);
    type("6");
    EXPECT_EQ(line(0), "Name:34567890123456");
    EXPECT_EQ(cursor_column(), 19);
    engine->key(kKeyBackspace);
    EXPECT_EQ(line(0), "Name:23456789012345");
    engine->key(kKeyBackspace);
    EXPECT_EQ(line(0), "Name:12345678901234");
    EXPECT_EQ(cursor_column(), 19);
    engine->key(kKeyBackspace);
    EXPECT_EQ(line(0), "Name:1234567890123");
    EXPECT_EQ(cursor_column(), 18);
    // Fill to the end: 30 characters, then a 31st overwrites the last.
    for (int i = 13; i < 30; ++i) type(std::string(1, digits[i]).c_str());
    type("7");
    engine->key(kKeyEnterLeft);
    EXPECT_STREQ(engine->pass_down(), "123456789012345678901234567897");
}

TEST_F(FieldTest, FieldScrollingFromItsFirstColumnKeepsItsInput) {
    set_line(0, 0, kFieldInteger, "1234567890123456789", 10);
    form().recordAction = kRecordPassDown;
    start_form1();
    type("123");
    EXPECT_EQ(cursor_column(), 19);
    engine->key(kKeyEnterLeft);
    EXPECT_STREQ(engine->pass_down(), "123");
}

TEST_F(FieldTest, BackspaceAtTheInputStartDoesNothing) {
    set_line(0, 0, kFieldText, "X:", 5);
    start_form1();
    engine->key(kKeyBackspace);
    EXPECT_EQ(line(0), "X:");
    EXPECT_EQ(cursor_column(), 2);
}

TEST_F(FieldTest, ExtensionLinesContinueTheField) {
    set_line(0, 0, kFieldText, "123456789012", 40);
    set_line(0, 1, kFieldContinuation);
    set_line(0, 2, kFieldContinuation);
    form().recordAction = kRecordPassDown;
    start();
    prepare_forms();
    engine->key(1);
    type("12345678");
    EXPECT_EQ(line(0), "12345678901212345678");
    EXPECT_EQ(form().currentLine, 1);
    EXPECT_EQ(engine->display().cursorRow, 1);
    EXPECT_EQ(cursor_column(), 0);
    type("9");
    EXPECT_EQ(line(1), "9");
    engine->key(kKeyBackspace);
    engine->key(kKeyBackspace);  // at the start of the extension line: back to the line above
    EXPECT_EQ(form().currentLine, 0);
    EXPECT_EQ(line(0), "1234567890121234567");
    type("8");
    type("9");
    EXPECT_EQ(line(0), "12345678901212345678");
    EXPECT_EQ(line(1), "9");
    engine->key(kKeyEnterLeft);  // the field is complete (single input field)
    EXPECT_STREQ(engine->pass_down(), "123456789");
}

TEST_F(FieldTest, FirstKeyOverEarlierInputEmptiesTheExtensionLines) {
    set_line(0, 0, kFieldText, "", 30);
    set_line(0, 1, kFieldContinuation);
    set_line(0, 2, kFieldInteger, "N:", 5);
    start();
    prepare_forms();
    engine->key(1);
    type("1234567890123456789012");
    EXPECT_EQ(line(1), "12");
    engine->key(kKeyEnterLeft);  // on to the next field
    EXPECT_EQ(form().currentLine, 2);
    engine->key(kKeyUp);
    EXPECT_EQ(form().currentLine, 0);
    type("5");
    EXPECT_EQ(line(0), "5");
    EXPECT_EQ(line(1), "");
}

TEST_F(FieldTest, FillCharacterMarksTheFreeField) {
    set_line(0, 0, kFieldInteger, "Nr:", 5);
    form().fillChar[0] = '_';
    start_form1();
    EXPECT_EQ(line(0), "Nr:_____");
    type("12");
    EXPECT_EQ(line(0), "Nr:12___");
    engine->key(kKeyBackspace);
    EXPECT_EQ(line(0), "Nr:1____");
    EXPECT_EQ(cursor_column(), 4);
}

TEST_F(FieldTest, InlineSignOfAnAutoSignField) {
    set_line(0, 0, kFieldAutoSign, "Wert", 5);  // 4 + 2 * 5 + 1 fits 20
    form().lineLookupKey[0] = 10;               // "- Feld 2"
    set_line(0, 1, kFieldAutoSign, "Betrag", 5);
    form().lineLookupKey[1] = 18;                           // "+ Feld 2"
    set_line(0, 2, kFieldAutoSign, "Sehr langer Text", 5);  // does not fit: no sign
    start_form1();
    EXPECT_EQ(line(0), "Wert     -");
    EXPECT_EQ(cursor_column(), 10);
    EXPECT_EQ(line(1), "Betrag     +");
    EXPECT_EQ(line(2), "Sehr langer Text");
    type("1.5");
    EXPECT_EQ(line(0), "Wert     -1.5");
    engine->key(kKeyEnterLeft);
    engine->key(kKeyUp);
    type("2");  // over earlier content: the field starts afresh with its sign
    EXPECT_EQ(line(0), "Wert     -2");
}

TEST_F(FieldTest, PassDownTextIsSpreadOverExtensionLines) {
    set_line(0, 0, kFieldText, "", 50);
    form().recordAction = kRecordPassDown;
    form().nextTarget = jump::form(1);
    set_line(1, 0, kFieldPassDown, "PD:");
    set_line(1, 1, kFieldContinuation);
    set_line(1, 2, kFieldInteger, "N:", 5);
    set_line(2, 0, kFieldPassDown, "Kurz:");
    set_line(2, 1, kFieldInteger, "N:", 5);
    start_form1();
    engine->key(kKeyAlpha);
    for (int i = 0; i < 45; ++i) tap_letter(2 + i % 8, 1);
    EXPECT_EQ(std::strlen(engine->pass_down()), 0u);
    engine->key(kKeyEnterLeft);
    ASSERT_EQ(std::strlen(engine->pass_down()), 45u);
    EXPECT_EQ(engine->current_object(), jump::form(1));
    EXPECT_EQ(line(0), std::string("PD:") + std::string(engine->pass_down()).substr(0, 17));
    EXPECT_EQ(line(1), std::string(engine->pass_down()).substr(17, 20));
    EXPECT_EQ(form(1).currentLine, 2);
}

TEST_F(FieldTest, PassDownTextWithoutExtensionIsCut) {
    set_line(0, 0, kFieldInteger, "", 30);
    form().recordAction = kRecordPassDown;
    form().nextTarget = jump::form(1);
    set_line(1, 0, kFieldPassDown, "Kurz:   ");
    set_line(1, 1, kFieldInteger, "N:", 5);
    start_form1();
    type("123456789012345678901234567890");
    engine->key(kKeyEnterLeft);
    EXPECT_EQ(line(0), "Kurz:   123456789012");
}

TEST_F(FieldTest, PassDownTextOverSeveralExtensionLinesAndTheLargeFont) {
    // A 61-character record from three fixed-data lines and one digit.
    project->options.delimiter1 = 0;
    set_line(0, 0, kFieldFixedData, "AAAAAAAAAAAAAAAAAAAA");
    set_line(0, 1, kFieldFixedData, "BBBBBBBBBBBBBBBBBBBB");
    set_line(0, 2, kFieldFixedData, "CCCCCCCCCCCCCCCCCCCC");
    set_line(0, 3, kFieldInteger, "", 5);
    form().recordAction = kRecordPassDown;
    form().nextTarget = jump::form(1);
    set_line(1, 0, kFieldPassDown, "P:");
    set_line(1, 1, kFieldContinuation);
    set_line(1, 2, kFieldContinuation);
    set_line(1, 3, kFieldInteger, "", 5);
    form(1).nextTarget = jump::form(2);
    set_line(2, 0, kFieldPassDown, "P:");
    set_line(2, 1, kFieldContinuation);
    set_line(2, 2, kFieldInteger, "", 5);
    form(2).font = 1;
    start_form1();
    type("1");
    engine->key(kKeyEnterLeft);
    ASSERT_EQ(std::strlen(engine->pass_down()), 61u);
    EXPECT_EQ(line(0), "P:AAAAAAAAAAAAAAAAAA");
    EXPECT_EQ(line(1), "AABBBBBBBBBBBBBBBBBB");
    EXPECT_EQ(line(2), "BBCCCCCCCCCCCCCCCCCC");  // the rest is cut at the last extension line
    EXPECT_EQ(form(1).currentLine, 3);
    engine->key(kKeyEnterLeft);  // nothing typed: minLength 0 completes the form
    EXPECT_EQ(engine->current_object(), jump::form(2));
    EXPECT_EQ(line(0), "P:AAAAAAAAAAAAA");  // 15 characters
    EXPECT_EQ(line(1), "AAAAAAABBBBBBBB");
    // Showing the large-font line cut the record itself to 60 minus the prompt.
    EXPECT_EQ(std::strlen(engine->pass_down()), 58u);
}

TEST_F(FieldTest, FillCharacterReachesTheExtensionLines) {
    set_line(0, 0, kFieldText, "", 30);
    set_line(0, 1, kFieldContinuation);
    form().fillChar[0] = '.';
    start();
    prepare_forms();
    engine->key(1);
    EXPECT_EQ(line(0), "....................");
    EXPECT_EQ(line(1), "..........");
    type("12");
    EXPECT_EQ(line(0), "12..................");
}

TEST_F(FieldTest, LargeFontFieldScrollsAtColumnFourteen) {
    set_line(0, 0, kFieldInteger, "N:", 20);
    form().font = 1;
    form().recordAction = kRecordPassDown;
    start_form1();
    type("123456789012");  // columns 2-13
    EXPECT_EQ(cursor_column(), 14);
    type("34");
    EXPECT_EQ(line(0), "N:345678901234");
    EXPECT_EQ(cursor_column(), 14);
    engine->key(kKeyEnterLeft);
    EXPECT_STREQ(engine->pass_down(), "12345678901234");
}

TEST_F(FieldTest, TypingRepaintsOnlyTheFieldLine) {
    set_line(0, 0, kFieldInteger, "A:", 5);
    set_line(0, 2, kFieldInteger, "B:", 5);
    start_form1();
    engine->key(kKeyEnterLeft);
    engine->take_repaint();
    type("1");
    const Repaint repaint = engine->take_repaint();
    EXPECT_FALSE(repaint.whole);
    EXPECT_EQ(repaint.lineMask, 1u << 2);
}

class RecordTest : public SimulatorTest {
protected:
    // Two fields typed "12" and "AB", the form completed with Enter.
    std::string record() {
        editor.recordCount = 0;
        form().recordAction = kRecordPassDown;
        set_line(0, 0, kFieldInteger, "Z:", 10);
        set_line(0, 1, kFieldLetter, "B:", 10);
        start_form1();
        type("12");
        engine->key(kKeyEnterLeft);
        engine->key(kKeyAlpha);
        tap_letter(2, 1);
        tap_letter(2, 2);
        engine->key(kKeyEnterLeft);
        EXPECT_EQ(editor.recordCount, 1);
        return engine->pass_down();
    }
};

TEST_F(RecordTest, FieldsWithADelimiter) {
    project->options.delimiter1 = ',';
    project->options.delimiter2 = 0;
    EXPECT_EQ(record(), "12,AB");
}

TEST_F(RecordTest, BothDelimitersPrefixAndSuffix) {
    project->options.delimiter1 = ';';
    project->options.delimiter2 = '|';
    form().prefixOn[1] = 1;
    const u8 prefix[10] = {'<', '<', 0, 'x'};
    std::memcpy(form().prefix[1], prefix, sizeof prefix);
    form().suffixOn[0] = 1;
    std::memset(form().suffix[0], '>', 10);  // ten codes without a terminator
    EXPECT_EQ(record(), "12>>>>>>>>>>;|<<AB");
}

TEST_F(RecordTest, FixedLengthAlignments) {
    const struct {
        u8 justify;
        u8 length;
        const char* expected;
    } cases[] = {
        {3, 5, "00012;AB"}, {0, 5, "12   ;AB"}, {1, 5, "   12;AB"}, {2, 5, "12000;AB"},
        {0, 1, "1;AB"},     {0, 0, "AB"},       {9, 3, "12 ;AB"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.expected);
        project = std::make_unique<Project>();
        reset_to_defaults(*project);
        form().fixedLengthOn[0] = 1;
        form().justify[0] = test.justify;
        form().fixedLength[0] = test.length;
        EXPECT_EQ(record(), test.expected);
    }
}

TEST_F(RecordTest, LookupAndFixedDataLines) {
    set_line(0, 2, kFieldFixedData, "FIX");
    set_line(0, 3, kFieldLookup, "L:");
    form().defaultOn[3] = 1;  // "Felddaten speichern"
    set_line(0, 4, kFieldLookup, "M:");
    set_line(0, 5, kFieldHeading, "H");
    EXPECT_EQ(record(), "12;AB;FIX;");
}

class StampTest : public SimulatorTest {
protected:
    void SetUp() override {
        clock.set_local_time({2007, 3, 4, 5, 6, 7});
        project->options.delimiter1 = ',';
        form().recordAction = kRecordPassDown;
        set_line(0, 0, kFieldInteger, "", 5);
    }
    std::string record() {
        start_form1();
        type("9");
        engine->key(kKeyEnterLeft);
        return engine->pass_down();
    }
};

TEST_F(StampTest, DefaultStampAtTheEnd) {
    form().stampPosition = 2;
    EXPECT_EQ(record(), "9,2007.03.04,05:06:07");
}

TEST_F(StampTest, TwoDigitYearFirstWithoutSplit) {
    form().stampPosition = 1;
    form().yearDigits = 1;
    form().stampSplit = 0;
    EXPECT_EQ(record(), "07.03.0405:06:07,9");
}

TEST_F(StampTest, DateOrdersPartsAndSeparators) {
    const struct {
        u8 order, yearOn, monthOn, dayOn, sepOn, hourOn, minuteOn, secondOn, timeSepOn;
        const char* expected;
    } cases[] = {
        {1, 1, 1, 1, 1, 1, 1, 1, 1, "9,03.04.2007,05:06:07"},
        {2, 1, 1, 1, 1, 0, 1, 1, 1, "9,04.03.2007,06:07"},
        {0, 0, 1, 1, 1, 1, 0, 1, 1, "9,03.04,05::07"},  // a separator per position
        {0, 1, 0, 1, 1, 1, 1, 0, 0, "9,2007..04,0506"},
        {0, 1, 1, 1, 0, 0, 0, 0, 1, "9,20070304,"},
        {7, 1, 1, 1, 1, 1, 0, 0, 1, "9,,05::"},
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(test.expected);
        form().stampPosition = 2;
        form().dateOrder = test.order;
        form().yearOn = test.yearOn;
        form().monthOn = test.monthOn;
        form().dayOn = test.dayOn;
        form().dateSepOn = test.sepOn;
        form().hourOn = test.hourOn;
        form().minuteOn = test.minuteOn;
        form().secondOn = test.secondOn;
        form().timeSepOn = test.timeSepOn;
        EXPECT_EQ(record(), test.expected);
    }
}

TEST_F(StampTest, TwoDigitYearHasALeadingZero) {
    form().stampPosition = 2;
    form().yearDigits = 1;
    form().hourOn = form().minuteOn = form().secondOn = 0;
    const struct {
        int year;
        const char* expected;
    } cases[] = {{2007, "9,07.01.01,"}, {2010, "9,10.01.01,"}, {2000, "9,00.01.01,"}, {1999, "9,99.01.01,"}};
    for (const auto& test : cases) {
        clock.set_local_time({test.year, 1, 1, 0, 0, 0});
        EXPECT_EQ(record(), test.expected);
    }
}

// Damaged and extreme projects: every buffer stays within its size whatever the tables hold.
TEST_F(FieldTest, HostileProjectsKeepEveryBufferInBounds) {
    std::mt19937 random(20261208);
    const int keySet[] = {1, 2, 3, 7, 9, 10, 11, 12, 13, 16, 17, 19, 21, 22, 23, 51, 0, 99};
    for (int round = 0; round < 300; ++round) {
        auto* bytes = reinterpret_cast<u8*>(project.get());
        if (round % 3 == 0) {
            for (std::size_t i = 0; i < sizeof(Project); ++i) bytes[i] = static_cast<u8>(random());
        } else {
            reset_to_defaults(*project);
            for (auto& f : project->forms) {
                f.font = static_cast<u8>(random() % 3);
                for (int line = 0; line < kFormLines; ++line) {
                    f.lineType[line] = static_cast<u8>(random() % 14);
                    f.maxLength[line] = static_cast<u8>(random() % 3 == 0 ? random() : random() % 60);
                    std::memset(f.prompt[line], 'P', sizeof f.prompt[line]);  // no terminator
                    f.prompt[line][random() % 22 < 21 ? random() % 21 : 0] = '\0';
                    f.fillChar[line] = static_cast<u8>(random() % 2 ? '.' : 0);
                    f.defaultOn[line] = static_cast<u8>(random() % 2);
                    std::memset(f.defaultValue[line], '7', sizeof f.defaultValue[line]);
                    f.prefixOn[line] = f.suffixOn[line] = 1;
                    std::memset(f.prefix[line], 'p', 10);
                    std::memset(f.suffix[line], 's', 10);
                    f.lineLookupKey[line] = static_cast<u8>(random());
                    f.fixedLengthOn[line] = static_cast<u8>(random() % 2);
                    f.fixedLength[line] = static_cast<u8>(random());
                }
                f.recordAction = kRecordPassDown;
                f.stampPosition = static_cast<u8>(random() % 3);
                f.nextTarget = static_cast<u8>(random() % 22);
                f.escTarget = static_cast<u8>(random());
                f.currentLine = static_cast<u8>(random());
                f.entryLineCount = static_cast<u8>(random());
            }
            project->options.startObject = static_cast<u8>(random() % 2);
            for (auto& m : project->menus) {
                m.currentItem = static_cast<u8>(random());
                for (auto& target : m.itemTarget) target = static_cast<u8>(random() % 25);
                m.escTarget = static_cast<u8>(random());
                m.titleEnabled = static_cast<u8>(random() % 2);
                std::memset(m.items, 'I', sizeof m.items);
            }
        }
        editor.recordCount = static_cast<int>(random() % 3 == 0 ? 2147483640 : 0);
        start();
        if (round % 2) prepare_forms();
        for (int step = 0; step < 400; ++step) {
            const int choice = static_cast<int>(random() % 24);
            if (choice < 18)
                engine->key(keySet[choice]);
            else if (choice < 20)
                engine->key(1);
            else
                engine->tick();
            const DisplayState& d = engine->display();
            for (const auto& text : d.lines) ASSERT_LE(bounded_length(text, kDisplayCell), 20u);
            ASSERT_LE(bounded_length(d.clockLine, kDisplayCell), 20u);
            ASSERT_LT(bounded_length(engine->pass_down(), kPassDownSize), kPassDownSize);
            ASSERT_GE(d.cursorColumn, 0);
            ASSERT_LT(d.cursorColumn, kDisplayColumns);
            ASSERT_GE(d.cursorRow, 0);
            ASSERT_LT(d.cursorRow, kDisplayLines);
        }
    }
}

}  // namespace
}  // namespace kest::sim::testing
