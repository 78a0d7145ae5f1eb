#include "editor/system_settings_dialog.h"

#include <iterator>
#include <string>

#include "editor/edit_rules.h"
#include "project/names.h"

namespace kest::editor {
namespace {

constexpr u8 kPhoneSendPort = 4;  // a send port with a telephone number; not in the list
constexpr u8 kBacklightOn = 1;
constexpr u8 kNoAckDisplay = 0;
constexpr unsigned kBacklightTimeLimit = 9;
constexpr unsigned kAckTimeLimit = 99;

struct ListByte {
    int id;
    u8 ApplicationOptions::*field;
    const char* const* names;
    std::size_t count;
};

template <std::size_t N>
constexpr ListByte list_byte(int id, u8 ApplicationOptions::*field, const char* const (&list)[N]) {
    return {id, field, list, N};
}

const ListByte kLists[] = {
    list_byte(kSystemSendPort, &ApplicationOptions::sendPort, names::kSendPorts),
    list_byte(kSystemReceivePort, &ApplicationOptions::receivePort, names::kReceivePorts),
    list_byte(kSystemBaudRate, &ApplicationOptions::terminalBaud, names::kTerminalRates),
    list_byte(kSystemBacklight, &ApplicationOptions::backlight, names::kBacklight),
    list_byte(kSystemDeleteAfterSend, &ApplicationOptions::deleteAfterSend, names::kDeleteAfterSend),
    list_byte(kSystemAckDisplay, &ApplicationOptions::ackDisplay, names::kAckDisplays),
};

}  // namespace

void SystemSettingsDialog::init(DialogAccess& dialog) {
    backup_ = copy_;
    for (const ListByte& list : kLists) {
        dialog.set_list(list.id, std::vector<std::string>(list.names, list.names + list.count));
        show_selection(dialog, list.id, copy_.*list.field, list.count);
    }
    dialog.set_text(kSystemPhone, cell_text(copy_.phoneNumber));
    check_radio(dialog, kSystemTimeChoice, 2, copy_.ackTime == 0 ? 1 : 0);
    dialog.set_text(kSystemBacklightTime, std::to_string(copy_.backlightOff));
    dialog.set_text(kSystemAckTime, std::to_string(copy_.ackTime));
    update_enabling(dialog);
}

DialogResult SystemSettingsDialog::command(DialogAccess& dialog, int id) {
    switch (id) {
    case kIdOk: return DialogResult::CloseOk;
    case kIdCancel: copy_ = backup_; return DialogResult::CloseCancel;
    case kSystemPhone:
        // Only reachable while a stored send port beyond the list enables the field.
        if (copy_.sendPort == kPhoneSendPort) {
            if (auto text = text_edit(dialog, id, sizeof copy_.phoneNumber - 1))
                copy_cell(copy_.phoneNumber, sizeof copy_.phoneNumber, text->c_str(), text->size());
        }
        return DialogResult::Stay;
    case kSystemBacklightTime: number(dialog, id, kBacklightTimeLimit, copy_.backlightOff); return DialogResult::Stay;
    case kSystemAckTime: number(dialog, id, kAckTimeLimit, copy_.ackTime); return DialogResult::Stay;
    case kSystemTimeChoice:
        check_radio(dialog, kSystemTimeChoice, 2, 0);
        // 0 means "wait for a key": the time choice starts from the shortest time instead.
        if (copy_.ackTime == 0) dialog.set_text(kSystemAckTime, "1");
        update_enabling(dialog);
        return DialogResult::Stay;
    case kSystemKeyChoice:
        check_radio(dialog, kSystemTimeChoice, 2, 1);
        copy_.ackTime = 0;
        dialog.set_text(kSystemAckTime, "0");
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
    dialog.enable(kSystemPhone, copy_.sendPort == kPhoneSendPort);
    dialog.enable(kSystemBacklightTime, copy_.backlight == kBacklightOn);
    const bool display = copy_.ackDisplay != kNoAckDisplay;
    dialog.enable(kSystemTimeChoice, display);
    dialog.enable(kSystemKeyChoice, display);
    dialog.enable(kSystemAckTime, display && dialog.checked(kSystemTimeChoice));
}

}  // namespace kest::editor
