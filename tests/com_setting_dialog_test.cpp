#include "editor/com_setting_dialog.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/map_dialog.h"

namespace kest::editor {
namespace {

using testing::MapDialog;

TEST(ComSettingDialog, ListsShowSixPortsAndFiveRatesAtTheProjectsSelection) {
    ComSelection sel{3, 1};
    ComSettingDialog dlg(sel);
    MapDialog face;
    dlg.init(face);
    EXPECT_EQ(face.lists[IDC_COM_PORT], (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6"}));
    EXPECT_EQ(face.lists[IDC_BAUDRATE], (std::vector<std::string>{"115200", "57600", "38400", "19200", "9600"}));
    EXPECT_EQ(face.selection(IDC_COM_PORT), 3);
    EXPECT_EQ(face.selection(IDC_BAUDRATE), 1);
}

TEST(ComSettingDialog, OkStoresBothIndicesCancelChangesNothing) {
    struct Case {
        int button;
        DialogResult result;
        ComSelection after;
    };
    const Case cases[] = {
        {kIdOk, DialogResult::CloseOk, {5, 4}},
        {kIdCancel, DialogResult::CloseCancel, {0, 2}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.button);
        Project project{};
        project.com = {0, 2};
        const Project before = project;
        ComSettingDialog dlg(project.com);
        MapDialog face;
        dlg.init(face);
        face.select(IDC_COM_PORT, 5);
        face.select(IDC_BAUDRATE, 4);
        EXPECT_EQ(dlg.command(face, c.button), c.result);
        EXPECT_EQ(project.com.portIndex, c.after.portIndex);
        EXPECT_EQ(project.com.rateIndex, c.after.rateIndex);
        // Nothing but ComSelection is touched.
        Project rest = project;
        rest.com = before.com;
        EXPECT_EQ(std::memcmp(&rest, &before, sizeof(Project)), 0);
    }
}

TEST(ComSettingDialog, OtherCommandsKeepTheDialogOpen) {
    ComSelection sel{1, 1};
    ComSettingDialog dlg(sel);
    MapDialog face;
    dlg.init(face);
    face.select(IDC_COM_PORT, 2);
    EXPECT_EQ(dlg.command(face, IDC_COM_PORT), DialogResult::Stay);
    EXPECT_EQ(sel.portIndex, 1);
}

TEST(ComSettingDialog, IndexOutOfRangeShowsNoSelectionAndIsNotReplacedByIt) {
    ComSelection sel{9, 200};  // from a damaged project file
    ComSettingDialog dlg(sel);
    MapDialog face;
    dlg.init(face);
    EXPECT_EQ(face.selection(IDC_COM_PORT), -1);
    EXPECT_EQ(face.selection(IDC_BAUDRATE), -1);
    face.select(IDC_BAUDRATE, 3);  // the user picks only a rate
    EXPECT_EQ(dlg.command(face, kIdOk), DialogResult::CloseOk);
    EXPECT_EQ(sel.portIndex, 9);
    EXPECT_EQ(sel.rateIndex, 3);
}

}  // namespace
}  // namespace kest::editor
