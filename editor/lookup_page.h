// The lookup page of the property sheet ("Lookup"): the layout of the three lookup files,
// fields of fixed length or divided by a separator character, edited on a working copy
// that the sheet's OK writes back (after laying out the separator-mode files).
#pragma once

#include <array>

#include "editor/dialog_access.h"
#include "editor/property_sheet.h"
#include "project/project.h"

namespace kest::editor {

namespace lookup_page {
inline constexpr int kLoadable = 101;        // "Lookupdatei kann geladen werden"
inline constexpr int kDefaults = 201;        // "Grundeinstellungen"
inline constexpr int kFirstKey = 301;        // 301-308 "Schlüsselfeld" of fields #1-#8
inline constexpr int kFixedMode = 311;       // "feste Länge"
inline constexpr int kSeparatorMode = 312;   // "Trennzeichen"
inline constexpr int kLengthLabel = 401;     // "   Länge" or "Max Länge"
inline constexpr int kFirstStart = 501;      // 501-508 "ab Position"
inline constexpr int kRecordLength = 509;    // "Feldlänge :"
inline constexpr int kFirstLength = 511;     // 511-518 lengths
inline constexpr int kSeparator = 519;       // the separator's decimal code "(ASCII)"
inline constexpr int kFieldCount = 601;      // "Anzahl Felder :"
inline constexpr int kNotFound = 602;        // "Aktion, falls Datensatz nicht gefunden wurde :"
inline constexpr int kLookupFile = 690;      // "Name :"
inline constexpr int kFields = 8;
inline constexpr unsigned kNumberLimit = 250;
inline constexpr char kFixedLengthLabel[] = "   L\xE4nge";
inline constexpr char kMaxLengthLabel[] = "Max L\xE4nge";
}  // namespace lookup_page

// Lays out a lookup file whose fields are divided by a separator: field 1 starts at 1,
// each further field one after the end of the one before (the separator between them),
// and the record is as long as its fields and separators. A file without fields has
// length 0; lengths and start positions that do not fit a byte stop at 255. A field
// count above 8 counts as 8. Files of fixed-length fields are left as they are.
void lay_out_separated_fields(LookupRecord& lookup);

class LookupPage final : public SheetPage {
public:
    void load(const Project& project) override;
    void commit(Project& project, EditorState& state) override;

    void init(DialogAccess& dialog);
    DialogResult command(DialogAccess& dialog, int id);

    const std::array<LookupRecord, kLookupCount>& working_copy() const { return lookups_; }

private:
    LookupRecord& current() { return lookups_[static_cast<std::size_t>(current_)]; }
    void show(DialogAccess& dialog);
    void enable_rows(DialogAccess& dialog);
    void show_mode(DialogAccess& dialog);
    void choose_separator_mode(DialogAccess& dialog);
    void separator_changed(DialogAccess& dialog);
    void number_changed(DialogAccess& dialog, int id, u8& byte);

    std::array<LookupRecord, kLookupCount> lookups_{};
    int current_ = 0;
    bool separatorMode_ = false;
};

}  // namespace kest::editor
