// User-interface service of the transfer and file commands: message boxes, file choice,
// progress, the upload's counter box and the viewer. Implemented by the Win32 programs,
// by the console tool, and by a scripted double in tests. Texts are Windows-1252.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kest {

enum class Icon { None, Warning, Question, Information };
enum class Buttons { Ok, YesNo, YesNoCancel, OkCancel };
enum class Answer { Ok, Cancel, Yes, No };

struct FileFilter {
    std::string description;  // "Application Generator Files (*.AGX)"
    std::string pattern;      // "*.AGX"
};

struct FileDialogRequest {
    std::vector<FileFilter> filters;  // the first one is selected
    std::string defaultExtension;     // without the point, may be empty
    std::string initialName;          // the name the dialog opens with
    std::string initialDir;
    bool mustExist = false;        // open: the file must exist
    bool overwritePrompt = false;  // save: ask before replacing
    bool pathMustExist = false;
    bool hideReadOnly = false;  // open: no read-only check box
};

class UserInterface {
public:
    virtual ~UserInterface() = default;
    virtual Answer message(const std::string& text, const std::string& caption, Icon icon, Buttons buttons) = 0;
    // The chosen path, or nothing when the user cancelled.
    virtual std::optional<std::string> choose_open_file(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> choose_save_file(const FileDialogRequest& request) = 0;
    // Progress window of a transfer: shown, set to 0-100, destroyed.
    virtual void progress_begin(const std::string& caption, const std::string& text) = 0;
    virtual void progress_set(int percent) = 0;
    virtual void progress_end() = 0;
    // What the bar stands for, for a progress line that shows it: done of total units
    // ("blocks", "bytes"). The progress window has no place for it.
    virtual void progress_amount(std::uint64_t done, std::uint64_t total, const char* unit) {
        (void)done, (void)total, (void)unit;
    }
    // A modeless note window without a bar ("Erasing flash memory..."), shown while the
    // program waits; by default the progress window stands in for it.
    virtual void status_begin(const std::string& caption, const std::string& text) { progress_begin(caption, text); }
    virtual void status_end() { progress_end(); }
    // The upload's counter box: mode 0 start, 1 show the count, 2 end.
    virtual void counter_box(int mode, int count) = 0;
    // Opens a received data file in the text viewer. False when it could not be started.
    virtual bool open_viewer(const std::string& path) = 0;
};

// One message box as a program shows it. Each protocol keeps its boxes in one table.
struct MessageText {
    const char* text;
    const char* caption;
    Icon icon = Icon::Warning;
    Buttons buttons = Buttons::Ok;
};

// Shows the box; a text given here stands in for the table's (a text with numbers in it).
inline Answer show(UserInterface& ui, const MessageText& box, const std::string& text = {}) {
    return ui.message(text.empty() ? box.text : text, box.caption, box.icon, box.buttons);
}

}  // namespace kest
