#include "editor/property_sheet.h"

namespace kest::editor {

const std::array<PageTemplate, kPageCount>& page_templates() {
    static const std::array<PageTemplate, kPageCount> kPages = {{
        {"FORMDLG", "Maske"},
        {"MENUDLG", "Benutzermen\xFC"},
        {"LOOKUPDLG", "Lookup"},
        {"BARCODESETTINGDLG", "Barcodeeinstellungen"},
        {"SETTINGSDLG", "Einstellungen"},
        {"STARTUPDLG", "Startup"},
    }};
    return kPages;
}

void SheetSession::page_shown(int index) {
    if (index < 0 || index >= kPageCount || shown_[index]) return;
    shown_[index] = true;
    if (pages_[index]) pages_[index]->load(project_);
}

namespace {

class NoSimulation final : public SheetHost {
public:
    void prepare_forms() override {}
    void restart_simulation() override {}
};

}  // namespace

void SheetSession::ok() {
    for (int i = 0; i < kPageCount; ++i) {
        if (shown_[i] && pages_[i]) pages_[i]->commit(project_, state_);
    }
    NoSimulation none;
    SheetHost& host = host_ ? *host_ : none;
    for (int i = 0; i < kPageCount; ++i) {
        if (shown_[i] && pages_[i]) pages_[i]->follow_up(project_, state_, host);
    }
}

}  // namespace kest::editor
