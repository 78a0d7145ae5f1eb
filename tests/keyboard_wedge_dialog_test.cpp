#include "editor/keyboard_wedge_dialog.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/map_dialog.h"

namespace kest::editor {
namespace {

using testing::MapDialog;

struct Wedge {
    KeyboardWedgeSettings copy{};
    KeyboardWedgeSettings project{};
    KeyboardWedgeDialog logic{copy, project};
    MapDialog face;

    explicit Wedge(KeyboardWedgeSettings start) : copy(start), project(start) {
        std::memset(project.reserved, 0xA5, sizeof project.reserved);
        face.attach(logic);
        logic.init(face);
    }
};

TEST(KeyboardWedgeDialog, OpensWithTheStoredTypeNumbersAndButtons) {
    struct Case {
        u8 flags;
        int format, lock, caps;  // checked button per group; 0 = none
        bool keypad;
    };
    const Case cases[] = {
        {0x00, 301, 304, 307, false},
        {0x01 | 0x08 | 0x04, 302, 306, 307, true},  // format "klein", "Shift-lock keyboard"
        {0x60, 301, 304, 308, false},               // "Immer EIN" wins over "ignorieren"
        {0x20 | 0x10, 303, 304, 309, false},
        {0x80 | 0x18 | 0x06, 0, 0, 307, false},  // two-bit fields holding 3: no button
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.flags));
        Wedge w({7, c.flags, 20, 5, 1, {}});
        EXPECT_EQ(w.face.lists[IDC_WEDGE_TYPE].size(), 32u);
        EXPECT_EQ(w.face.lists[IDC_WEDGE_TYPE][31], "PCAT (Swiss)");
        EXPECT_EQ(w.face.selection(IDC_WEDGE_TYPE), 7);
        EXPECT_EQ(w.face.text(IDC_WEDGE_PAUSE), "20");
        EXPECT_EQ(w.face.text(IDC_WEDGE_TIMEOUT), "5");
        EXPECT_TRUE(w.face.checked(IDC_WEDGE_CRLF));
        EXPECT_EQ(w.face.checked(IDC_WEDGE_KEYPAD), c.keypad);
        for (int id = 301; id <= 309; ++id)
            EXPECT_EQ(w.face.checked(id), id == c.format || id == c.lock || id == c.caps) << id;
    }
}

TEST(KeyboardWedgeDialog, OkWritesTheCopyAndTheProjectAtOnce) {
    Wedge w({2, 0x80, 0, 0, 1, {}});
    w.face.choose(IDC_WEDGE_TYPE, 31);
    w.face.click_check(303, true);  // "groß"
    w.face.click_check(305, true);  // "Capital-lock keyboard"
    w.face.click_check(309, true);  // "ignorieren"
    w.face.click_check(IDC_WEDGE_KEYPAD, true);
    w.face.click_check(IDC_WEDGE_CRLF, false);
    w.face.type(IDC_WEDGE_PAUSE, "300");
    w.face.type(IDC_WEDGE_TIMEOUT, "17");
    EXPECT_EQ(w.logic.command(w.face, kIdOk), DialogResult::CloseOk);
    for (const KeyboardWedgeSettings* s : {&w.copy, &w.project}) {
        EXPECT_EQ(s->keyboardType, 31);
        EXPECT_EQ(s->wedgeFlags, 0x01 | (1 << 1) | (2 << 3) | 0x20);
        EXPECT_EQ(s->charPause, 255);  // clamped, never wrapped
        EXPECT_EQ(s->linkTimeout, 17);
        EXPECT_EQ(s->appendCrLf, 0);
    }
    // Only one button per group, and the bytes nobody edits are carried through.
    EXPECT_FALSE(w.face.checked(301) || w.face.checked(307) || w.face.checked(304));
    EXPECT_EQ(w.project.reserved[49], 0xA5);
}

TEST(KeyboardWedgeDialog, CancelChangesNothing) {
    Wedge w({2, 0x80, 3, 4, 1, {}});
    const KeyboardWedgeSettings copy = w.copy, project = w.project;
    w.face.choose(IDC_WEDGE_TYPE, 9);
    w.face.click_check(308, true);
    w.face.type(IDC_WEDGE_PAUSE, "9");
    EXPECT_EQ(w.logic.command(w.face, kIdCancel), DialogResult::CloseCancel);
    EXPECT_EQ(std::memcmp(&w.copy, &copy, sizeof copy), 0);
    EXPECT_EQ(std::memcmp(&w.project, &project, sizeof project), 0);
}

TEST(KeyboardWedgeDialog, NumberFieldsWhileTypingAndAtOk) {
    struct Case {
        const char* typed;
        const char* shown;
        u8 stored;
    };
    const Case cases[] = {
        {"42", "42", 42}, {"12a", "0", 0}, {"", "", 0}, {"256", "256", 255}, {"99999999", "99999999", 255},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        Wedge w({0, 0, 9, 9, 0, {}});
        w.face.type(IDC_WEDGE_TIMEOUT, c.typed);
        EXPECT_EQ(w.face.text(IDC_WEDGE_TIMEOUT), c.shown);
        w.logic.command(w.face, kIdOk);
        EXPECT_EQ(w.project.linkTimeout, c.stored);
    }
}

TEST(KeyboardWedgeDialog, CodesOutsideTheListsAreKeptByOk) {
    Wedge w({40, 0x1E | 0x01, 0, 0, 0, {}});
    EXPECT_EQ(w.face.selection(IDC_WEDGE_TYPE), -1);
    w.logic.command(w.face, kIdOk);
    EXPECT_EQ(w.project.keyboardType, 40);
    // Lock type and format keep their 3; only the capital-lock bits change (to automatic).
    EXPECT_EQ(w.project.wedgeFlags, 0x1E | 0x01 | 0x80);
}

}  // namespace
}  // namespace kest::editor
