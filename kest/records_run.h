// The named records of a data file written as tables or JSON Lines, with the summary: what
// `kest records` does, and `kest upload --csv/--jsonl` after the records arrived.
#pragma once

#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "common/options.h"
#include "records/record_output.h"

namespace kest::cli {

inline constexpr std::size_t kMostDataFile = 64u << 20;  // far beyond what a terminal holds

struct RecordsOutput {
    std::string path;   // "-" or "" standard output; ending in '/' or a folder: one file per form
    bool json = false;  // JSON Lines instead of CSV
    bool excel = false;
    bool force = false;
};

// csv or json by the file's extension (.json, .jsonl: JSON Lines).
bool json_by_name(const std::string& path);

// Writes the records; false after the reason is on stderr ("kest COMMAND: ..."). `written`
// receives the files written.
bool write_records(const char* command, const records::ProjectLayouts& layouts,
                   const std::vector<records::ReadRecord>& records, const RecordsOutput& output,
                   std::vector<std::string>& written);

// "DATA.TXT: 12 records", then one line per form or menu and the lines that are ambiguous
// or fit no form.
void print_summary(std::ostream& out, const std::string& data, const records::RecordCounts& counts,
                   const std::vector<records::ReadRecord>& records);
// The same as one JSON object.
std::string summary_json(const std::string& data, const records::RecordCounts& counts,
                         const std::vector<std::string>& written);

// The layouts of a project file named on the command line; nothing (reported) when it
// cannot be read.
std::optional<records::ProjectLayouts> project_layouts_of(const char* command, const std::string& project,
                                                          int also = -1);

// kest upload --project PROJECT.AGX with --csv OUT.csv or --jsonl OUT.jsonl (and --excel):
// the named records written once the records arrived.
inline const std::set<std::string> kUploadRecordsValued = {"project", "csv", "jsonl"};

struct UploadRecords {
    RecordsOutput output;
    records::ProjectLayouts layouts;
};

// Reads those options; `request` stays empty when none is given. False after a usage error
// or a project that cannot be read (said on stderr). `data` is the upload's data file,
// which no output may be.
bool upload_records_request(const char* command, const ParsedArgs& args, const std::string& data,
                            std::optional<UploadRecords>& request);

// The data file of an upload as named records, with the summary on stderr; false
// (reported) when it cannot be read or an output not written. Lines that fit no form are
// only counted in the summary.
bool upload_records(const char* command, const std::string& data, const UploadRecords& request);

}  // namespace kest::cli
