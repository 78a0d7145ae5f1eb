// The loader program's sequence: object file, port and rate, cradle, flash attempts with
// the retry question, and the question for another download. The program supplies the
// port dialog; everything else goes through the link and the user interface.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/output_file.h"
#include "link/link.h"
#include "loader/flash_protocol.h"
#include "platform/user_interface.h"

namespace kest::loader {

struct LoaderSettings {
    int port = 0;  // 0-7
    int rate = 0;  // index into kRates
};

// "FILE[,P?R]": the file name before the first comma (a quoted name may hold commas);
// P, right after the comma, is a port digit 1-6; R, two places after P, a rate digit 1-5.
// Digits out of range are ignored.
struct LoaderCommandLine {
    std::string file;  // empty: interactive
    std::optional<int> port;
    std::optional<int> rate;
};
LoaderCommandLine parse_command_line(const std::string& line);

// The program's folder: its path up to and including the last backslash.
std::string program_folder(const std::string& modulePath);
// The folder of a chosen file, without a trailing backslash.
std::string folder_of(const std::string& path);
// The settings file holds one folder path; one larger than this is not read.
inline constexpr std::size_t kSettingsLimit = 4096;
struct StartFolder {
    std::string folder;
    bool settingsTooLarge = false;  // the settings file was over kSettingsLimit: not used
};
// The start folder of the file dialog: the settings file's content, else the program folder.
StartFolder start_folder(const std::string& iniPath, const std::string& programFolder);
// Writes the folder of the chosen file into the settings file; a failure is not reported.
void remember_folder(const std::string& iniPath, const std::string& chosenPath, FileSteps& files);

enum class SessionEnd {
    Done,            // the last attempt succeeded
    Cancelled,       // file or port dialog cancelled
    FileUnreadable,  // "Can't open the file!"
    PortFailed,      // "Can't open the COM port!"
    CradleFailed,    // "Can't set IR device !!!"
    LineFailed,      // "Failed to set communication state"
    AttemptFailed,   // the last attempt failed and no retry was wanted
};

struct SessionResult {
    SessionEnd end = SessionEnd::Cancelled;
    FlashOutcome last = FlashOutcome::Done;  // of the last attempt
    RecordTrouble record{};                  // where the last attempt stopped (RecordFailed)
    int attempts = 0;                        // flash attempts, the retries included
    std::uint32_t elapsedMs = 0;             // of the flash session, up to the closed port
};

// 1 success, 0 failure or cancel, -1 file or port could not be opened.
int result_value(const SessionResult& result);

// Checks the object file (a damaged one is refused before the port is opened), opens the
// port, sets up the cradle (when asked), applies the line settings and runs
// flash attempts while the user wants a retry; closes the port on every path.
SessionResult flash_session(Link& link, const std::string& portName, int rateIndex, bool cradle,
                            const std::string& objectPath, UserInterface& ui);

struct LoaderEnvironment {
    Link& link;
    UserInterface& ui;
    FileSteps& files;  // the steps of writing the settings file
    std::string programFolder;
    // The port dialog: false when cancelled (the settings stay as they were).
    std::function<bool(LoaderSettings&)> choosePort;
};

// The whole program run: interactive when the command line is empty, else one
// unattended download without file or port dialog and without the closing question.
SessionResult run_loader(LoaderEnvironment& env, const std::string& commandLine);

}  // namespace kest::loader
