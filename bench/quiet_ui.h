// The user interface of a benchmark's transfer: every question answered No, nothing shown,
// the last message kept for the report of a failure.
#pragma once

#include <optional>
#include <string>

#include "platform/user_interface.h"

namespace kest::bench {

class QuietUi final : public UserInterface {
public:
    Answer message(const std::string& text, const std::string&, Icon, Buttons buttons) override {
        last = text;
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    }
    std::optional<std::string> choose_open_file(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<std::string> choose_save_file(const FileDialogRequest&) override { return std::nullopt; }
    void progress_begin(const std::string&, const std::string&) override {}
    void progress_set(int) override {}
    void progress_end() override {}
    void counter_box(int, int) override {}
    bool open_viewer(const std::string&) override { return false; }
    std::string last;
};

}  // namespace kest::bench
