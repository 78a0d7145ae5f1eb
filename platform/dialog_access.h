// What the logic of a page or dialog may do with its controls, addressed by control id.
// The Win32 face implements it over the dialog's window (combo box, button and edit
// messages); tests implement it with maps. Page logic never sees a window handle.
#pragma once

#include <string>
#include <vector>

namespace kest {

// Control ids shared by every dialog: OK and Cancel.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

class DialogAccess {
public:
    virtual ~DialogAccess() = default;
    // Drop-down lists: replace the entries, select one (-1 selects none), read the selection
    // (-1 when none).
    virtual void set_list(int id, const std::vector<std::string>& entries) = 0;
    virtual void select(int id, int index) = 0;
    virtual int selection(int id) const = 0;
    // Edit fields and statics.
    virtual void set_text(int id, const std::string& text) = 0;
    virtual std::string text(int id) const = 0;
    // Check boxes and radio buttons.
    virtual void set_checked(int id, bool checked) = 0;
    virtual bool checked(int id) const = 0;
    virtual void enable(int id, bool enabled) = 0;
};

// What the face does after a command has been handled.
enum class DialogResult { Stay, CloseOk, CloseCancel };

}  // namespace kest
