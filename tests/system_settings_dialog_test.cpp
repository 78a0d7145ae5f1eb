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
    EXPECT_EQ(s.face.lists[kSystemSendPort],
              (std::vector<std::string>{"RS232-Kabel", "Cradle an RS232", "IrDA", "Tastatur"}));
    EXPECT_EQ(s.face.lists[kSystemBaudRate][4], "9600 bps");
    EXPECT_EQ(s.face.lists[kSystemAckDisplay][1], "Zaehler zeigen");
    EXPECT_EQ(s.face.selection(kSystemReceivePort), 2);
    EXPECT_EQ(s.face.selection(kSystemBaudRate), 3);
    EXPECT_EQ(s.face.selection(kSystemBacklight), 1);
    EXPECT_EQ(s.face.text(kSystemPhone), "0301234");
    EXPECT_FALSE(s.face.is_enabled(kSystemPhone));
    EXPECT_EQ(s.face.text(kSystemBacklightTime), "3");
    EXPECT_EQ(s.face.text(kSystemAckTime), "6");
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
                s.face.choose(kSystemBacklight, c.backlight);
                s.face.choose(kSystemAckDisplay, c.ackDisplay);
            }
            EXPECT_EQ(s.face.checked(kSystemTimeChoice), c.timeChoice);
            EXPECT_EQ(s.face.checked(kSystemKeyChoice), !c.timeChoice);
            EXPECT_EQ(s.face.is_enabled(kSystemBacklightTime), c.backlightTime);
            EXPECT_EQ(s.face.is_enabled(kSystemTimeChoice), c.choices);
            EXPECT_EQ(s.face.is_enabled(kSystemKeyChoice), c.choices);
            EXPECT_EQ(s.face.is_enabled(kSystemAckTime), c.ackTimeField);
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
        {kSystemBacklightTime, "0", 0, "0"},  {kSystemBacklightTime, "9", 9, "9"},
        {kSystemBacklightTime, "12", 3, "3"}, {kSystemBacklightTime, "300", 3, "3"},
        {kSystemBacklightTime, "x", 1, "1"},  {kSystemBacklightTime, "", 1, ""},
        {kSystemAckTime, "99", 99, "99"},     {kSystemAckTime, "100", 6, "6"},
        {kSystemAckTime, "65536", 6, "6"},    {kSystemAckTime, "5b", 1, "1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.id << " " << c.typed);
        System s(options(1, 1, 6));
        s.face.type(c.id, c.typed);
        EXPECT_EQ(c.id == kSystemAckTime ? s.copy.ackTime : s.copy.backlightOff, c.stored);
        EXPECT_EQ(s.face.text(c.id), c.shown);
    }
}

TEST(SystemSettingsDialog, KeyPressStoresZeroAndTheTimeChoiceStartsAtOne) {
    System s(options(0, 1, 6));
    s.face.click_check(kSystemKeyChoice, true);
    EXPECT_EQ(s.copy.ackTime, 0);
    EXPECT_EQ(s.face.text(kSystemAckTime), "0");
    EXPECT_FALSE(s.face.checked(kSystemTimeChoice));
    EXPECT_FALSE(s.face.is_enabled(kSystemAckTime));
    EXPECT_EQ(s.logic.command(s.face, kIdOk), DialogResult::CloseOk);

    System again(s.copy);  // reopened: the key-press choice
    EXPECT_TRUE(again.face.checked(kSystemKeyChoice));
    again.face.click_check(kSystemTimeChoice, true);
    EXPECT_EQ(again.copy.ackTime, 1);
    EXPECT_EQ(again.face.text(kSystemAckTime), "1");
    EXPECT_TRUE(again.face.is_enabled(kSystemAckTime));
    EXPECT_FALSE(again.face.checked(kSystemKeyChoice));
}

TEST(SystemSettingsDialog, CancelPutsBackTheCopyOkKeepsIt) {
    for (int button : {kIdOk, kIdCancel}) {
        SCOPED_TRACE(button);
        const ApplicationOptions start = options(1, 1, 6);
        System s(start);
        s.face.choose(kSystemSendPort, 3);
        s.face.choose(kSystemDeleteAfterSend, 1);
        s.face.type(kSystemBacklightTime, "7");
        s.face.click_check(kSystemKeyChoice, true);
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
    for (int id = kSystemSendPort; id <= kSystemAckDisplay; ++id) s.face.notify(id);
    EXPECT_EQ(s.face.selection(kSystemSendPort), -1);
    EXPECT_EQ(s.face.selection(kSystemBacklight), -1);
    EXPECT_EQ(s.copy.sendPort, 0xFF);
    EXPECT_EQ(s.copy.backlight, 7);
    EXPECT_EQ(s.copy.ackDisplay, 9);
    EXPECT_FALSE(s.face.is_enabled(kSystemBacklightTime));
}

}  // namespace
}  // namespace kest::editor
