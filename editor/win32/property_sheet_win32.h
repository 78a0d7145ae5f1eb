// The modal editor property sheet "Programmgenerator DOZAZA" and the Win32 face of its
// pages. A page's face is a PropertyPage on the shared dialog layer tied to the sheet's
// session: its creation loads the page's working copy (SheetSession::page_shown) and
// then fills its controls (the logic's init); every forwarded notification goes to the
// logic's command; the sheet's OK is noted and committed through the session once the
// sheet has closed.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <utility>

#include "editor/property_sheet.h"
#include "platform/win32/dialog.h"

namespace kest::win32 {

class PageFace : public PropertyPage {
public:
    // The page's logic (working copy, commit, follow-up); null for a page without one.
    virtual editor::SheetPage* logic() = 0;
    // Ties the face to the sheet it is shown on (before the sheet is shown).
    void join(editor::SheetSession& session, int index, bool& okPressed) {
        session_ = &session;
        index_ = index;
        ok_ = &okPressed;
    }

protected:
    // The logic's init(*this), after the working copy was loaded.
    virtual void init_logic() {}

private:
    void on_init() final {
        session_->page_shown(index_);
        init_logic();
    }
    void on_activate() final { session_->page_shown(index_); }
    void on_apply() final { *ok_ = true; }

    editor::SheetSession* session_ = nullptr;
    int index_ = 0;
    bool* ok_ = nullptr;
};

// The face of a page whose logic needs nothing from Windows: it forwards init and every
// notification. `Logic` is an editor::SheetPage with init(DialogAccess&) and
// command(DialogAccess&, int).
template <class Logic>
class LogicFace final : public PageFace {
public:
    template <class... Args>
    explicit LogicFace(Args&&... args) : logic_(std::forward<Args>(args)...) {}
    editor::SheetPage* logic() override { return &logic_; }

private:
    void init_logic() override { logic_.init(*this); }
    void on_command(int id) override { logic_.command(*this, id); }
    Logic logic_;
};

// A page whose logic is not built yet: its template is shown, nothing is committed.
class EmptyPageFace final : public PageFace {
public:
    editor::SheetPage* logic() override { return nullptr; }
};

using PageFaces = std::array<std::unique_ptr<PageFace>, editor::kPageCount>;

// Shows the sheet owned by the main window (which, with the terminal window, is disabled
// while it is open) with the pages' templates in sheet order; on OK commits the session.
// True when closed with OK.
bool run_property_sheet(HWND owner, HINSTANCE instance, editor::SheetSession& session, PageFaces& faces);

}  // namespace kest::win32
