// What the simulated terminal keeps inside the menu and form records while it runs: the
// selection of each menu and the byte after it, the current line of each form, and what
// starting the program counts and clears (itemCount, entryLineCount, the prompts and
// lookup keys of lines without input). The engine reads these through the run state and
// writes them only here, never into the project. The program hands them over into its
// project where a file or an image must carry them (put_into); until it does, what the
// engine wrote shadows the project's bytes.
#pragma once

#include <array>
#include <optional>

#include "project/project.h"

namespace kest::sim {

class RunState {
public:
    explicit RunState(const Project& project) : project_(project) {}

    int item_count(int menu) const { return byte(itemCount_[menu], project_.menus[menu].itemCount); }
    int current_item(int menu) const { return byte(currentItem_[menu], project_.menus[menu].currentItem); }
    void set_current_item(int menu, int item) { currentItem_[menu] = static_cast<u8>(item); }
    // A menu entered afresh: its selection and the byte after it are 0.
    void enter_menu(int menu);

    int entry_line_count(int form) const { return byte(entryLineCount_[form], project_.forms[form].entryLineCount); }
    int current_line(int form) const { return byte(currentLine_[form], project_.forms[form].currentLine); }
    void set_current_line(int form, int line) { currentLine_[form] = static_cast<u8>(line); }
    // The prompt cell of a form line as the running program shows it.
    const char* prompt(int form, int line) const;

    // The program starts: itemCount of every menu, entryLineCount of every form, and the
    // prompts and lookup keys cleared by line type.
    void recount();

    // Writes what the engine wrote into project (the one it runs on, or a copy of it).
    void put_into(Project& project) const;
    // After put_into on the project the engine runs on: everything is read from it again.
    void forget();

private:
    template <std::size_t N>
    using Bytes = std::array<std::optional<u8>, N>;

    static int byte(const std::optional<u8>& written, u8 stored) { return written.value_or(stored); }

    const Project& project_;
    Bytes<kMenuCount> itemCount_, currentItem_, runtime_;
    Bytes<kFormCount> entryLineCount_, currentLine_;
    std::array<bool, kFormCount> cleared_{};  // prompts and lookup keys cleared by line type
};

}  // namespace kest::sim
