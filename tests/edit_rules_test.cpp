#include "editor/edit_rules.h"

#include <gtest/gtest.h>

#include "tests/support/map_dialog.h"

namespace kest::editor {
namespace {

using testing::MapDialog;

TEST(EditRules, ParsesUnsignedDecimalsWithSaturation) {
    struct Case {
        const char* text;
        EditNumber::Kind kind;
        unsigned value;
    };
    const Case cases[] = {
        {"", EditNumber::Kind::Empty, 0},
        {"0", EditNumber::Kind::Number, 0},
        {"007", EditNumber::Kind::Number, 7},
        {"300", EditNumber::Kind::Number, 300},
        {"99999999999999", EditNumber::Kind::Number, kNumberCeiling},
        {"a", EditNumber::Kind::NotANumber, 0},
        {"12a", EditNumber::Kind::NotANumber, 0},
        {"-1", EditNumber::Kind::NotANumber, 0},
        {" 5", EditNumber::Kind::NotANumber, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const EditNumber n = parse_edit_number(c.text);
        EXPECT_EQ(n.kind, c.kind);
        EXPECT_EQ(n.value, c.value);
    }
}

// A one-field page: edit 501 holds a byte with a limit, edit 502 a text cell of 5
// characters, list 601 a code.
struct OneFieldLogic {
    unsigned limit = 50;
    u8 byte = 7;
    char cell[6] = "abc";
    u8 code = 2;
    DialogResult command(DialogAccess& d, int id) {
        if (id == 501) {
            if (auto v = number_edit(d, 501, limit, byte)) byte = static_cast<u8>(*v);
        } else if (id == 502) {
            if (auto t = text_edit(d, 502, 5)) set_cell(cell, *t);
        } else if (id == 601) {
            store_selection(d, 601, code);
        }
        return DialogResult::Stay;
    }
};

TEST(EditRules, NumberEditStoresRefusesAndPutsBack) {
    struct Case {
        const char* typed;
        unsigned stored;  // before
        unsigned byte;    // after
        const char* shown;
    };
    const Case cases[] = {
        {"12", 7, 12, "12"}, {"", 7, 0, ""},        // clearing the field stores 0
        {"x", 7, 0, "0"},                           // a letter stores 0 and shows "0"
        {"60", 7, 7, "7"},                          // above the limit: the stored value comes back
        {"300", 7, 7, "7"},                         // never wraps into the byte
        {"50", 7, 50, "50"}, {"80", 90, 90, "90"},  // a stored value above the limit shows as it is
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        OneFieldLogic logic;
        logic.byte = static_cast<u8>(c.stored);
        MapDialog face;
        face.attach(logic);
        face.type(501, c.typed);
        EXPECT_EQ(logic.byte, c.byte);
        EXPECT_EQ(face.text(501), c.shown);
    }
}

TEST(EditRules, TextEditCutsAndTheEchoStoresTheCutText) {
    OneFieldLogic logic;
    MapDialog face;
    face.attach(logic);
    face.type(502, "abcdefgh");
    EXPECT_EQ(face.text(502), "abcde");
    EXPECT_STREQ(logic.cell, "abcde");
    EXPECT_EQ(face.echoes, 1);
    face.type(502, "xy");
    EXPECT_STREQ(logic.cell, "xy");
}

TEST(EditRules, ListWithoutSelectionKeepsTheByte) {
    OneFieldLogic logic;
    MapDialog face;
    face.attach(logic);
    face.set_list(601, {"a", "b", "c"});
    face.select(601, 200);  // a code outside the list shows no selection
    face.notify(601);
    EXPECT_EQ(logic.code, 2);
    face.choose(601, 1);
    EXPECT_EQ(logic.code, 1);
}

}  // namespace
}  // namespace kest::editor
