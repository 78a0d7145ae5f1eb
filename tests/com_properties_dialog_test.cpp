#include "loader/com_properties_dialog.h"

#include <gtest/gtest.h>

#include "tests/support/map_dialog.h"

namespace kest::loader {
namespace {

using testing::MapDialog;

TEST(ComPropertiesDialog, ListsEightPortsAndFiveRatesAtTheCurrentChoice) {
    LoaderSettings settings{7, 2};
    ComPropertiesDialog dlg(settings);
    MapDialog face;
    dlg.init(face);
    EXPECT_EQ(face.lists[IDC_LOADER_PORT],
              (std::vector<std::string>{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7", "COM8"}));
    EXPECT_EQ(face.lists[IDC_LOADER_RATE], (std::vector<std::string>{"115200", "57600", "38400", "19200", "9600"}));
    EXPECT_EQ(face.selection(IDC_LOADER_PORT), 7);
    EXPECT_EQ(face.selection(IDC_LOADER_RATE), 2);
}

TEST(ComPropertiesDialog, OkStoresBothChoicesCancelAndOtherIdsChangeNothing) {
    struct Case {
        int id;
        DialogResult result;
        LoaderSettings after;
    };
    const Case cases[] = {
        {kIdOk, DialogResult::CloseOk, {6, 4}},
        {kIdCancel, DialogResult::CloseCancel, {1, 0}},
        {IDC_LOADER_PORT, DialogResult::Stay, {1, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        LoaderSettings settings{1, 0};
        ComPropertiesDialog dlg(settings);
        MapDialog face;
        dlg.init(face);
        face.select(IDC_LOADER_PORT, 6);
        face.select(IDC_LOADER_RATE, 4);
        EXPECT_EQ(dlg.command(face, c.id), c.result);
        EXPECT_EQ(settings.port, c.after.port);
        EXPECT_EQ(settings.rate, c.after.rate);
    }
}

TEST(ComPropertiesDialog, ListWithoutSelectionKeepsTheEarlierChoice) {
    LoaderSettings settings{3, 9};  // a rate index out of the list
    ComPropertiesDialog dlg(settings);
    MapDialog face;
    dlg.init(face);
    EXPECT_EQ(face.selection(IDC_LOADER_RATE), -1);
    EXPECT_EQ(dlg.command(face, kIdOk), DialogResult::CloseOk);
    EXPECT_EQ(settings.port, 3);
    EXPECT_EQ(settings.rate, 9);
}

}  // namespace
}  // namespace kest::loader
