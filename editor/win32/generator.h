// The generator program's state and commands: the project, the editor state, the
// simulation engine, the serial link of the run and the main window's command logic.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "editor/main_commands.h"
#include "editor/property_sheet.h"
#include "link/link.h"
#include "platform/user_interface.h"
#include "project/project.h"
#include "simulator/engine.h"
#include "simulator/win32/terminal_window.h"

namespace kest::win32 {

class Generator final : public editor::CommandHost, public editor::SheetHost {
public:
    explicit Generator(HINSTANCE instance);
    ~Generator() override;

    // WM_CREATE of the main window.
    void create(HWND mainWindow);
    void command(int id);
    bool close_request() {
        engine_->hand_over(*project_);
        return commands_->close_request();
    }
    // agkest.exe PROJECT.AGX: reads the named project at start-up.
    void open_from_command_line(const char* commandLine);

    // CommandHost
    bool open_file() override;
    bool save_file() override;
    bool save_file_as() override;
    void set_defaults() override;
    void run_sheet() override;

    // SheetHost: the follow-ups of the sheet's OK.
    void prepare_forms() override;
    void restart_simulation() override;

private:
    void com_settings();
    void download(bool cradle, bool lookup);
    void upload(bool cradle);
    void about();
    void help(bool finder);

    HINSTANCE instance_;
    HWND main_ = nullptr;
    HWND terminal_ = nullptr;
    std::unique_ptr<Project> project_;
    EditorState state_;
    std::unique_ptr<UserInterface> ui_;
    std::unique_ptr<sim::Engine> engine_;
    std::unique_ptr<SerialPort> port_;
    std::unique_ptr<Link> link_;
    std::unique_ptr<editor::MainCommands> commands_;
    TerminalContext terminalContext_{};
    std::string lookupFileName_;  // the lookup file dialog opens with the last choice
};

}  // namespace kest::win32
