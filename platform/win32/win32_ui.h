// The Win32 face of the user-interface service, shared by agkest and tamplo: message
// boxes, the common file dialogs, the modeless progress and status windows (templates
// from the program's resources), the upload's counter box and the text viewer.
#pragma once

#include <windows.h>

#include "platform/user_interface.h"

namespace kest {

// Command line that opens a received data file in the text viewer (WinExec): the path in
// quotes, so that blanks in it cannot split it. Empty for a path that cannot be quoted.
std::string viewer_command_line(const std::string& path);

class Win32Ui final : public UserInterface {
public:
    explicit Win32Ui(HINSTANCE instance) : instance_(instance) {}
    ~Win32Ui() override;

    // Message boxes are owned by the active window; tamplo shows them without owner.
    bool ownedMessages = true;
    // Template of the status window (a caption and one line of text, no bar).
    const char* statusTemplate = "EraseDlg";

    Answer message(const std::string& text, const std::string& caption, Icon icon, Buttons buttons) override;
    std::optional<std::string> choose_open_file(const FileDialogRequest& request) override;
    std::optional<std::string> choose_save_file(const FileDialogRequest& request) override;
    void progress_begin(const std::string& caption, const std::string& text) override;
    void progress_set(int percent) override;
    void progress_end() override;
    void status_begin(const std::string& caption, const std::string& text) override;
    void status_end() override;
    void counter_box(int mode, int count) override;
    bool open_viewer(const std::string& path) override;

private:
    HWND show_dialog(const char* name, const std::string& caption, const std::string& text);

    HINSTANCE instance_;
    HWND progress_ = nullptr;
    HWND bar_ = nullptr;
    HWND status_ = nullptr;
    // The screen under the counter box while it is shown.
    RECT box_{};
    HDC saveDc_ = nullptr;
    HBITMAP saved_ = nullptr;
    HGDIOBJ savedOld_ = nullptr;
};

}  // namespace kest
