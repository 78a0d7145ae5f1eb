// The upload command of the generator: choose the data file, set up the link (with or
// without the infrared cradle), receive the records the terminal collected into the file,
// with the counter box and the messages, and offer to open the file in the viewer.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "common/output_file.h"
#include "link/link.h"
#include "platform/user_interface.h"
#include "project/project.h"

namespace kest {

struct UploadOptions {
    bool cradle = false;                  // switch the infrared cradle first
    std::optional<std::string> portName;  // instead of the project's port (a device path)
    std::optional<int> rateIndex;         // instead of the project's rate
    std::optional<std::string> path;      // data file; nothing = ask with the save dialog
    // How the data file is written: by default an existing file (the save dialog asked
    // before) is replaced once records arrived; append adds them to its end instead.
    OutputRules rules{.replace = true};
    bool offerViewer = true;  // ask to open the file when records arrived
    // Run by a station (session/station.h): the port is open and set up and the terminal has
    // just answered "READ" with "ACK"; the records follow, and the port is left open.
    bool station = false;
};

enum class UploadEnd {
    Cancelled,      // no data file chosen
    FileError,      // the data file could not be created
    PortFailed,     // the port could not be opened
    CradleFailed,   // no cradle rate answered
    LineFailed,     // the line settings could not be applied
    NoAnswer,       // the terminal never answered "READ\r"
    Refused,        // the terminal answered "READ\r" with something else six times
    Over,           // the terminal ended with "OVER\r"
    TimedOut,       // the terminal fell silent after the connection
    WriteFailed,    // a record could not be written; it was not acknowledged
    ReplaceFailed,  // the records arrived but could not replace the old file (see keptIn)
    Interrupted,    // a stop was requested (Link::stop_requested); the records acknowledged
                    // so far are in the file, the terminal keeps the others
};

// Everything a caller may tell about one upload command.
struct UploadReport {
    UploadEnd end = UploadEnd::Cancelled;
    int records = 0;                                  // records stored by this upload
    std::uint64_t bytes = 0;                          // their data bytes (without line ends)
    int reads = 0;                                    // "READ\r" sent
    int failedRecord = 0;                             // WriteFailed: the 1-based record not written
    std::string path;                                 // the data file, empty when none was chosen
    bool fileKept = false;                            // the data file is on disk afterwards
    OutputProblem fileProblem = OutputProblem::None;  // FileError: why
    int fileError = 0;                                // FileError: the system's error number
    std::string keptIn;                               // ReplaceFailed: the file that holds the records
    std::uint32_t elapsedMs = 0;                      // from the start of the command to the closed port
};

// As the main window sees it: records stored (>= 1), 0 (nothing stored or cancelled), -1
// (time-out after the connection, or the file could not be written), -2 (data file cannot
// be created), -3 (link cannot be set up).
int result_value(const UploadReport& report);

// The save dialog of the data file.
FileDialogRequest data_file_request();

// files: the steps of writing the data file (the system's; a test makes them fail).
UploadReport upload_data(const Project& project, Link& link, UserInterface& ui, FileSteps& files,
                         const UploadOptions& options = {});

}  // namespace kest
