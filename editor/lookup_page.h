// The lookup page of the property sheet ("Lookup"): the layout of the three lookup files,
// fields of fixed length or divided by a separator character, edited on a working copy
// that the sheet's OK writes back (after laying out the separator-mode files).
#pragma once

#include <array>

#include "editor/lookup_page_ids.h"
#include "editor/property_sheet.h"
#include "platform/dialog_access.h"
#include "project/project.h"

namespace kest::editor {

namespace lookup_page {
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
