#include "editor/symbology_dialog.h"

#include <string>

#include "editor/edit_rules.h"

namespace kest::editor {

namespace {

using namespace symbology;

// A radio group whose radio i stands for the value i.
constexpr SymbologyRadios counted(int first, int count, int byte, int shift, int width, const char* title,
                                  std::array<const char*, 5> labels) {
    SymbologyRadios group{first, count, byte, shift, width, {}, -1, title, labels};
    for (int i = 0; i < count; ++i) group.values[static_cast<std::size_t>(i)] = static_cast<u8>(i);
    return group;
}

constexpr char kCheckDigitOut[] = "Pr\374fziffer \374bertragen";
constexpr char kCheckDigitCalc[] = "Pr\374fziffer berechnen";

constexpr SymbologyCheck kCode39Checks[] = {{101, 5, 7, "Start/Stop Zeichen \374bertragen"},
                                            {102, 5, 6, kCheckDigitCalc},
                                            {103, 5, 5, kCheckDigitOut},
                                            {104, 5, 4, "Code 39 Full ASCII"}};
constexpr SymbologyCheck kItalyChecks[] = {{101, 5, 3, kCheckDigitOut}};
constexpr SymbologyCheck kFrenchChecks[] = {{101, 5, 2, kCheckDigitOut}};
constexpr SymbologyCheck kIndustrialChecks[] = {{101, 6, 7, kCheckDigitCalc}, {102, 6, 6, kCheckDigitOut}};
constexpr SymbologyCheck kInterleaveChecks[] = {{101, 5, 1, kCheckDigitCalc}, {102, 5, 0, kCheckDigitOut}};
constexpr SymbologyCheck kMatrixChecks[] = {{101, 6, 5, kCheckDigitCalc}, {102, 6, 4, kCheckDigitOut}};
constexpr SymbologyCheck kPlesseyChecks[] = {{101, 9, 2, "UK Plessey Konvertierung"}, {102, 9, 3, kCheckDigitOut}};
constexpr SymbologyCheck kUpceChecks[] = {
    {101, 9, 1, "zu UPCA konvertieren"}, {102, 10, 1, "Systemnummer \374bertragen"}, {103, 10, 5, kCheckDigitOut}};
constexpr SymbologyCheck kEan8Checks[] = {{101, 11, 7, "zu EAN13 konvertieren"}, {102, 10, 3, kCheckDigitOut}};
constexpr SymbologyCheck kEan13Checks[] = {{101, 10, 7, "ISBN Konvertierung"},
                                           {102, 10, 6, "ISSN Konvertierung"},
                                           {103, 10, 2, kCheckDigitOut},
                                           {104, 10, 0, "UPCA Systemnummer \374bertragen"},
                                           {105, 10, 4, "UPCA Pr\374fziffer \374bertragen"},
                                           {106, 9, 0, "UPCA zu EAN 13 Konvertierung"}};

// Start/stop pattern of the 2/5 codes: 0 "Industrial 2/5", 1 "Interleave 2/5", 2 "Matrix 2/5".
constexpr std::array<const char*, 5> kPatterns = {"Industrial 2/5", "Interleave 2/5", "Matrix 2/5"};
constexpr SymbologyRadios kIndustrialPattern[] = {counted(301, 3, 6, 0, 2, "Start/Stop Auswahl", kPatterns)};
constexpr SymbologyRadios kInterleavePattern[] = {counted(301, 3, 6, 2, 2, "Start/Stop Auswahl", kPatterns)};
constexpr SymbologyRadios kMatrixPattern[] = {counted(301, 3, 7, 6, 2, "Start/Stop Auswahl", kPatterns)};
// "Kein" clears the start/stop bit and the format; the four formats set the bit (bit 3)
// under their code (bits 5-4). A format code without the bit shows "Kein".
constexpr std::array<const char*, 5> kCodabarFormats = {"Kein", "abcd / abcd", "abcd / tn*e", "ABCD / ABCD",
                                                        "ABCD / TN*E"};
constexpr SymbologyRadios kCodabarRadios[] = {
    {301, 5, 7, 3, 3, {0, 1, 3, 5, 7}, 0, "Start/Stop Zeichen", kCodabarFormats}};
constexpr SymbologyRadios kMsiRadios[] = {
    counted(301, 3, 9, 6, 2, kCheckDigitCalc, {"Single Modulo 10", "Double Modulo 10", "Modulo 11 & 10"}),
    counted(304, 3, 9, 4, 2, kCheckDigitOut,
            {"letzte Stelle nicht \374bertragen", "\374bertragen", "letzten zwei Stellen nicht \374bertragen"})};
// "Original Telepen  (Numeric)" sets the bit, "AIM Telepen  (Full ASCII)" clears it.
constexpr SymbologyRadios kTelepenRadios[] = {
    {301, 2, 2, 1, 1, {1, 0}, -1, "Telepen", {"Original Telepen  (Numeric)", "AIM Telepen  (Full ASCII)"}}};

constexpr SymbologyLengths kIndustrialLengths{304, 12};
constexpr SymbologyLengths kInterleaveLengths{304, 14};
constexpr SymbologyLengths kMatrixLengths{304, 16};
constexpr SymbologyLengths kMsiLengths{307, 18};

constexpr SymbologyDialogSpec kDialogs[] = {
    {201, "Code39Dlg", "Code 39 Parameter", kCode39Checks, {}, nullptr},
    {202, "ItalyPharmaDlg", "Italian Pharmacode Parameter", kItalyChecks, {}, nullptr},
    {203, "FrenchPharmaDlg", "French Pharmacode Parameter", kFrenchChecks, {}, nullptr},
    {204, "Industrial25Dlg", "Industrial 2/5 Parameter", kIndustrialChecks, kIndustrialPattern, &kIndustrialLengths},
    {205, "Interleave25Dlg", "Interleave 2/5 Parameter", kInterleaveChecks, kInterleavePattern, &kInterleaveLengths},
    {206, "Matrix25Dlg", "Matrix 2/5 Parameter", kMatrixChecks, kMatrixPattern, &kMatrixLengths},
    {207, "CodabarDlg", "Codabar Parameter", {}, kCodabarRadios, nullptr},
    {208, "MSIDlg", "MSI Parameter", {}, kMsiRadios, &kMsiLengths},
    {209, "PlesseyDlg", "Plessey Parameter", kPlesseyChecks, {}, nullptr},
    {213, "UPCEDlg", "UPCE Parameter", kUpceChecks, {}, nullptr},
    {216, "EAN8Dlg", "EAN 8 Parameter", kEan8Checks, {}, nullptr},
    {219, "EAN13Dlg", "EAN 13 und UPCA Parameter", kEan13Checks, {}, nullptr},
    {223, "TelepenDlg", "Telepen Parameter", {}, kTelepenRadios, nullptr},
};

constexpr bool groups_fit() {
    for (const auto& layout : kDialogs) {
        if (layout.radios.size() > kMaxGroups || layout.checks.size() > kMaxChecks) return false;
    }
    return true;
}
static_assert(groups_fit());

unsigned field_mask(const SymbologyRadios& g) { return (1u << g.width) - 1u; }

}  // namespace

std::span<const SymbologyDialogSpec> symbology_dialogs() { return kDialogs; }

const SymbologyDialogSpec* symbology_dialog_for_button(int button) {
    for (const auto& layout : kDialogs) {
        if (layout.button == button) return &layout;
    }
    return nullptr;
}

void SymbologyDialog::init(DialogAccess& dialog) {
    const u8* b = settings_.bytes;
    for (std::size_t i = 0; i < spec_.checks.size(); ++i) {
        const SymbologyCheck& check = spec_.checks[i];
        checked_[i] = (b[check.byte] >> check.bit) & 1;
        dialog.set_checked(check.id, checked_[i]);
    }
    for (std::size_t g = 0; g < spec_.radios.size(); ++g) {
        const SymbologyRadios& group = spec_.radios[g];
        groupValue_[g] = (b[group.byte] >> group.shift) & field_mask(group);
        show_group(dialog, g);
    }
    if (const SymbologyLengths* lengths = spec_.lengths) {
        const auto i = static_cast<std::size_t>(lengths->byte);
        fixedLengths_ = (b[i] & 0x80) == 0;
        length1_ = b[i] & 0x7F;
        length2_ = b[i + 1];
        show_length_mode(dialog);
        // Each edit's change notification reads the shown number back.
        dialog.set_text(IDC_SYMBOLOGY_LENGTH1, std::to_string(length1_));
        dialog.set_text(IDC_SYMBOLOGY_LENGTH2, std::to_string(length2_));
    }
}

void SymbologyDialog::show_group(DialogAccess& dialog, std::size_t g) const {
    const SymbologyRadios& group = spec_.radios[g];
    int shown = group.fallback;
    for (int i = 0; i < group.count; ++i) {
        if (group.values[static_cast<std::size_t>(i)] == groupValue_[g]) shown = i;
    }
    check_radio(dialog, group.first, group.count, shown);
}

void SymbologyDialog::show_length_mode(DialogAccess& dialog) const {
    check_radio(dialog, spec_.lengths->fixedRadio, 2, fixedLengths_ ? 0 : 1);
    dialog.set_text(IDC_SYMBOLOGY_LABEL1, fixedLengths_ ? kFixedLabel1 : kRangeLabel1);
    dialog.set_text(IDC_SYMBOLOGY_LABEL2, fixedLengths_ ? kFixedLabel2 : kRangeLabel2);
}

// Length 1: a number up to 127 is taken, a larger one (or an empty edit) makes 127; any
// other text is replaced by "127", whose own notification takes it.
void SymbologyDialog::length1_changed(DialogAccess& dialog) {
    const EditNumber number = parse_edit_number(dialog.text(IDC_SYMBOLOGY_LENGTH1));
    length1_ = kMaxLength;
    if (number.kind == EditNumber::Kind::NotANumber) dialog.set_text(IDC_SYMBOLOGY_LENGTH1, "127");
    if (number.kind == EditNumber::Kind::Number && number.value <= kMaxLength) length1_ = number.value;
}

// Length 2: any number is taken (OK bounds it by length 1); an empty edit makes 1; other
// text is replaced by "1".
void SymbologyDialog::length2_changed(DialogAccess& dialog) {
    const EditNumber number = parse_edit_number(dialog.text(IDC_SYMBOLOGY_LENGTH2));
    length2_ = 1;
    if (number.kind == EditNumber::Kind::NotANumber) dialog.set_text(IDC_SYMBOLOGY_LENGTH2, "1");
    if (number.kind == EditNumber::Kind::Number) length2_ = number.value;
}

DialogResult SymbologyDialog::command(DialogAccess& dialog, int id) {
    if (id == kIdCancel) return DialogResult::CloseCancel;
    if (id == kIdOk) {
        store();
        return DialogResult::CloseOk;
    }
    for (std::size_t i = 0; i < spec_.checks.size(); ++i) {
        if (spec_.checks[i].id != id) continue;
        checked_[i] = !checked_[i];
        dialog.set_checked(id, checked_[i]);
    }
    for (std::size_t g = 0; g < spec_.radios.size(); ++g) {
        const SymbologyRadios& group = spec_.radios[g];
        if (id < group.first || id >= group.first + group.count) continue;
        groupValue_[g] = group.values[static_cast<std::size_t>(id - group.first)];
        show_group(dialog, g);
    }
    if (const SymbologyLengths* lengths = spec_.lengths) {
        if (id == lengths->fixedRadio || id == lengths->fixedRadio + 1) {
            fixedLengths_ = id == lengths->fixedRadio;
            show_length_mode(dialog);
        }
        if (id == IDC_SYMBOLOGY_LENGTH1) length1_changed(dialog);
        if (id == IDC_SYMBOLOGY_LENGTH2) length2_changed(dialog);
    }
    return DialogResult::Stay;
}

void SymbologyDialog::store() {
    u8* b = settings_.bytes;
    for (std::size_t i = 0; i < spec_.checks.size(); ++i) {
        put_bit(b[spec_.checks[i].byte], spec_.checks[i].bit, checked_[i]);
    }
    for (std::size_t g = 0; g < spec_.radios.size(); ++g) {
        const SymbologyRadios& group = spec_.radios[g];
        const unsigned mask = field_mask(group) << group.shift;
        b[group.byte] = static_cast<u8>((b[group.byte] & ~mask) | ((groupValue_[g] << group.shift) & mask));
    }
    if (const SymbologyLengths* lengths = spec_.lengths) {
        const unsigned length1 = length1_ == 0 ? 1 : length1_;
        unsigned length2 = length2_ > length1 ? length1 : length2_;
        if (length2 == 0) length2 = 1;
        const auto i = static_cast<std::size_t>(lengths->byte);
        b[i] = static_cast<u8>((fixedLengths_ ? 0x00 : 0x80) | length1);
        b[i + 1] = static_cast<u8>(length2);
    }
}

}  // namespace kest::editor
