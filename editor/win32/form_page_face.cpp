// The form page's face: the logic, and the field detail dialogs it opens.
#include "editor/form_page.h"
#include "editor/win32/form_detail_dialogs.h"
#include "editor/win32/sheet_pages.h"

namespace kest::win32 {
namespace {

class FormPageFace final : public PageFace {
public:
    editor::SheetPage* logic() override { return &logic_; }

private:
    void init_logic() override { logic_.init(*this); }
    void on_command(int id) override { logic_.command(*this, id); }

    Win32FormDetailDialogs dialogs_{*this};
    editor::FormPage logic_{dialogs_};
};

}  // namespace

std::unique_ptr<PageFace> make_form_page_face(const PageContext&) { return std::make_unique<FormPageFace>(); }

}  // namespace kest::win32
