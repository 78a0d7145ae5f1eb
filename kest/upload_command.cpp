// kest upload: receive the records collected on the terminal into a text file.
#include <iostream>

#include "kest/command.h"
#include "kest/output_path.h"
#include "kest/records_run.h"
#include "kest/transfer_options.h"
#include "platform/file_steps.h"
#include "session/exit_status.h"
#include "session/upload_session.h"

namespace kest::cli {

namespace {

constexpr char kName[] = "upload";

const char kUsage[] =
    "usage: kest upload -o DATA.TXT [-p DEVICE] [-b RATE] [--cradle] [--force | --append]\n"
    "                   [--project PROJECT.AGX (--csv OUT.csv | --jsonl OUT.jsonl) [--excel]]\n"
    "                   [-q | -v] [--trace]\n"
    "\n"
    "Receives the records collected on the terminal, one line each ending in CR LF.\n"
    "\n"
    "  -o FILE        data file; the records arrive in a file beside it, which replaces\n"
    "                 FILE only when at least one record came. - is standard output; a\n"
    "                 terminal, a pipe or /dev/stdout is written into directly.\n"
    "  --force        replace FILE if it exists (once records arrived)\n"
    "  --append       add the records to the end of FILE instead\n"
    "  --project FILE --csv OUT.csv\n"
    "  --project FILE --jsonl OUT.jsonl\n"
    "                 after the records arrived, also the whole data file as named\n"
    "                 records by the project's forms, as kest records writes them (OUT\n"
    "                 ending in / or a folder: one file per form); replaced with --force\n"
    "                 or --append. DATA.TXT stays the record of what arrived.\n"
    "  --excel        the CSV for spreadsheet programs set to German: ';', CR LF, a BOM\n"
    "  -b, --baud RATE    115200 (default), 57600, 38400, 19200 or 9600\n" KEST_TRANSFER_OPTIONS_HELP
    "\n"
    "Prints the number of records received. Records that arrived are kept even when the\n"
    "terminal stops answering part-way; without records FILE stays as it was.\n"
    "exit status: 0 the terminal sent all its records (possibly none), 1 it stopped part-way\n"
    "or refused the connection, 2 usage error or FILE cannot be written (it exists without\n"
    "--force or --append), 3 port, cradle or line settings failed, 4 no answer from the\n"
    "terminal\n"
    "With --csv or --jsonl: status 2 also when the named records cannot be written; the\n"
    "data file holds the records all the same.\n";

std::string kept(const UploadReport& r) {
    if (r.records == 0) return r.fileKept ? r.path + " left as it was" : "nothing written";
    return r.path + " keeps " + std::to_string(r.records) + (r.records == 1 ? " record" : " records") +
           " from this upload";
}

int run(const std::vector<std::string>& args) {
    auto valued = kTransferValued;
    valued.insert("o");
    auto switches = kTransferSwitches;
    switches.insert("append");
    switches.insert("force");
    valued.insert(kUploadRecordsValued.begin(), kUploadRecordsValued.end());
    switches.insert("excel");
    const ParsedArgs parsed = parse_command(args, valued, switches);
    if (!parsed.error.empty()) return usage_error(kName, parsed.error);
    if (!parsed.positional.empty()) return usage_error(kName, "unexpected argument " + parsed.positional[0]);
    const auto output = parsed.value("o");
    if (!output || output->empty()) return usage_error(kName, "-o DATA.TXT is required");
    if (parsed.flag("append") && parsed.flag("force"))
        return usage_error(kName, "--append and --force exclude each other");
    std::optional<UploadRecords> named;
    if (!upload_records_request(kName, parsed, *output, named)) return kExitBadInput;
    auto setup = transfer_setup(kName, parsed);
    if (!setup) return kExitBadInput;

    ConsoleUi ui = setup->console();
    UploadOptions options;
    options.cradle = setup->cradle;
    options.portName = setup->port;
    options.rateIndex = setup->rateIndex.value_or(0);
    options.path = output_target(*output);
    options.rules = output_rules(parsed.flag("force"), true, parsed.flag("append"));
    options.offerViewer = false;
    const Project project{};
    const UploadReport r = upload_data(project, *setup->link, ui, system_file_steps(), options);

    // Records written to standard output are not mixed with the summary.
    std::ostream& summary = r.path == "/dev/stdout" ? std::cerr : std::cout;
    std::string failure;
    switch (r.end) {
    case UploadEnd::Over:
        if (r.records == 0)
            summary << "0 records received: the terminal had no data"
                    << (r.fileKept ? "; " + r.path + " left as it was" : "") << "\n";
        else
            summary << r.records << (r.records == 1 ? " record" : " records") << " received into " << r.path << "\n";
        break;
    case UploadEnd::Cancelled:
    case UploadEnd::FileError: report_output_problem(kName, r.path, r.fileProblem, r.fileError, true); break;
    case UploadEnd::PortFailed: failure = port_failure(*setup); break;
    case UploadEnd::CradleFailed: failure = cradle_failure(*setup); break;
    case UploadEnd::LineFailed: failure = line_failure(*setup, *options.rateIndex); break;
    case UploadEnd::NoAnswer:
        failure =
            "the terminal did not answer \"READ\"; " + kept(r) + "; " + no_answer_hint(*setup, *options.rateIndex);
        break;
    case UploadEnd::Refused: failure = "the terminal did not accept READ; " + kept(r); break;
    case UploadEnd::TimedOut: failure = "the terminal stopped answering; " + kept(r); break;
    case UploadEnd::WriteFailed: failure = r.path + ": a record could not be written; " + kept(r); break;
    case UploadEnd::Interrupted:
        failure = "interrupted: " +
                  (r.records == 0 ? kept(r)
                                  : std::to_string(r.records) + (r.records == 1 ? " record" : " records") +
                                        " received into " + r.path) +
                  "; the terminal keeps the records it did not send: " +
                  (r.records == 0 ? std::string("run the upload again")
                                  : "kest upload --append -o " + r.path + " adds them to the file");
        break;
    case UploadEnd::ReplaceFailed:
        failure = r.path + ": cannot be replaced; the " + std::to_string(r.records) +
                  (r.records == 1 ? " record is in " : " records are in ") + r.keptIn;
        break;
    }
    if (!failure.empty()) std::cerr << "kest upload: " << failure << "\n";
    if (named && r.end == UploadEnd::Over && r.records > 0 && r.path != "/dev/stdout" &&
        !upload_records(kName, r.path, *named))
        return kExitBadInput;
    return exit_status(r.end);
}

const Registration registration({kName, "receive the terminal's records into a text file", kUsage, run});

}  // namespace

}  // namespace kest::cli
