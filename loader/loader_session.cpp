#include "loader/loader_session.h"

#include <filesystem>
#include <fstream>

#include "common/bounded_read.h"
#include "common/output_file.h"
#include "link/cradle_setup.h"

namespace kest::loader {

namespace {

constexpr char kIniName[] = "tamplo.ini";

// The messages of the loader program.
namespace msg {
constexpr MessageText kFileUnreadable{"Can't open the file!", kCaption};
constexpr MessageText kSettingsTooLarge{
    "tamplo.ini is larger than 4096 bytes and was not read: the file dialog starts in the program folder.", kCaption};
constexpr MessageText kBadFile{"", kCaption};  // bad_file_message()
constexpr MessageText kPortFailed{"Can't open the COM port!", kCaption};
constexpr MessageText kCradleFailed{"Can't set IR device !!!", kCaption};
constexpr MessageText kLineFailed{"Failed to set communication state", kCaption};
constexpr MessageText kRetry{"Download failed, would you like to retry?", kCaption, Icon::Question, Buttons::YesNo};
constexpr MessageText kAnother{"Do you want to download another program?", kCaption, Icon::Question, Buttons::YesNo};
constexpr MessageText kDoneAnother{"Downloaded completely.\nDo you want to download another program?", kCaption,
                                   Icon::Question, Buttons::YesNo};
}  // namespace msg

bool ask(UserInterface& ui, const MessageText& question) { return show(ui, question) == Answer::Yes; }

std::string trim(const std::string& s) {
    const auto b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos) return {};
    return s.substr(b, s.find_last_not_of(" \t\r\n") - b + 1);
}

// A regular file that can be read; directories and devices are refused.
std::optional<std::ifstream> open_object(const std::string& path) {
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return in;
}

}  // namespace

LoaderCommandLine parse_command_line(const std::string& line) {
    LoaderCommandLine out;
    std::string text = trim(line);
    // A command line quoted whole (one argument with blanks) is read as if unquoted.
    if (text.size() >= 2 && text.front() == '"' && text.find('"', 1) == text.size() - 1)
        text = trim(text.substr(1, text.size() - 2));
    std::size_t comma;
    if (!text.empty() && text[0] == '"') {
        const std::size_t close = text.find('"', 1);
        out.file = text.substr(1, close == std::string::npos ? std::string::npos : close - 1);
        comma = close == std::string::npos ? close : text.find(',', close);
    } else {
        comma = text.find(',');
        out.file = trim(text.substr(0, comma));
    }
    if (comma == std::string::npos) return out;
    const std::size_t p = comma + 1, r = comma + 3;
    if (p < text.size() && text[p] >= '1' && text[p] <= '6') out.port = text[p] - '1';
    if (r < text.size() && text[r] >= '1' && text[r] <= '5') out.rate = text[r] - '1';
    return out;
}

std::string program_folder(const std::string& modulePath) {
    const std::size_t cut = modulePath.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : modulePath.substr(0, cut + 1);
}

std::string folder_of(const std::string& path) {
    const std::size_t cut = path.find_last_of("\\/");
    return cut == std::string::npos ? std::string() : path.substr(0, cut);
}

StartFolder start_folder(const std::string& iniPath, const std::string& programFolder) {
    // Only a regular file is read (a pipe would wait for a writer), and no more of it than
    // a folder path can take.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(iniPath, ec)) return {programFolder};
    std::vector<std::uint8_t> bytes;
    const BoundedRead read = read_bounded(iniPath, kSettingsLimit, bytes);
    if (read == BoundedRead::TooLarge) return {programFolder, true};
    const std::string content = trim(std::string(bytes.begin(), bytes.end()));
    return {content.empty() ? programFolder : content};
}

void remember_folder(const std::string& iniPath, const std::string& chosenPath, FileSteps& files) {
    const std::string folder = folder_of(chosenPath);
    write_output_file(iniPath, std::span(reinterpret_cast<const std::uint8_t*>(folder.data()), folder.size()),
                      OutputRules{.replace = true}, files);
}

int result_value(const SessionResult& r) {
    switch (r.end) {
    case SessionEnd::Done: return 1;
    case SessionEnd::FileUnreadable:
    case SessionEnd::PortFailed: return -1;
    default: return 0;
    }
}

