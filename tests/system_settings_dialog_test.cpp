#include "editor/system_settings_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/support/map_dialog.h"

namespace kest::editor {
namespace {

using testing::MapDialog;

ApplicationOptions options(u8 backlight, u8 ackDisplay, u8 ackTime) {
    ApplicationOptions o{};
    o.sendPort = 1;
    o.receivePort = 2;
    o.terminalBaud = 3;
    o.backlight = backlight;
    o.backlightOff = 3;
    o.ackDisplay = ackDisplay;
    o.ackTime = ackTime;
    set_cell(o.phoneNumber, "0301234");
    return o;
}

struct System {
    ApplicationOptions copy;
    SystemSettingsDialog logic{copy};
    MapDialog face;

    explicit System(const ApplicationOptions& start) : copy(start) {
        face.attach(logic);
        logic.init(face);
    }
};

TEST(SystemSettingsDialog, ListsShowTheCopysCodes) {
    System s(options(1, 2, 6));
    EXPECT_EQ(s.face.lists[IDC_SYSTEM_SEND_PORT],
              (std::vector<std::string>{"RS232-Kabel", "Cradle an RS232", "IrDA", "Tastatur"}));
    EXPECT_EQ(s.face.lists[IDC_SYSTEM_BAUD_RATE][4], "9600 bps");
    EXPECT_EQ(s.face.lists[IDC_SYSTEM_ACK_DISPLAY][1], "Zaehler zeigen");
    EXPECT_EQ(s.face.selection(IDC_SYSTEM_RECEIVE_PORT), 2);
    EXPECT_EQ(s.face.selection(IDC_SYSTEM_BAUD_RATE), 3);
    EXPECT_EQ(s.face.selection(IDC_SYSTEM_BACKLIGHT), 1);
    EXPECT_EQ(s.face.text(IDC_SYSTEM_PHONE), "0301234");
    EXPECT_FALSE(s.face.is_enabled(IDC_SYSTEM_PHONE));
    EXPECT_EQ(s.face.text(IDC_SYSTEM_BACKLIGHT_TIME), "3");
    EXPECT_EQ(s.face.text(IDC_SYSTEM_ACK_TIME), "6");
}

TEST(SystemSettingsDialog, EnablingOnOpeningFollowsTheSameRulesAsLater) {
    struct Case {
        u8 backlight, ackDisplay, ackTime;
        bool timeChoice;  // 301 checked (else 302)
        bool backlightTime, choices, ackTimeField;
    };
    const Case cases[] = {
        {0, 1, 6, true, false, true, true},    {1, 1, 6, true, true, true, true}, {1, 2, 0, false, true, true, false},
        {0, 0, 6, true, false, false, false},  // "keine Anzeige" with a time: nothing to choose
        {0, 0, 0, false, false, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << int(c.backlight) << " " << int(c.ackDisplay) << " " << int(c.ackTime));
        for (bool changed : {false, true}) {
            // Either opened with these values, or reached by changing the lists afterwards.
            System s(changed ? options(1 - c.backlight, c.ackDisplay == 0 ? 1 : 0, c.ackTime)
                             : options(c.backlight, c.ackDisplay, c.ackTime));
            if (changed) {
                s.face.choose(IDC_SYSTEM_BACKLIGHT, c.backlight);
                s.face.choose(IDC_SYSTEM_ACK_DISPLAY, c.ackDisplay);
            }
            EXPECT_EQ(s.face.checked(IDC_SYSTEM_TIME_CHOICE), c.timeChoice);
            EXPECT_EQ(s.face.checked(IDC_SYSTEM_KEY_CHOICE), !c.timeChoice);
            EXPECT_EQ(s.face.is_enabled(IDC_SYSTEM_BACKLIGHT_TIME), c.backlightTime);
            EXPECT_EQ(s.face.is_enabled(IDC_SYSTEM_TIME_CHOICE), c.choices);
            EXPECT_EQ(s.face.is_enabled(IDC_SYSTEM_KEY_CHOICE), c.choices);
            EXPECT_EQ(s.face.is_enabled(IDC_SYSTEM_ACK_TIME), c.ackTimeField);
        }
    }
}

TEST(SystemSettingsDialog, NumberFieldsStoreRefuseAndReplace) {
    struct Case {
        int id;
        const char* typed;
        u8 stored;
        const char* shown;
    };
    const Case cases[] = {
        {IDC_SYSTEM_BACKLIGHT_TIME, "0", 0, "0"},  {IDC_SYSTEM_BACKLIGHT_TIME, "9", 9, "9"},
        {IDC_SYSTEM_BACKLIGHT_TIME, "12", 3, "3"}, {IDC_SYSTEM_BACKLIGHT_TIME, "300", 3, "3"},
        {IDC_SYSTEM_BACKLIGHT_TIME, "x", 1, "1"},  {IDC_SYSTEM_BACKLIGHT_TIME, "", 1, ""},
        {IDC_SYSTEM_ACK_TIME, "99", 99, "99"},     {IDC_SYSTEM_ACK_TIME, "100", 6, "6"},
        {IDC_SYSTEM_ACK_TIME, "65536", 6, "6"},    {IDC_SYSTEM_ACK_TIME, "5b", 1, "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.id << " " << c.typed);
        System s(options(1, 1, 6));
        s.face.type(c.id, c.typed);
        EXPECT_EQ(c.id == IDC_SYSTEM_ACK_TIME ? s.copy.ackTime : s.copy.backlightOff, c.stored);
        EXPECT_EQ(s.face.text(c.id), c.shown);
    }
}

TEST(SystemSettingsDialog, KeyPressStoresZeroAndTheTimeChoiceStartsAtOne) {
    System s(options(0, 1, 6));
    s.face.click_check(IDC_SYSTEM_KEY_CHOICE, true);
    EXPECT_EQ(s.copy.ackTime, 0);
    EXPECT_EQ(s.face.text(IDC_SYSTEM_ACK_TIME), "0");
    EXPECT_FALSE(s.face.checked(IDC_SYSTEM_TIME_CHOICE));
    EXPECT_FALSE(s.face.is_enabled(IDC_SYSTEM_ACK_TIME));
    EXPECT_EQ(s.logic.command(s.face, kIdOk), DialogResult::CloseOk);

    System again(s.copy);  // reopened: the key-press choice
    EXPECT_TRUE(again.face.checked(IDC_SYSTEM_KEY_CHOICE));
    again.face.click_check(IDC_SYSTEM_TIME_CHOICE, true);
    EXPECT_EQ(again.copy.ackTime, 1);
    EXPECT_EQ(again.face.text(IDC_SYSTEM_ACK_TIME), "1");
    EXPECT_TRUE(again.face.is_enabled(IDC_SYSTEM_ACK_TIME));
    EXPECT_FALSE(again.face.checked(IDC_SYSTEM_KEY_CHOICE));
}

TEST(SystemSettingsDialog, CancelPutsBackTheCopyOkKeepsIt) {
    for (int button : {kIdOk, kIdCancel}) {
        SCOPED_TRACE(button);
        const ApplicationOptions start = options(1, 1, 6);
        System s(start);
        s.face.choose(IDC_SYSTEM_SEND_PORT, 3);
        s.face.choose(IDC_SYSTEM_DELETE, 1);
        s.face.type(IDC_SYSTEM_BACKLIGHT_TIME, "7");
        s.face.click_check(IDC_SYSTEM_KEY_CHOICE, true);
        s.logic.command(s.face, button);
        if (button == kIdCancel) {
            EXPECT_EQ(std::memcmp(&s.copy, &start, sizeof start), 0);
        } else {
            EXPECT_EQ(s.copy.sendPort, 3);
            EXPECT_EQ(s.copy.deleteAfterSend, 1);
            EXPECT_EQ(s.copy.backlightOff, 7);
            EXPECT_EQ(s.copy.ackTime, 0);
        }
    }
}

TEST(SystemSettingsDialog, CodesOutsideTheListsShowNoSelectionAndStayStored) {
    ApplicationOptions start = options(7, 9, 6);
    start.sendPort = 0xFF;
    System s(start);
    for (int id = IDC_SYSTEM_SEND_PORT; id <= IDC_SYSTEM_ACK_DISPLAY; ++id) s.face.notify(id);
    EXPECT_EQ(s.face.selection(IDC_SYSTEM_SEND_PORT), -1);
    EXPECT_EQ(s.face.selection(IDC_SYSTEM_BACKLIGHT), -1);
    EXPECT_EQ(s.copy.sendPort, 0xFF);
    EXPECT_EQ(s.copy.backlight, 7);
    EXPECT_EQ(s.copy.ackDisplay, 9);
    EXPECT_FALSE(s.face.is_enabled(IDC_SYSTEM_BACKLIGHT_TIME));
}

}  // namespace
}  // namespace kest::editor
