#include "loader/win32/com_properties_dlg.h"

#include "loader/com_properties_dialog.h"
#include "platform/win32/dialog.h"

namespace kest::loader {
namespace {

class ComPropertiesFace final : public win32::Dialog {
public:
    explicit ComPropertiesFace(LoaderSettings& settings) : logic_(settings) {}

private:
    void on_init() override { logic_.init(*this); }
    void on_command(int id) override { follow(logic_.command(*this, id)); }

    ComPropertiesDialog logic_;
};

}  // namespace

bool choose_port(HINSTANCE, LoaderSettings& settings) {
    ComPropertiesFace dialog(settings);
    return dialog.run(GetFocus(), "ComPropertiesDlg") == IDOK;
}

}  // namespace kest::loader