namespace {

SessionResult run_session(Link& link, const std::string& portName, int rateIndex, bool cradle,
                          const std::string& objectPath, UserInterface& ui) {
    auto object = open_object(objectPath);
    if (!object) {
        show(ui, msg::kFileUnreadable);
        return {SessionEnd::FileUnreadable};
    }
    // A damaged file is refused before the port is touched.
    if (const SrecReport report = check_srec(*object); !report.ok()) {
        show(ui, msg::kBadFile, bad_file_message(*report.error));
        return {SessionEnd::AttemptFailed, FlashOutcome::BadFile};
    }
    object->clear();
    object->seekg(0);
    if (!link.open(portName, kInQueue, kDownloadOutQueue)) {
        show(ui, msg::kPortFailed);
        return {SessionEnd::PortFailed};
    }
    if (cradle && !cradle_setup(link, rateIndex, kLoaderCradle)) {
        show(ui, msg::kCradleFailed);
        link.close(false);
        return {SessionEnd::CradleFailed};
    }
    link.set_line(rateIndex);
    if (!link.apply()) {
        show(ui, msg::kLineFailed);
        link.close(false);
        return {SessionEnd::LineFailed};
    }
    SessionResult result{SessionEnd::AttemptFailed};
    for (;;) {
        ++result.attempts;
        result.record = {};
        result.last = flash_attempt(link, *object, ui, &result.record);
        if (result.last == FlashOutcome::Done) {
            result.end = SessionEnd::Done;
            break;
        }
        if (result.last == FlashOutcome::Stopped || result.last == FlashOutcome::StoppedBeforeErase) break;
        if (!ask(ui, msg::kRetry)) break;
        // The next attempt reads the file anew (it may have been mended meanwhile).
        object = open_object(objectPath);
        if (!object) {
            show(ui, msg::kFileUnreadable);
            result.end = SessionEnd::FileUnreadable;
            break;
        }
    }
    link.close(true);
    return result;
}

}  // namespace

SessionResult flash_session(Link& link, const std::string& portName, int rateIndex, bool cradle,
                            const std::string& objectPath, UserInterface& ui) {
    const std::uint32_t start = link.now();
    SessionResult result = run_session(link, portName, rateIndex, cradle, objectPath, ui);
    result.elapsedMs = link.now() - start;
    return result;
}

SessionResult run_loader(LoaderEnvironment& env, const std::string& commandLine) {
    LoaderSettings settings;
    const LoaderCommandLine cmd = parse_command_line(commandLine);
    if (!cmd.file.empty()) {
        settings.port = cmd.port.value_or(0);
        settings.rate = cmd.rate.value_or(0);
        return flash_session(env.link, port_name(settings.port), settings.rate, true, cmd.file, env.ui);
    }

    const std::string iniPath = env.programFolder + kIniName;
    SessionResult result{SessionEnd::Cancelled};
    for (;;) {
        FileDialogRequest request;
        request.filters = {{"Absolute object programs {*.SHX}", "*.SHX"}};
        request.defaultExtension = "SHX";
        const StartFolder start = start_folder(iniPath, env.programFolder);
        if (start.settingsTooLarge) show(env.ui, msg::kSettingsTooLarge);
        request.initialDir = start.folder;
        request.mustExist = true;
        request.hideReadOnly = true;
        const auto path = env.ui.choose_open_file(request);
        if (!path) return {SessionEnd::Cancelled, result.last};
        remember_folder(iniPath, *path, env.files);
        if (!open_object(*path)) {
            show(env.ui, msg::kFileUnreadable);
            return {SessionEnd::FileUnreadable, result.last};
        }
        if (!env.choosePort(settings)) return {SessionEnd::Cancelled, result.last};
        result = flash_session(env.link, port_name(settings.port), settings.rate, true, *path, env.ui);
        if (result.end != SessionEnd::Done && result.end != SessionEnd::AttemptFailed) return result;
        if (!ask(env.ui, result.end == SessionEnd::Done ? msg::kDoneAnother : msg::kAnother)) return result;
    }
}

}  // namespace kest::loader
