#include <gtest/gtest.h>

#include <memory>

#include "simulator_fixture.h"

namespace kest::sim::testing {
namespace {

using EngineTest = SimulatorTest;

TEST_F(EngineTest, StartScreenShowsMainMenuAndCyclesTheHighlight) {
    start();
    EXPECT_EQ(state(), kStateStart);
    EXPECT_TRUE(engine->display().largeFont);
    EXPECT_EQ(line(0), "1.Programm     ");
    EXPECT_EQ(line(4), "");
    EXPECT_EQ(engine->display().highlight, 1);

    const struct {
        int key;
        int highlight;
    } steps[] = {{kKeyDown, 2}, {kKeyDown, 3}, {kKeyDown, 1}, {kKeyUp, 3}, {kKeyUp, 2}, {kKeyUp, 1}};
    for (const auto& step : steps) {
        engine->take_repaint();
        engine->key(step.key);
        EXPECT_EQ(engine->display().highlight, step.highlight);
        const Repaint repaint = engine->take_repaint();
        EXPECT_TRUE(repaint.upperArea);
        EXPECT_FALSE(repaint.whole);
    }
}

TEST_F(EngineTest, EnterOnLineTwoShowsTheSendScreenAndEscReturns) {
    start();
    keys({kKeyDown, kKeyEnterRight});
    EXPECT_EQ(state(), kStateSend);
    EXPECT_EQ(engine->display().highlight, 0);
    EXPECT_TRUE(engine->display().largeFont);
    EXPECT_EQ(line(0), "Verbinden...   ");
    keys({1, kKeyEnterLeft, kKeyUp});
    EXPECT_EQ(state(), kStateSend);
    engine->key(kKeyEsc);
    EXPECT_EQ(state(), kStateStart);
    EXPECT_EQ(engine->display().highlight, 2);
}

TEST_F(EngineTest, UtilitiesAndSettingsMenus) {
    start();
    engine->key(3);
    EXPECT_EQ(state(), kStateUtilities);
    EXPECT_FALSE(engine->display().largeFont);
    EXPECT_EQ(engine->display().highlight, 1);
    EXPECT_EQ(line(0), "1. Einstellungen    ");
    EXPECT_NE(line(6), "");
    EXPECT_EQ(line(7), "");  // utilities length 7 without a lookup file
    engine->key(kKeyUp);
    EXPECT_EQ(engine->display().highlight, 7);
    engine->key(kKeyDown);
    EXPECT_EQ(engine->display().highlight, 1);
    engine->key(kKeyEnterLeft);  // Enter on line 1 acts as key 1
    EXPECT_EQ(state(), kStateSettings);
    EXPECT_EQ(engine->display().highlight, 2);
    EXPECT_EQ(line(0), "---EINSTELLUNGEN--- ");
    engine->key(kKeyUp);
    EXPECT_EQ(engine->display().highlight, 8);
    engine->key(kKeyDown);
    EXPECT_EQ(engine->display().highlight, 2);
    engine->key(kKeyEsc);
    EXPECT_EQ(state(), kStateUtilities);
    EXPECT_EQ(engine->display().highlight, 1);
    keys({kKeyDown, kKeyEnterLeft});  // Enter on line 2 does nothing
    EXPECT_EQ(state(), kStateUtilities);
    engine->key(kKeyEsc);
    EXPECT_EQ(state(), kStateStart);
    EXPECT_EQ(engine->display().highlight, 3);
}

TEST_F(EngineTest, UtilitiesLengthFollowsTheFirstLookupFile) {
    project->lookups[0].recordLength = 20;
    project->lookups[0].fieldCount = 2;
    start();
    prepare_forms();
    keys({kKeyRestart, 3, kKeyUp});
    EXPECT_EQ(engine->display().highlight, 8);
    EXPECT_NE(line(7), "");
    project->lookups[0].fieldCount = 0;
    prepare_forms();
    keys({kKeyRestart, 3, kKeyUp});
    EXPECT_EQ(engine->display().highlight, 7);
}

TEST_F(EngineTest, ProgramThatCannotStart) {
    start();
    EXPECT_EQ(engine->key(1), Outcome::kCannotStart);  // form 1 has no input field
    EXPECT_EQ(state(), kStateStart);
    project->options.startObject = 1;
    kest::set_cell(menu().items[0], "   ");  // blanks are no item
    EXPECT_EQ(engine->key(kKeyEnterLeft), Outcome::kCannotStart);
    kest::set_cell(menu().items[0], "  x");
    EXPECT_EQ(engine->key(kKeyEnterLeft), Outcome::kDone);
    EXPECT_EQ(state(), kStateMenu);
}

class MenuTest : public SimulatorTest {
protected:
    void SetUp() override {
        project->options.startObject = 1;
        menu().titleEnabled = 1;
        kest::set_cell(menu().title, "TITEL");
        for (int i = 0; i < 9; ++i) {
            kest::set_cell(menu().items[i], "Punkt " + std::to_string(i + 1));
            menu().itemTarget[i] = jump::menu(1 + i % 2);
        }
        menu().escTarget = jump::kStartScreen;
        for (int m = 1; m <= 2; ++m) {
            kest::set_cell(menu(m).items[0], "Untermenu " + std::to_string(m));
            menu(m).escTarget = jump::menu(0);
        }
        start();
        engine->key(1);
    }
};

TEST_F(MenuTest, TitledMenuShowsTitleAndSevenItems) {
    EXPECT_EQ(state(), kStateMenu);
    EXPECT_EQ(engine->current_object(), jump::menu(0));
    EXPECT_EQ(menu().itemCount, 9);
    EXPECT_EQ(line(0), "TITEL");
    EXPECT_EQ(line(1), "Punkt 1");
    EXPECT_EQ(line(7), "Punkt 7");
    EXPECT_EQ(engine->display().highlight, 2);
}

TEST_F(MenuTest, CursorDownStopsAtTheEighthItemWhichHasNoLine) {
    for (int i = 0; i < 12; ++i) engine->key(kKeyDown);
    EXPECT_EQ(menu().currentItem, 7);
    EXPECT_EQ(engine->display().highlight, 9);  // beyond the display: nothing highlighted
    engine->key(kKeyUp);
    EXPECT_EQ(engine->display().highlight, 8);
}

TEST_F(MenuTest, KeysEightAndNineSelectItemsBeyondTheDisplay) {
    engine->key(8);
    EXPECT_EQ(engine->current_object(), jump::menu(2));
    EXPECT_EQ(menu().currentItem, 7);
    engine->key(kKeyEsc);  // back without resetting the selection
    EXPECT_EQ(engine->current_object(), jump::menu(0));
    EXPECT_EQ(engine->display().highlight, 9);
    engine->key(9);
    EXPECT_EQ(engine->current_object(), jump::menu(1));
    EXPECT_EQ(menu().currentItem, 8);
    engine->key(kKeyEsc);
    engine->key(kKeyZero);  // no tenth item
    EXPECT_EQ(engine->current_object(), jump::menu(0));
    engine->key(kKeyEnterLeft);  // the selected ninth item
    EXPECT_EQ(engine->current_object(), jump::menu(1));
    engine->key(kKeyEsc);
    engine->key(kKeyEsc);
    EXPECT_EQ(state(), kStateStart);
    EXPECT_EQ(engine->display().highlight, 1);
}

TEST_F(MenuTest, EnteringAfreshResetsTheSelection) {
    keys({kKeyDown, kKeyDown, kKeyEsc, 1});
    EXPECT_EQ(menu().currentItem, 0);
    EXPECT_EQ(engine->display().highlight, 2);
}

// The engine never writes the project: what it keeps (here the selection) shadows the
// project's byte until it is handed over; after that a change to the project (the menu
// page's "Grundeinstellungen") is what the engine reads.
TEST_F(MenuTest, SelectionIsHandedOverAndThenReadFromTheProject) {
    keys({kKeyDown, kKeyDown});
    EXPECT_EQ(project->menus[0].currentItem, 0);
    EXPECT_EQ(engine->run_state().current_item(0), 2);
    const auto copy = std::make_unique<Project>(*project);
    engine->run_state().put_into(*copy);
    EXPECT_EQ(copy->menus[0].currentItem, 2);
    EXPECT_EQ(project->menus[0].currentItem, 0) << "put into a copy, the engine keeps its byte";
    EXPECT_EQ(engine->run_state().current_item(0), 2);

    engine->hand_over(*project);
    EXPECT_EQ(project->menus[0].currentItem, 2);
    EXPECT_EQ(project->menus[0].itemCount, 9);
    project->menus[0].currentItem = 0;
    engine->key(kKeyDown);
    EXPECT_EQ(engine->display().highlight, 3);  // title, then the second item
}

TEST_F(EngineTest, UntitledMenuShowsEightItems) {
    project->options.startObject = 1;
    for (int i = 0; i < 10; ++i) {
        kest::set_cell(menu().items[i], "Item " + std::to_string(i));
        menu().itemTarget[i] = static_cast<u8>(jump::menu(0));
    }
    start();
    engine->key(1);
    EXPECT_EQ(line(0), "Item 0");
    EXPECT_EQ(line(7), "Item 7");
    EXPECT_EQ(engine->display().highlight, 1);
    engine->key(kKeyZero);  // item 10, which enters menu 1 afresh
    EXPECT_EQ(menu().currentItem, 0);
}

TEST_F(EngineTest, FormStartsOnItsFirstInputLine) {
    set_line(0, 0, kFieldHeading, "KOPF");
    set_line(0, 1, kFieldText, "Name:", 10);
    start_form1();
    EXPECT_EQ(engine->current_object(), jump::form(0));
    EXPECT_EQ(form().currentLine, 1);
    EXPECT_EQ(form().entryLineCount, 2);
    EXPECT_EQ(engine->display().cursorRow, 1);
    EXPECT_EQ(cursor_column(), 5);
    EXPECT_EQ(line(0), "KOPF");
    EXPECT_EQ(line(1), "Name:");
    EXPECT_EQ(engine->display().highlight, 0);
}

TEST_F(EngineTest, MultiTapCyclesAndCommitsOnTheSeventhTick) {
    set_line(0, 0, kFieldText, "T:", 10);
    start_form1();
    engine->key(kKeyAlpha);
    EXPECT_TRUE(engine->display().alpha);
    const char expected[] = {'A', 'B', 'C', 'A'};
    for (char letter : expected) {
        engine->key(2);
        EXPECT_EQ(engine->display().pendingLetter, letter);
        EXPECT_EQ(line(0), "T:");
    }
    engine->key(2);
    engine->key(2);  // C again
    ticks(6);
    EXPECT_TRUE(engine->letter_pending());
    EXPECT_EQ(line(0), "T:");
    engine->tick();
    EXPECT_FALSE(engine->letter_pending());
    EXPECT_EQ(line(0), "T:C");
    EXPECT_EQ(cursor_column(), 3);
}

TEST_F(EngineTest, AnotherKeyCommitsThePendingLetterFirst) {
    set_line(0, 0, kFieldText, "", 10);
    start_form1();
    keys({kKeyAlpha, 2, 3});
    EXPECT_EQ(line(0), "A");
    EXPECT_EQ(engine->display().pendingLetter, 'D');
    keys({3, 7, 7, 7, 7});  // E, then P Q R S
    EXPECT_EQ(line(0), "AE");
    EXPECT_EQ(engine->display().pendingLetter, 'S');
    keys({7, kKeyDash, kKeyDash, kKeyZero, kKeyZero, kKeyDot, kKeyDot, 1, 1});
    ticks(7);
    EXPECT_EQ(line(0), "AEP$*# ");
}

TEST_F(EngineTest, AlphaOnlyTogglesInFormInput) {
    start();
    engine->key(kKeyAlpha);
    EXPECT_FALSE(engine->display().alpha);
    set_line(0, 0, kFieldText);
    engine->key(1);
    engine->take_repaint();
    engine->key(kKeyAlpha);
    EXPECT_TRUE(engine->display().alpha);
    EXPECT_TRUE(engine->take_repaint().indicator);
    keys({kKeyEsc});  // the start screen switches alpha mode off
    EXPECT_FALSE(engine->display().alpha);
}

TEST_F(EngineTest, CursorKeysBetweenFields) {
    set_line(0, 0, kFieldInteger, "A:", 5);
    set_line(0, 1, kFieldHeading, "----");
    set_line(0, 2, kFieldInteger, "B:", 5);
    start_form1();
    engine->key(kKeyUp);  // first field: nothing
    EXPECT_EQ(form().currentLine, 0);
    type("12");
    engine->key(kKeyDown);  // never acts in a form
    EXPECT_EQ(form().currentLine, 0);
    engine->key(kKeyEnterLeft);
    EXPECT_EQ(form().currentLine, 2);
    EXPECT_EQ(engine->display().cursorRow, 2);
    type("3");
    engine->key(kKeyUp);
    EXPECT_EQ(form().currentLine, 0);
    EXPECT_EQ(line(0), "A:12");
    EXPECT_EQ(line(2), "B:3");
    EXPECT_EQ(cursor_column(), 2);  // back at the input start
    type("4");                      // the first key replaces the earlier content
    EXPECT_EQ(line(0), "A:4");
}

TEST_F(EngineTest, LastFieldCountsTheRecordAndShowsTheStartScreen) {
    set_line(0, 0, kFieldInteger, "Nr:", 5);
    form().nextTarget = jump::kStartScreen;
    editor.recordCount = 11;
    start_form1();
    type("7");
    engine->key(kKeyEnterRight);
    EXPECT_EQ(editor.recordCount, 12);
    EXPECT_EQ(state(), kStateStart);
    EXPECT_EQ(engine->display().highlight, 1);
    EXPECT_EQ(engine->current_object(), 0);
    EXPECT_EQ(std::string(engine->display().clockLine).substr(15), "00012");
}

TEST_F(EngineTest, NextTargetStartsTheFormAgain) {
    set_line(0, 0, kFieldInteger, "Nr:", 5);
    set_line(0, 1, kFieldCounter, "Z:");
    start_form1();  // nextTarget is form 1 itself
    type("7");
    engine->key(kKeyEnterLeft);
    EXPECT_EQ(state(), kStateForm);
    EXPECT_EQ(line(0), "Nr:");
    EXPECT_EQ(line(1), "Z:00001");
}

TEST_F(EngineTest, MinLengthShowsMessageTwo) {
    set_line(0, 0, kFieldInteger, "Nr:", 5);
    form().minLength[0] = 3;
    start_form1();
    type("12");
    engine->key(kKeyEnterLeft);
    EXPECT_EQ(state(), kStateMessage);
    EXPECT_EQ(line(4), "********************");
    EXPECT_EQ(line(5), "Barcode zu kurz!    ");
    EXPECT_EQ(line(6), "Taste druecken...   ");  // the sixth error text says what the next key does
    EXPECT_EQ(line(7), "********************");
    engine->key(kKeyEnterLeft);  // any key restores the form
    EXPECT_EQ(state(), kStateForm);
    EXPECT_EQ(line(0), "Nr:12");
    EXPECT_EQ(editor.recordCount, 0);
    kest::set_cell(text_cell(*project, 23, 5), kCell20, "Weiter mit Taste");
    engine->key(kKeyEnterLeft);
    EXPECT_EQ(line(6), "Weiter mit Taste");
}

TEST_F(EngineTest, AnyNonzeroFontByteIsTheLargeFont) {
    for (const u8 font : {u8{0}, u8{1}, u8{2}, u8{0xFF}}) {
        SCOPED_TRACE(int(font));
        const bool large = font != 0;
        // Menu items count within 15 columns in the large font.
        project->options.startObject = 1;
        menu().font = font;
        kest::set_cell(menu().items[0], "eins");
        kest::set_cell(menu().items[1], std::string(15, ' ') + "X");
        // Continuation lines take their length over lines of 15 columns.
        set_line(1, 0, kFieldText, "", 40);
        set_line(1, 1, kFieldContinuation, "", 0);
        form(1).font = font;
        start();
        prepare_forms();
        engine->key(1);
        EXPECT_EQ(menu().itemCount, large ? 1 : 2);
        EXPECT_EQ(form(1).maxLength[1], large ? 25 : 20);
    }
}

TEST_F(EngineTest, EscLeavesTheFormForItsEscTarget) {
    set_line(0, 0, kFieldText);
    form().escTarget = jump::menu(3);
    kest::set_cell(menu(3).items[0], "eins");
    kest::set_cell(menu(3).items[1], "zwei");
    menu(3).currentItem = 1;
    start_form1();
    engine->key(kKeyEsc);
    EXPECT_EQ(engine->current_object(), jump::menu(3));
    EXPECT_EQ(engine->display().highlight, 2);  // the selection is kept
}

TEST_F(EngineTest, ContinuationLengthsWrapInTheirByte) {
    set_line(0, 0, kFieldText, "123456789012", 40);
    form().fillChar[0] = '_';
    form().autoEnter[0] = 0;
    set_line(0, 1, kFieldContinuation, "", 0);
    set_line(0, 2, kFieldContinuation, "", 0);
    form().minLength[2] = 7;  // reset by the preparation
    set_line(1, 0, kFieldInteger, "", 10);
    for (int line = 1; line <= 3; ++line) set_line(1, line, kFieldContinuation, "", 0);
    form(1).font = 1;
    set_line(2, 0, kFieldEmpty, "", 7);
    form(2).fillChar[0] = '*';
    start();
    prepare_forms();
    EXPECT_EQ(form().maxLength[1], 32);
    EXPECT_EQ(form().maxLength[2], 12);
    EXPECT_EQ(form().fillChar[2], '_');
    EXPECT_EQ(form().autoEnter[2], 0);
    EXPECT_EQ(form().minLength[2], 0);
    EXPECT_EQ(form().substringCount[2], 20);
    EXPECT_EQ(form(1).maxLength[1], static_cast<u8>(10 - 15));
    EXPECT_EQ(form(1).maxLength[2], static_cast<u8>(10 - 30));
    EXPECT_EQ(form(1).maxLength[3], static_cast<u8>(10 - 45));
    EXPECT_EQ(form(2).maxLength[0], 50);
    EXPECT_EQ(form(2).fillChar[0], 0);
    EXPECT_EQ(form(2).autoEnter[0], 1);
}

TEST_F(EngineTest, TimerClockLineBlinksAndShowsTheCounter) {
    editor.recordCount = 12;
    clock.set_local_time({2026, 3, 5, 8, 7, 0});
    start();
    ticks(1);  // tick 1
    EXPECT_STREQ(engine->display().clockLine, "MAR 05, 08:07  00012");
    EXPECT_TRUE(engine->take_repaint().clock);
    ticks(4);  // tick 5
    EXPECT_STREQ(engine->display().clockLine, "MAR 05, 08 07  00012");
    ticks(5);  // tick 0
    EXPECT_STREQ(engine->display().clockLine, "MAR 05, 08:07  00012");
    project->options.separateFilePerForm = 1;
    ticks(1);
    EXPECT_STREQ(engine->display().clockLine, "MAR 05, 08:07  ");
}

TEST_F(EngineTest, RestartShowsTheStartScreenFromAnywhere) {
    set_line(0, 0, kFieldText);
    start_form1();
    keys({kKeyAlpha, 2});
    engine->take_repaint();
    engine->key(kKeyRestart);
    EXPECT_EQ(state(), kStateStart);
    EXPECT_EQ(engine->display().highlight, 1);
    EXPECT_TRUE(engine->take_repaint().whole);
    EXPECT_FALSE(engine->letter_pending());
}

TEST(RepaintRects, FollowTheDisplayGeometry) {
    Rect rects[kMaxRepaintRects];
    Repaint repaint;
    repaint.lineMask = 0b1001;
    repaint.indicator = true;
    ASSERT_EQ(repaint_rects(repaint, rects), 3);
    EXPECT_EQ(rects[0].top, 35);
    EXPECT_EQ(rects[0].bottom, 50);
    EXPECT_EQ(rects[1].top, 65);
    EXPECT_EQ(rects[1].bottom, 80);
    EXPECT_EQ(rects[2].left, 154);
    repaint.whole = true;
    ASSERT_EQ(repaint_rects(repaint, rects), 2);
    EXPECT_EQ(rects[0].bottom, 120);
}

}  // namespace
}  // namespace kest::sim::testing
