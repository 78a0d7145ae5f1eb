// kest upload: receive the records collected on the terminal into a text file.
#include <filesystem>

#include "kest/command.h"
#include "kest/output_path.h"
#include "kest/fleet.h"
#include "kest/port_list.h"
#include "kest/records_run.h"
#include "platform/file_steps.h"
#include "session/exit_status.h"
#include "session/upload_session.h"

namespace kest::cli {

namespace {

constexpr char kName[] = "upload";

const char kUsage[] =
    "usage: kest upload -o DATA.TXT [-p DEVICE] [-b RATE] [--cradle] [--force | --append]\n"
    "                   [--project PROJECT.AGX (--csv OUT.csv | --jsonl OUT.jsonl) [--excel]]\n"
    "                   [--json] [-q | -v] [--trace]\n"
    "       kest upload -o DIR/ [-p DEVICE]... [--all-ports] [--wait] [...]\n"
    "\n"
    "Receives the records collected on the terminal, one line each ending in CR LF.\n"
    "\n"
    "  -o FILE        data file; the records arrive in a file beside it, which replaces\n"
    "                 FILE only when at least one record came. - is standard output; a\n"
    "                 terminal, a pipe or /dev/stdout is written into directly.\n"
    "  -o DIR/        one data file per port (and per terminal) in the folder DIR, named by\n"
    "                 port and time: ttyUSB0-20261208-1403.txt; needed with several ports\n"
    "  --force        replace FILE if it exists (once records arrived)\n"
    "  --append       add the records to the end of FILE instead\n"
    "  --project FILE --csv OUT.csv\n"
    "  --project FILE --jsonl OUT.jsonl\n"
    "                 after the records arrived, also the whole data file as named\n"
    "                 records by the project's forms, as kest records writes them (OUT\n"
    "                 ending in / or a folder: one file per form); replaced with --force\n"
    "                 or --append. DATA.TXT stays the record of what arrived. One port only.\n"
    "  --excel        the CSV for spreadsheet programs set to German: ';', CR LF, a BOM\n"
    "  --wait         a station for the end of a shift, until Ctrl+C: the ports are asked\n"
    "                 for data in turn, each terminal that answers is uploaded into a file\n"
    "                 of its own, and one that stays is not asked again until it has been\n"
    "                 taken out; needs -o DIR/\n"
    "  -b, --baud RATE    115200 (default), 57600, 38400, 19200 or 9600\n" KEST_TRANSFER_OPTIONS_HELP
    "\n"
    "Prints the number of records received. Records that arrived are kept even when the\n"
    "terminal stops answering part-way; without records FILE stays as it was.\n"
    "exit status: 0 the terminal sent all its records (possibly none), 1 it stopped part-way\n"
    "or refused the connection, 2 usage error or FILE cannot be written (it exists without\n"
    "--force or --append), 3 port, cradle or line settings failed, 4 no answer from the\n"
    "terminal; with several ports the most severe of them (130 after Ctrl+C)\n"
    "With --csv or --jsonl: status 2 also when the named records cannot be written; the\n"
    "data file holds the records all the same.\n";

std::string kept(const UploadReport& r) {
    if (r.records == 0) return r.fileKept ? r.path + " left as it was" : "nothing written";
    return r.path + " keeps " + std::to_string(r.records) + (r.records == 1 ? " record" : " records") +
           " from this upload";
}

std::string records(int n) { return std::to_string(n) + (n == 1 ? " record" : " records"); }

// Why the upload failed and what to try; empty when it did not.
std::string failure(const UploadReport& r, const TransferSetup& setup, int rate) {
    switch (r.end) {
    case UploadEnd::Over: return {};
    case UploadEnd::Cancelled:
    case UploadEnd::FileError: return output_problem_text(r.path, r.fileProblem, r.fileError, true);
    case UploadEnd::PortFailed: return port_failure(setup);
    case UploadEnd::CradleFailed: return cradle_failure(setup);
    case UploadEnd::LineFailed: return line_failure(setup, rate);
    case UploadEnd::NoAnswer:
        return "the terminal did not answer \"READ\"; " + kept(r) + "; " + no_answer_hint(setup, rate);
    case UploadEnd::Refused: return "the terminal did not accept READ; " + kept(r);
    case UploadEnd::TimedOut: return "the terminal stopped answering; " + kept(r);
    case UploadEnd::WriteFailed: return r.path + ": a record could not be written; " + kept(r);
    case UploadEnd::Interrupted:
        return "interrupted: " + (r.records == 0 ? kept(r) : records(r.records) + " received into " + r.path) +
               "; the terminal keeps the records it did not send: " +
               (r.records == 0 ? std::string("run the upload again")
                               : "kest upload --append -o " + r.path + " adds them to the file");
    case UploadEnd::ReplaceFailed:
        return r.path + ": cannot be replaced; the " + std::to_string(r.records) +
               (r.records == 1 ? " record is in " : " records are in ") + r.keptIn;
    }
    return "upload failed";
}

// Where the records of the port's next upload go: the file named, or a file of its own in
// the folder, named by port and time (numbered on when that name is taken, unless the
// records are added to it).
std::string data_path(const PortRun& run, const std::string& output, bool folder, bool append) {
    if (!folder) return output_target(output);
    const LocalTime now = system_clock().local_time();
    for (int n = 1;; ++n) {
        const std::string path = output + data_file_name(run.short_name(), now, n);
        std::error_code ec;
        if (append || !std::filesystem::exists(path, ec)) return path;
    }
}

// One upload on the port (on a station's open port when station is set).
Served upload_on_port(PortRun& run, Link& link, const std::string& path, const OutputRules& rules, int rate,
                      bool station, const std::optional<UploadRecords>& named = std::nullopt) {
    UploadOptions options;
    options.cradle = run.setup.cradle;
    options.portName = run.setup.port;
    options.rateIndex = rate;
    options.path = path;
    options.rules = rules;
    options.offerViewer = false;
    options.station = station;
    const UploadReport r = upload_data(Project{}, link, run.ui, system_file_steps(), options);
    TransferSummary s = summary_of(r);
    s.message = failure(r, run.setup, rate);
    if (!s.message.empty()) run.say(s.message);
    if (r.end == UploadEnd::Over && !station) {
        // Records written to standard output are not mixed with the summary.
        const bool onStderr = r.path == "/dev/stdout";
        if (r.records == 0)
            run.result("0 records received: the terminal had no data" +
                           (r.fileKept ? "; " + r.path + " left as it was" : std::string()),
                       onStderr);
        else
            run.result(records(r.records) + " received into " + r.path, onStderr);
    }
    // A terminal that fell silent (taken out part-way) is asked again at once: it keeps the
    // records it did not send.
    if (named && r.end == UploadEnd::Over && r.records > 0 && r.path != "/dev/stdout" &&
        !upload_records(kName, r.path, *named)) {
        s.status = kExitBadInput;
        s.message = "the named records could not be written; " + r.path + " holds the records";
    }
    const bool served = r.end != UploadEnd::TimedOut && r.end != UploadEnd::NoAnswer && r.end != UploadEnd::Refused &&
                        r.end != UploadEnd::Interrupted;
    return Served{std::move(s), served};
}

int run(const std::vector<std::string>& args) {
    auto valued = kTransferValued;
    valued.insert("o");
    auto switches = kTransferSwitches;
    switches.insert({"append", "force", "wait", "excel"});
    valued.insert(kUploadRecordsValued.begin(), kUploadRecordsValued.end());
    const ParsedArgs parsed = parse_command(args, valued, switches);
    if (!parsed.error.empty()) return usage_error(kName, parsed.error);
    if (!parsed.positional.empty()) return usage_error(kName, "unexpected argument " + parsed.positional[0]);
    const auto output = parsed.value("o");
    if (!output || output->empty()) return usage_error(kName, "-o DATA.TXT is required");
    if (parsed.flag("append") && parsed.flag("force"))
        return usage_error(kName, "--append and --force exclude each other");
    const auto options = transfer_options(kName, parsed);
    if (!options) return kExitBadInput;
    const bool folder = names_folder(*output);
    if (folder) {
        std::error_code ec;
        if (!std::filesystem::is_directory(*output, ec))
            return usage_error(kName,
                               "-o " + *output + ": " +
                                   (std::filesystem::exists(*output, ec) ? "is not a folder" : "no such folder") +
                                   " (-o DIR/ writes one data file per port into the folder DIR)");
    } else if (options->wait) {
        return usage_error(kName, "--wait writes one data file per terminal: give a folder, -o DIR/");
    } else if (options->ports.size() > 1) {
        return usage_error(kName, "with several ports give a folder, -o DIR/, for one data file per port (" + *output +
                                      " cannot take the records of several terminals)");
    }
    std::optional<UploadRecords> named;
    if (!upload_records_request(kName, parsed, *output, named)) return kExitBadInput;
    if (named && (folder || options->wait || options->ports.size() > 1))
        return usage_error(kName,
                           "--csv and --jsonl take the records of one port into one data file: for a folder of data "
                           "files run kest records on each");
    const OutputRules rules = output_rules(parsed.flag("force"), true, parsed.flag("append"));
    const int rate = options->rateIndex.value_or(0);
    return run_on_ports(kName, *options, [&](PortRun& run) {
        if (options->wait) {
            run_station_on(run, true, rate, [&](Link& link) {
                return upload_on_port(run, link, data_path(run, *output, folder, rules.append), rules, rate, true);
            });
        } else {
            Served s = upload_on_port(run, *run.setup.link, data_path(run, *output, folder, rules.append), rules, rate,
                                      false, named);
            run.add(std::move(s.summary), rate);
        }
    });
}

const Registration registration({kName, "receive the terminal's records into a text file", kUsage, run});

}  // namespace

}  // namespace kest::cli
