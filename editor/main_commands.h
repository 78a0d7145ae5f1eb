// The main window's commands (new, open, save, save as, edit, close) and the save prompt,
// independent of any window: the program supplies the file operations and the property
// sheet through CommandHost, the questions go through the UserInterface.
#pragma once

#include <string>

#include "platform/user_interface.h"
#include "project/project.h"

namespace kest::editor {

inline constexpr char kSavePromptText[] = "Programm speichern ?";
inline constexpr char kSavePromptCaption[] = "Velmor's KEST Application Generator";

// The project named on the program's command line (`agkest.exe PROJECT.AGX`, the path
// quoted when it holds blanks), or an empty string.
std::string project_argument(const std::string& commandLine);

class CommandHost {
public:
    virtual ~CommandHost() = default;
    // The project file operations; true when a project was read or written.
    virtual bool open_file() = 0;
    virtual bool save_file() = 0;  // asks for a name first when the project has none
    virtual bool save_file_as() = 0;
    // Barcode defaults, then project defaults.
    virtual void set_defaults() = 0;
    // Runs the modal property sheet until it is closed with OK or Cancel.
    virtual void run_sheet() = 0;
};

class MainCommands {
public:
    MainCommands(Project& project, EditorState& state, UserInterface& ui, CommandHost& host)
        : project_(project), state_(state), ui_(ui), host_(host) {}

    // Asks "Programm speichern ?" when the project is modified. False when the command
    // must stop: Cancel, or Yes followed by a save that did not happen (the Save As
    // dialog cancelled or the file not written), so that no change is thrown away.
    bool save_prompt();

    void new_project();
    void open_project();
    void save();
    void save_as();
    // Opens the property sheet; any byte of the project changed while it was open
    // (committed pages or the dialogs that write directly) marks the project modified.
    void edit();
    // True when the program may end.
    bool close_request();

private:
    void reset_project();

    Project& project_;
    EditorState& state_;
    UserInterface& ui_;
    CommandHost& host_;
};

}  // namespace kest::editor
