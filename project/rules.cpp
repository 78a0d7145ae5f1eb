#include "project/rules.h"

#include <cstring>

namespace kest {
namespace {

// Text padded with spaces to width characters and cut there.
void pad_cell(char* cell, std::size_t width) {
    const std::size_t n = cell_length(cell, width);
    std::memset(cell + n, ' ', width - n);
    cell[width] = '\0';
}

void count_menu(MenuRecord& menu) { menu.itemCount = static_cast<u8>(count_menu_items(menu)); }

void count_form(FormRecord& form) {
    for (int line = 0; line < kFormLines; ++line) clear_line_by_type(form, line);
    form.entryLineCount = static_cast<u8>(count_entry_lines(form));
}

}  // namespace

int count_menu_items(const MenuRecord& menu) {
    const auto width = static_cast<std::size_t>(line_width(menu.font));
    int present = 0;
    for (const auto& item : menu.items) {
        for (std::size_t i = 0; i < width && item[i] != '\0'; ++i) {
            if (static_cast<unsigned char>(item[i]) > 0x20) {
                ++present;
                break;
            }
        }
    }
    return present;
}

int count_entry_lines(const FormRecord& form) {
    int entryLines = 0;
    for (int line = 0; line < kFormLines; ++line)
        if (is_input_line(form.lineType[line])) entryLines = line + 1;
    return entryLines;
}

void clear_line_by_type(FormRecord& form, int line) {
    const u8 type = form.lineType[line];
    if (type == kFieldEmpty || type == kFieldContinuation) form.prompt[line][0] = '\0';
    if (type == kFieldEmpty || type >= kFieldFixedData) form.lineLookupKey[line] = 0;
}

Project normalised_forms(const Project& project) {
    Project normalised = project;
    for (auto& form : normalised.forms) {
        for (int line = line_count(form.font); line < kFormLines; ++line) form.lineType[line] = kFieldEmpty;
        for (int line = 0; line < kFormLines; ++line) {
            if (form.maxLength[line] > kMaxFieldLength) form.maxLength[line] = kMaxFieldLength;
            if (form.minLength[line] > form.maxLength[line]) form.minLength[line] = form.maxLength[line];
            clear_line_by_type(form, line);
        }
    }
    return normalised;
}

Project normalised_menus_and_forms(const Project& project) {
    Project normalised = normalised_forms(project);
    for (int k = 0; k < kMenuCount; ++k) {
        MenuRecord& menu = normalised.menus[k];
        const auto width = static_cast<std::size_t>(line_width(menu.font));
        if (menu.titleEnabled != 0) pad_cell(menu.title, width);
        count_menu(menu);
        for (auto& item : menu.items) pad_cell(item, width);
        count_form(normalised.forms[k]);
    }
    return normalised;
}

Project recounted_menus_and_forms(const Project& project) {
    Project recounted = project;
    for (auto& menu : recounted.menus) count_menu(menu);
    for (auto& form : recounted.forms) count_form(form);
    return recounted;
}

}  // namespace kest
