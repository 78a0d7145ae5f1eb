#include "editor/win32/generator.h"

#include <cstring>

#include "editor/property_sheet.h"
#include "editor/win32/dialog.h"
#include "editor/win32/property_sheet_win32.h"
#include "editor/win32/resource_ids.h"
#include "project/defaults.h"

namespace kest::win32 {
namespace {

// Message boxes owned by the active window.
class MessageBoxUi final : public UserInterface {
public:
    Answer message(const std::string& text, const std::string& caption, Icon icon, Buttons buttons) override {
        UINT type = 0;
        switch (buttons) {
        case Buttons::Ok: type = MB_OK; break;
        case Buttons::YesNo: type = MB_YESNO; break;
        case Buttons::YesNoCancel: type = MB_YESNOCANCEL; break;
        case Buttons::OkCancel: type = MB_OKCANCEL; break;
        }
        switch (icon) {
        case Icon::Warning: type |= MB_ICONWARNING; break;
        case Icon::Question: type |= MB_ICONQUESTION; break;
        case Icon::Information: type |= MB_ICONINFORMATION; break;
        case Icon::None: break;
        }
        switch (MessageBoxA(GetActiveWindow(), text.c_str(), caption.c_str(), type)) {
        case IDYES: return Answer::Yes;
        case IDNO: return Answer::No;
        case IDCANCEL: return Answer::Cancel;
        default: return Answer::Ok;
        }
    }
    std::optional<std::string> choose_open_file(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> choose_save_file(const FileDialogRequest&) override { return std::nullopt; }
    void progress_begin(const std::string&, const std::string&) override {}
    void progress_set(int) override {}
    void progress_end() override {}
    void counter_box(int, int) override {}
    bool open_viewer(const std::string&) override { return false; }
};

class AboutBox final : public Dialog {};

}  // namespace

Generator::Generator(HINSTANCE instance)
    : instance_(instance),
      project_(std::make_unique<Project>()),
      ui_(std::make_unique<MessageBoxUi>()),
      engine_(std::make_unique<sim::Engine>(*project_, state_, system_clock())),
      port_(make_serial_port()),
      link_(std::make_unique<Link>(*port_, system_clock())),
      commands_(std::make_unique<editor::MainCommands>(*project_, state_, *ui_, *this)) {}

Generator::~Generator() = default;

void Generator::create(HWND mainWindow) {
    main_ = mainWindow;
    set_defaults();
    terminalContext_ = {engine_.get(), main_, IDM_NEW};
    terminal_ = create_terminal_window(main_, IDC_TERMINAL, &terminalContext_);
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir = path;
    state_.programDir = dir.substr(0, dir.find_last_of('\\') + 1);
}

void Generator::set_defaults() { reset_to_defaults(*project_); }

void Generator::restart_simulation() {
    if (terminal_) restart_terminal(terminal_);
}

void Generator::command(int id) {
    switch (id) {
    case IDM_NEW: commands_->new_project(); break;
    case IDM_OPEN: commands_->open_project(); break;
    case IDM_SAVE: commands_->save(); break;
    case IDM_SAVE_AS: commands_->save_as(); break;
    case IDM_EDIT: commands_->edit(); break;
    case IDM_COM_SETTINGS: com_settings(); break;
    case IDM_DOWNLOAD_DIRECT: download(false, false); break;
    case IDM_DOWNLOAD_CRADLE: download(true, false); break;
    case IDM_LOOKUP_DIRECT: download(false, true); break;
    case IDM_LOOKUP_CRADLE: download(true, true); break;
    case IDM_UPLOAD_DIRECT: upload(false); break;
    case IDM_UPLOAD_CRADLE: upload(true); break;
    case IDM_ABOUT: about(); break;
    case IDM_EXIT: SendMessageA(main_, WM_CLOSE, 0, 0); break;
    case IDM_HELP_CONTENTS: help(false); break;
    case IDM_HELP_FINDER: help(true); break;
    }
}

void Generator::run_sheet() {
    std::array<editor::SheetPage*, editor::kPageCount> pages{};
    editor::SheetSession session(*project_, state_, pages);
    bool ok = run_property_sheet(main_, instance_, session);
    if (ok && session.was_shown(0)) {
        // The form page's follow-up: normalised forms, a modified project, a fresh simulation.
        normalise_forms(*project_);
        state_.modified = true;
        engine_->prepare_forms();
        restart_simulation();
    }
}

bool Generator::open_file() { return false; }
bool Generator::save_file() { return false; }
bool Generator::save_file_as() { return false; }
void Generator::open_from_command_line(const char*) {}
void Generator::com_settings() {}
void Generator::download(bool, bool) {}
void Generator::upload(bool) {}

void Generator::about() {
    AboutBox box;
    box.run(main_, "AboutBox");
}

// The help file PG.HLP in the program's folder, at its contents or with its finder.
void Generator::help(bool finder) {
    std::string file = state_.programDir + "PG.HLP";
    WinHelpA(main_, file.c_str(), finder ? HELP_FINDER : HELP_CONTENTS, 0);
}

}  // namespace kest::win32
