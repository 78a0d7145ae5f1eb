#include "editor/symbology_dialog.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

#include "editor/barcode_settings_page.h"
#include "project/defaults.h"
#include "tests/support/map_dialog.h"

namespace kest::editor {
namespace {

using namespace symbology;
using testing::MapDialog;
using Bytes = std::array<u8, 23>;

Bytes bytes_of(const BarcodeSettings& s) {
    Bytes b;
    std::memcpy(b.data(), s.bytes, b.size());
    return b;
}

BarcodeSettings settings_of(u8 fill) {
    BarcodeSettings s;
    std::memset(s.bytes, fill, sizeof s.bytes);
    return s;
}

BarcodeSettings reset_settings() {
    auto project = std::make_unique<Project>();
    barcode_defaults(*project);
    return project->barcode;
}

const SymbologyDialogSpec& layout_of(const char* name) {
    for (const auto& s : symbology_dialogs()) {
        if (std::string(s.templateName) == name) return s;
    }
    throw std::runtime_error(name);
}

// One modal run of a dialog: open it, let `act` work on it, close it with `button`.
struct Opened {
    MapDialog face;
    SymbologyDialog logic;
    Opened(const SymbologyDialogSpec& layout, BarcodeSettings& settings) : logic(layout, settings) {
        face.attach(logic);
        logic.init(face);
    }
    DialogResult close(int button) { return face.click(button); }
};

// Which bits the editor edits in each byte: everything else belongs to the terminal.
constexpr Bytes kEditedBits = {0xFF, 0xFF, 0xF6, 0x00, 0x00, 0xFF, 0xFF, 0xF8, 0x00, 0xFF, 0xFF, 0x9C,
                               0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xF0, 0xFF, 0x00};

void own(Bytes& owned, int byte, unsigned mask, const std::string& who) {
    const auto i = static_cast<std::size_t>(byte);
    EXPECT_EQ(owned[i] & mask, 0u) << who << " shares a bit of byte " << byte;
    owned[i] = static_cast<u8>(owned[i] | mask);
}

// Every edited bit has exactly one control: the page's boxes, lists and time-out, and the
// check boxes, radio groups and lengths of the dialogs.
TEST(SymbologyDialog, EveryEditedBitBelongsToExactlyOneControl) {
    Bytes owned{};
    for (const auto& box : barcode_enable_boxes())
        own(owned, box.byte, 1u << box.bit, "page box " + std::to_string(box.id));
    own(owned, 20, 0xF0, "scan mode");
    own(owned, 11, 0x0C, "decode security");
    own(owned, 21, 0xFF, "time-out");
    for (const auto& s : symbology_dialogs()) {
        for (const auto& c : s.checks) own(owned, c.byte, 1u << c.bit, std::string(s.templateName) + " box");
        for (const auto& g : s.radios) own(owned, g.byte, ((1u << g.width) - 1) << g.shift, s.templateName);
        if (s.lengths) {
            own(owned, s.lengths->byte, 0xFF, s.templateName);
            own(owned, s.lengths->byte + 1, 0xFF, s.templateName);
        }
    }
    EXPECT_EQ(owned, kEditedBits);
}

// Each check box turns its own bit over on OK, over bytes of all zeros and of all ones,
// and shows the stored state when the dialog is opened again.
TEST(SymbologyDialog, CheckBoxesStoreTheirBitAndShowItAgain) {
    for (const auto& s : symbology_dialogs()) {
        for (const auto& check : s.checks) {
            for (u8 fill : {u8{0x00}, u8{0xFF}}) {
                SCOPED_TRACE(std::string(s.templateName) + " box " + std::to_string(check.id) + " fill " +
                             std::to_string(fill));
                BarcodeSettings settings = settings_of(fill);
                Bytes expected = bytes_of(settings);
                expected[static_cast<std::size_t>(check.byte)] ^= static_cast<u8>(1u << check.bit);
                if (s.lengths) {  // the lengths are written as they were read, bounded
                    expected[static_cast<std::size_t>(s.lengths->byte) + 1] = fill ? 127 : 1;
                    if (!fill) expected[static_cast<std::size_t>(s.lengths->byte)] = 1;
                }
                Opened run(s, settings);
                EXPECT_EQ(run.face.checked(check.id), fill != 0);
                run.face.click(check.id);
                EXPECT_EQ(run.close(kIdOk), DialogResult::CloseOk);
                EXPECT_EQ(bytes_of(settings), expected);
                Opened again(s, settings);
                EXPECT_EQ(again.face.checked(check.id), fill == 0);
            }
        }
    }
}

// Each radio stores its value into its field only, and is the one checked on reopening.
TEST(SymbologyDialog, RadiosStoreTheirValueAndShowItAgain) {
    for (const auto& s : symbology_dialogs()) {
        for (const auto& g : s.radios) {
            for (int i = 0; i < g.count; ++i) {
                for (u8 fill : {u8{0x00}, u8{0xFF}}) {
                    const int id = g.first + i;
                    SCOPED_TRACE(std::string(s.templateName) + " radio " + std::to_string(id));
                    BarcodeSettings settings = settings_of(fill);
                    settings.bytes[12] = settings.bytes[14] = settings.bytes[16] = settings.bytes[18] = 0x85;
                    settings.bytes[13] = settings.bytes[15] = settings.bytes[17] = settings.bytes[19] = 2;
                    Bytes expected = bytes_of(settings);
                    const unsigned mask = ((1u << g.width) - 1) << g.shift;
                    auto& byte = expected[static_cast<std::size_t>(g.byte)];
                    byte = static_cast<u8>((byte & ~mask) | (g.values[static_cast<std::size_t>(i)] << g.shift));
                    Opened run(s, settings);
                    run.face.click(id);
                    run.close(kIdOk);
                    EXPECT_EQ(bytes_of(settings), expected);
                    Opened again(s, settings);
                    for (int k = 0; k < g.count; ++k) EXPECT_EQ(again.face.checked(g.first + k), k == i) << k;
                }
            }
        }
    }
}

// The length pair of every dialog that has one: mode radio, both edits, both labels.
TEST(SymbologyDialog, LengthsStoreModeAndBothLengthsAndShowThemAgain) {
    for (const auto& s : symbology_dialogs()) {
        if (!s.lengths) continue;
        for (bool fixed : {true, false}) {
            SCOPED_TRACE(std::string(s.templateName) + (fixed ? " fixed" : " range"));
            BarcodeSettings settings = reset_settings();
            Bytes expected = bytes_of(settings);
            const auto i = static_cast<std::size_t>(s.lengths->byte);
            expected[i] = static_cast<u8>((fixed ? 0x00 : 0x80) | 45);
            expected[i + 1] = 12;
            Opened run(s, settings);
            run.face.click(fixed ? s.lengths->fixedRadio : s.lengths->fixedRadio + 1);
            run.face.type(IDC_SYMBOLOGY_LENGTH1, "45");
            run.face.type(IDC_SYMBOLOGY_LENGTH2, "12");
            run.close(kIdOk);
            EXPECT_EQ(bytes_of(settings), expected);
            Opened again(s, settings);
            EXPECT_EQ(again.face.checked(s.lengths->fixedRadio), fixed);
            EXPECT_EQ(again.face.checked(s.lengths->fixedRadio + 1), !fixed);
            EXPECT_EQ(again.face.text(IDC_SYMBOLOGY_LENGTH1), "45");
            EXPECT_EQ(again.face.text(IDC_SYMBOLOGY_LENGTH2), "12");
            EXPECT_EQ(again.face.text(IDC_SYMBOLOGY_LABEL1), fixed ? kFixedLabel1 : kRangeLabel1);
            EXPECT_EQ(again.face.text(IDC_SYMBOLOGY_LABEL2), fixed ? kFixedLabel2 : kRangeLabel2);
        }
    }
}

TEST(SymbologyDialog, IndustrialShowsTheResetValues) {
    BarcodeSettings settings = reset_settings();
    Opened run(layout_of("Industrial25Dlg"), settings);
    for (int id : {301, 302, 303, 304, 305}) EXPECT_EQ(run.face.checked(id), id == 301 || id == 305) << id;
    EXPECT_EQ(run.face.text(IDC_SYMBOLOGY_LENGTH1), "127");
    EXPECT_EQ(run.face.text(IDC_SYMBOLOGY_LENGTH2), "1");
    EXPECT_EQ(run.face.text(IDC_SYMBOLOGY_LABEL1), "Max L\xE4nge :");
    EXPECT_EQ(run.face.text(IDC_SYMBOLOGY_LABEL2), "Min L\xE4nge :");
}

TEST(SymbologyDialog, LengthRules) {
    struct Case {
        const char* length1;
        const char* length2;
        u8 stored1, stored2;
        const char* shown1;
        const char* shown2;
    };
    const Case cases[] = {
        {"10", "20", 10, 10, "10", "20"},                            // a minimum above the maximum becomes the maximum
        {"200", "5", 127, 5, "200", "5"},                            // 128 and more is 127
        {"0", "0", 1, 1, "0", "0"},                                  // zero lengths become 1
        {"", "", 127, 1, "", ""},                                    // empty edits
        {"abc", "x1", 127, 1, "127", "1"},                           // other text is replaced
        {"99999999999", "70000", 127, 127, "99999999999", "70000"},  // no byte wraps
        {"127", "127", 127, 127, "127", "127"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.length1) + " / " + c.length2);
        BarcodeSettings settings = reset_settings();
        Opened run(layout_of("MSIDlg"), settings);
        run.face.type(IDC_SYMBOLOGY_LENGTH1, c.length1);
        run.face.type(IDC_SYMBOLOGY_LENGTH2, c.length2);
        EXPECT_EQ(run.face.text(IDC_SYMBOLOGY_LENGTH1), c.shown1);
        EXPECT_EQ(run.face.text(IDC_SYMBOLOGY_LENGTH2), c.shown2);
        run.close(kIdOk);
        EXPECT_EQ(settings.bytes[18], 0x80 | c.stored1);
        EXPECT_EQ(settings.bytes[19], c.stored2);
    }
}

TEST(SymbologyDialog, FixedLengthLabelsSwitchAtOnceAndAtOpening) {
    BarcodeSettings settings = reset_settings();
    Opened run(layout_of("Industrial25Dlg"), settings);
    run.face.click(304);
    EXPECT_EQ(run.face.text(IDC_SYMBOLOGY_LABEL1), "feste L\xE4nge 1:");
    EXPECT_EQ(run.face.text(IDC_SYMBOLOGY_LABEL2), "feste L\xE4nge 2:");
    run.face.click(305);
    EXPECT_EQ(run.face.text(IDC_SYMBOLOGY_LABEL1), "Max L\xE4nge :");
    run.face.click(304);
    run.close(kIdOk);
    EXPECT_EQ(settings.bytes[12], 127);  // mode bit clear, length kept
    Opened again(layout_of("Industrial25Dlg"), settings);
    EXPECT_EQ(again.face.text(IDC_SYMBOLOGY_LABEL1), "feste L\xE4nge 1:");
    EXPECT_EQ(again.face.text(IDC_SYMBOLOGY_LABEL2), "feste L\xE4nge 2:");
}

TEST(SymbologyDialog, CodabarNone) {
    BarcodeSettings settings = reset_settings();
    settings.bytes[7] = 0xBF;  // "ABCD / TN*E" transmitted, the neighbours set
    Opened run(layout_of("CodabarDlg"), settings);
    EXPECT_TRUE(run.face.checked(305));
    run.face.click(301);
    run.close(kIdOk);
    EXPECT_EQ(settings.bytes[7], 0x87);  // bits 5-3 cleared, the others kept
    Opened again(layout_of("CodabarDlg"), settings);
    for (int id = 301; id <= 305; ++id) EXPECT_EQ(again.face.checked(id), id == 301) << id;

    // A format without the transmit bit is "Kein" too, and stays as it is unless changed.
    settings.bytes[7] = 0x20;
    Opened kept(layout_of("CodabarDlg"), settings);
    EXPECT_TRUE(kept.face.checked(301));
    kept.close(kIdOk);
    EXPECT_EQ(settings.bytes[7], 0x20);
}

TEST(SymbologyDialog, CancelStoresNothing) {
    for (const auto& s : symbology_dialogs()) {
        SCOPED_TRACE(s.templateName);
        BarcodeSettings settings = reset_settings();
        const Bytes before = bytes_of(settings);
        Opened run(s, settings);
        for (const auto& c : s.checks) run.face.click(c.id);
        for (const auto& g : s.radios) run.face.click(g.first + g.count - 1);
        if (s.lengths) {
            run.face.click(s.lengths->fixedRadio);
            run.face.type(IDC_SYMBOLOGY_LENGTH1, "5");
        }
        EXPECT_EQ(run.close(kIdCancel), DialogResult::CloseCancel);
        EXPECT_EQ(bytes_of(settings), before);
    }
}

// A start/stop code no radio stands for (a damaged byte) checks none of them, neither a
// radio of the length group, and is written back as it was.
TEST(SymbologyDialog, UnknownStartStopCodeIsShownAsNoneAndKept) {
    BarcodeSettings settings = reset_settings();
    settings.bytes[6] = static_cast<u8>((settings.bytes[6] & ~0x03) | 0x03);
    const Bytes before = bytes_of(settings);
    Opened run(layout_of("Industrial25Dlg"), settings);
    for (int id : {301, 302, 303, 304}) EXPECT_FALSE(run.face.checked(id)) << id;
    EXPECT_TRUE(run.face.checked(305));
    run.close(kIdOk);
    EXPECT_EQ(bytes_of(settings), before);
}

}  // namespace
}  // namespace kest::editor
