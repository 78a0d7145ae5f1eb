#include "editor/win32/generator.h"

#include <shellapi.h>

#include <cstring>

#include "editor/com_setting_dialog.h"
#include "editor/help.h"
#include "editor/lookup_table_dialog.h"
#include "editor/win32/resource_ids.h"
#include "editor/win32/sheet_pages.h"
#include "session/download_session.h"
#include "session/upload_session.h"
#include "project/defaults.h"
#include "platform/file_steps.h"
#include "platform/win32/dialog.h"
#include "platform/win32/win32_ui.h"
#include "project/project_file.h"
#include "project/rules.h"

namespace kest::win32 {
namespace {

// "AboutBox": the program writes the build's version into its version line.
class AboutBox final : public Dialog {
    void on_init() override { set_text(IDC_ABOUT_VERSION, editor::about_version_line()); }
};

}  // namespace

Generator::Generator(HINSTANCE instance)
    : instance_(instance),
      project_(std::make_unique<Project>()),
      ui_(std::make_unique<Win32Ui>(instance)),
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

void Generator::set_defaults() {
    reset_to_defaults(*project_);
    restart_simulation();
}

void Generator::restart_simulation() {
    if (terminal_) restart_terminal(terminal_);
}

// Every command starts from the project as the simulated terminal left it: the pages, Save
// and the download see (and a save writes) the bytes the terminal keeps in its records.
void Generator::command(int id) {
    engine_->hand_over(*project_);
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
    PageFaces faces = make_page_faces({*project_, state_, *ui_});
    std::array<editor::SheetPage*, editor::kPageCount> pages{};
    for (int i = 0; i < editor::kPageCount; ++i) pages[i] = faces[i]->logic();
    editor::SheetSession session(*project_, state_, *this, pages);
    run_property_sheet(main_, instance_, session, faces);
}

void Generator::prepare_forms() { engine_->forms_prepared(); }

bool Generator::open_file() {
    bool read = open_project(*project_, state_, *ui_) == 1;
    restart_simulation();
    return read;
}

bool Generator::save_file() { return save_project(*project_, state_, *ui_, system_file_steps()) == 1; }
bool Generator::save_file_as() { return save_project_as(*project_, state_, *ui_, system_file_steps()) == 1; }

// agkest.exe PROJECT.AGX opens the project at once, so that a double-clicked project file
// comes up in the generator ready to be simulated or edited.
void Generator::open_from_command_line(const char* commandLine) {
    std::string path = editor::project_argument(commandLine ? commandLine : "");
    if (path.empty()) return;
    if (open_project_file(path, *project_, state_, *ui_, CannotOpen::Report) == 1) restart_simulation();
}

void Generator::com_settings() {
    editor::ComSettingDialog logic(project_->com);
    LogicDialog(logic).run(main_, "ComSettingDlg");
}
// The transfers run on this thread until they end.
void Generator::download(bool cradle, bool lookup) {
    DownloadOptions options;
    options.cradle = cradle;
    options.lookup = lookup;
    options.prepareLookup = [this](const std::string& path, std::span<const std::uint8_t> bytes, UserInterface& ui) {
        return editor::prepare_lookup_load(*project_, path, bytes, ui, [this](editor::LookupTableDialog& logic) {
            return LogicDialog(logic).run(main_, "LookupCsvDlg") == IDOK;
        });
    };
    const DownloadReport report = kest::download(*project_, *link_, *ui_, options, lookupFileName_);
    // The project keeps the menus and forms as the terminal got them, padded texts and all.
    if (report.imageBuilt) *project_ = normalised_menus_and_forms(*project_);
}

void Generator::upload(bool cradle) {
    UploadOptions options;
    options.cradle = cradle;
    upload_data(*project_, *link_, *ui_, system_file_steps(), options);
}

void Generator::about() {
    AboutBox box;
    box.run(main_, "AboutBox");
}

// The help file PG.HLP in the program's folder, at its contents or with its finder; without
// it (current Windows has no WinHelp) the HTML manual beside the program, in the browser.
void Generator::help(bool finder) {
    auto exists = [](const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; };
    const editor::HelpTarget target = editor::help_target(state_.programDir, exists);
    switch (target.source) {
    case editor::HelpSource::HelpFile:
        WinHelpA(main_, target.path.c_str(), finder ? HELP_FINDER : HELP_CONTENTS, 0);
        break;
    case editor::HelpSource::Manual:
        // ShellExecute reports failure as a value of 32 or less.
        if (reinterpret_cast<INT_PTR>(
                ShellExecuteA(main_, "open", target.path.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) <= 32)
            ui_->message(editor::kManualFailedText, kErrorCaption, Icon::Warning, Buttons::Ok);
        break;
    case editor::HelpSource::Missing:
        ui_->message(editor::kHelpMissingText, kErrorCaption, Icon::Warning, Buttons::Ok);
        break;
    }
}

}  // namespace kest::win32
