// The editor property sheet's protocol, independent of any window. Pages copy the tables
// they edit into working copies when first shown; OK commits every shown page in page
// order (form, menu, lookup, barcode, settings, startup); Cancel copies nothing. Pages
// never shown take part in neither.
#pragma once

#include <array>
#include <string>

#include "project/project.h"

namespace kest::editor {

inline constexpr int kPageCount = 6;

struct PageTemplate {
    const char* templateName;
    const char* caption;  // Windows-1252
};

// The six pages in sheet order.
const std::array<PageTemplate, kPageCount>& page_templates();

inline constexpr char kSheetCaption[] = "Programmgenerator DOZAZA";

// The logic of one page: its working copy and its commit.
class SheetPage {
public:
    virtual ~SheetPage() = default;
    // First display of the page: copy the edited tables into the working copy.
    virtual void load(const Project& project) = 0;
    // OK: copy the working copy back and run the page's follow-up.
    virtual void commit(Project& project, EditorState& state) = 0;
};

class SheetSession {
public:
    // pages[i] may be null for a page without logic of its own yet.
    SheetSession(Project& project, EditorState& state, std::array<SheetPage*, kPageCount> pages)
        : project_(project), state_(state), pages_(pages) {}

    // Called whenever a page becomes visible; the first time it loads its working copy.
    void page_shown(int index);
    bool was_shown(int index) const { return index >= 0 && index < kPageCount && shown_[index]; }
    void ok();
    void cancel() {}

private:
    Project& project_;
    EditorState& state_;
    std::array<SheetPage*, kPageCount> pages_;
    std::array<bool, kPageCount> shown_{};
};

}  // namespace kest::editor
