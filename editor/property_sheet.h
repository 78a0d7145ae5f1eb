// The editor property sheet's protocol, independent of any window. Pages copy the tables
// they edit into working copies when first shown; OK commits every shown page in page
// order (form, menu, lookup, barcode, settings, startup) and then runs the follow-ups of
// the shown pages in the same order, so that a follow-up sees the tables of every page
// of the same OK; Cancel copies nothing. Pages never shown take part in neither.
#pragma once

#include <array>
#include <string>

#include "platform/dialog_access.h"
#include "project/project.h"

namespace kest::editor {

inline constexpr int kPageCount = 6;

// Page indices in sheet order.
namespace page {
inline constexpr int kForm = 0;
inline constexpr int kMenu = 1;
inline constexpr int kLookup = 2;
inline constexpr int kBarcode = 3;
inline constexpr int kSettings = 4;
inline constexpr int kStartup = 5;
}  // namespace page

struct PageTemplate {
    const char* templateName;
    const char* caption;  // Windows-1252
};

// The six pages in sheet order.
const std::array<PageTemplate, kPageCount>& page_templates();

inline constexpr char kSheetCaption[] = "Programmgenerator DOZAZA";

// What the follow-ups of a committed sheet need from the program: the simulation.
class SheetHost {
public:
    virtual ~SheetHost() = default;
    // The project holds the forms prepared for the simulation (continuation lines, line
    // resets): the simulation takes its part (the utilities length).
    virtual void prepare_forms() = 0;
    // Hands the restart code 51 to the simulation: the start screen, fully redrawn.
    virtual void restart_simulation() = 0;
};

// The logic of one page: its working copy, its commit and its follow-up. Its controls
// are handled by `init(DialogAccess&)` and `DialogResult command(DialogAccess&, int id)`
// of the same class (called by the page's face, see editor/win32/sheet_pages.cpp).
class SheetPage {
public:
    virtual ~SheetPage() = default;
    // First display of the page: copy the edited tables into the working copy.
    virtual void load(const Project& project) = 0;
    // OK: copy the working copy back (only the bytes this page owns).
    virtual void commit(Project& project, EditorState& state) = 0;
    // After every shown page has committed.
    virtual void follow_up(Project&, EditorState&, SheetHost&) {}
};

class SheetSession {
public:
    // pages[i] may be null for a page without logic of its own yet.
    SheetSession(Project& project, EditorState& state, SheetHost& host, std::array<SheetPage*, kPageCount> pages)
        : project_(project), state_(state), host_(&host), pages_(pages) {}
    // A session whose follow-ups have no simulation to tell.
    SheetSession(Project& project, EditorState& state, std::array<SheetPage*, kPageCount> pages)
        : project_(project), state_(state), pages_(pages) {}

    // Called whenever a page becomes visible; the first time it loads its working copy.
    void page_shown(int index);
    bool was_shown(int index) const { return index >= 0 && index < kPageCount && shown_[index]; }
    // The sheet's OK: the commits in page order, then the follow-ups in page order.
    void ok();
    void cancel() {}

private:
    Project& project_;
    EditorState& state_;
    SheetHost* host_ = nullptr;
    std::array<SheetPage*, kPageCount> pages_;
    std::array<bool, kPageCount> shown_{};
};

}  // namespace kest::editor
