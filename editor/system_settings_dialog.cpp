#include "editor/system_settings_dialog.h"

#include <string>
#include <vector>

#include "editor/edit_rules.h"
#include "project/limits.h"
#include "project/names.h"

namespace kest::editor {
namespace {

constexpr u8 kPhoneSendPort = 4;  // a send port with a telephone number; not in the list
constexpr u8 kBacklightOn = 1;
constexpr u8 kNoAckDisplay = 0;

struct ListByte {
    int id;
    u8 ApplicationOptions::*field;
    std::vector<std::string> (*entries)();
};

template <const auto& List>
std::vector<std::string> entries_of() {
    return names::entries(List);
}

const ListByte kLists[] = {
    {IDC_SYSTEM_SEND_PORT, &ApplicationOptions::sendPort, &entries_of<names::kSendPorts>},
    {IDC_SYSTEM_RECEIVE_PORT, &ApplicationOptions::receivePort, &entries_of<names::kReceivePorts>},
    {IDC_SYSTEM_BAUD_RATE, &ApplicationOptions::terminalBaud, &names::terminal_rates},
    {IDC_SYSTEM_BACKLIGHT, &ApplicationOptions::backlight, &entries_of<names::kBacklight>},
    {IDC_SYSTEM_DELETE, &ApplicationOptions::deleteAfterSend, &entries_of<names::kDeleteAfterSend>},
    {IDC_SYSTEM_ACK_DISPLAY, &ApplicationOptions::ackDisplay, &entries_of<names::kAckDisplays>},
};

}  // namespace

void SystemSettingsDialog::init(DialogAccess& dialog) {
    backup_ = copy_;
    for (const ListByte& list : kLists) {
        const std::vector<std::string> entries = list.entries();
        dialog.set_list(list.id, entries);
        show_selection(dialog, list.id, copy_.*list.field, entries.size());
    }
    dialog.set_text(IDC_SYSTEM_PHONE, cell_text(copy_.phoneNumber));
    check_radio(dialog, IDC_SYSTEM_TIME_CHOICE, 2, copy_.ackTime == 0 ? 1 : 0);
    dialog.set_text(IDC_SYSTEM_BACKLIGHT_TIME, std::to_string(copy_.backlightOff));
    dialog.set_text(IDC_SYSTEM_ACK_TIME, std::to_string(copy_.ackTime));
    update_enabling(dialog);
}

DialogResult SystemSettingsDialog::command(DialogAccess& dialog, int id) {
    switch (id) {
    case kIdOk: return DialogResult::CloseOk;
    case kIdCancel: copy_ = backup_; return DialogResult::CloseCancel;
    case IDC_SYSTEM_PHONE:
        // Only reachable while a stored send port beyond the list enables the field.
        if (copy_.sendPort == kPhoneSendPort) {
            if (auto text = text_edit(dialog, id, sizeof copy_.phoneNumber - 1))
                copy_cell(copy_.phoneNumber, sizeof copy_.phoneNumber, text->c_str(), text->size());
        }
        return DialogResult::Stay;
    case IDC_SYSTEM_BACKLIGHT_TIME:
        number(dialog, id, kBacklightOffLimit, copy_.backlightOff);
        return DialogResult::Stay;
    case IDC_SYSTEM_ACK_TIME: number(dialog, id, kAckTimeLimit, copy_.ackTime); return DialogResult::Stay;
    case IDC_SYSTEM_TIME_CHOICE:
        check_radio(dialog, IDC_SYSTEM_TIME_CHOICE, 2, 0);
        // 0 means "wait for a key": the time choice starts from the shortest time instead.
        if (copy_.ackTime == 0) dialog.set_text(IDC_SYSTEM_ACK_TIME, "1");
        update_enabling(dialog);
        return DialogResult::Stay;
    case IDC_SYSTEM_KEY_CHOICE:
        check_radio(dialog, IDC_SYSTEM_TIME_CHOICE, 2, 1);
        copy_.ackTime = 0;
        dialog.set_text(IDC_SYSTEM_ACK_TIME, "0");
        update_enabling(dialog);
        return DialogResult::Stay;
    }
    for (const ListByte& list : kLists) {
        if (list.id != id) continue;
        store_selection(dialog, id, copy_.*list.field);
        update_enabling(dialog);
    }
    return DialogResult::Stay;
}

// Both number fields: empty or not a number stores 1 (a text that is not a number shows 1);
// a number above the limit keeps the stored value and shows it back.
void SystemSettingsDialog::number(DialogAccess& dialog, int id, unsigned limit, u8& stored) {
    if (dialog.text(id).empty()) {
        stored = 1;
        return;
    }
    if (auto value = number_edit(dialog, id, limit, stored, "1")) stored = static_cast<u8>(*value);
}

void SystemSettingsDialog::update_enabling(DialogAccess& dialog) {
    dialog.enable(IDC_SYSTEM_PHONE, copy_.sendPort == kPhoneSendPort);
    dialog.enable(IDC_SYSTEM_BACKLIGHT_TIME, copy_.backlight == kBacklightOn);
    const bool display = copy_.ackDisplay != kNoAckDisplay;
    dialog.enable(IDC_SYSTEM_TIME_CHOICE, display);
    dialog.enable(IDC_SYSTEM_KEY_CHOICE, display);
    dialog.enable(IDC_SYSTEM_ACK_TIME, display && dialog.checked(IDC_SYSTEM_TIME_CHOICE));
}

}  // namespace kest::editor
