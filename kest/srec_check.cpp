// kest srec-check: validates an object program and prints its address ranges.
#include <cinttypes>
#include <cstdio>
#include <iostream>

#include "common/json.h"
#include "common/options.h"
#include "kest/command.h"
#include "kest/object_file.h"

namespace kest::cli {
namespace {

constexpr char kUsage[] =
    "usage: kest srec-check [--json] PROGRAM.SHX\n"
    "\n"
    "Checks every record (hex digits, byte count, checksum), the end record,\n"
    "S5/S6 counts and repeated addresses, then prints the address ranges.\n"
    "\n"
    "  --json  one JSON object: file, ok, and for a good file dataRecords, dataBytes,\n"
    "          endRecord, startAddress and ranges (first, last, bytes); for a damaged\n"
    "          one error (line, text)\n"
    "\n"
    "exit status: 0 the file is good, 2 it is damaged or cannot be read\n";

std::string report_json(const std::string& path, const loader::SrecReport& report) {
    JsonWriter json;
    json.begin_object().field("file", path).field("ok", true);
    json.field("dataRecords", static_cast<std::uint64_t>(report.dataRecords)).field("dataBytes", report.dataBytes);
    json.field("endRecord", std::string("S") + report.endType)
        .field("startAddress", static_cast<std::uint64_t>(report.startAddress));
    json.key("ranges").begin_array();
    for (const auto& r : report.ranges)
        json.begin_object()
            .field("first", static_cast<std::uint64_t>(r.begin))
            .field("last", static_cast<std::uint64_t>(r.end - 1))
            .field("bytes", static_cast<std::uint64_t>(r.end - r.begin))
            .end_object();
    json.end_array().end_object();
    return json.str();
}

std::string damage_json(const std::string& path, const loader::SrecError& error) {
    JsonWriter json;
    json.begin_object().field("file", path).field("ok", false).key("error").begin_object();
    if (error.line)
        json.field("line", static_cast<std::uint64_t>(error.line));
    else
        json.key("line").null();
    json.field("text", error.text).end_object().end_object();
    return json.str();
}

int run(const std::vector<std::string>& args) {
    const auto parsed = file_arguments("srec-check", args, 1, "give one object file", {}, {"json"});
    if (!parsed) return kExitBadInput;
    const std::string& path = parsed->positional[0];
    std::optional<loader::SrecError> damage;
    const auto report = check_object_file("srec-check", path, &damage);
    if (parsed->flag("json")) {
        if (report) std::cout << report_json(path, *report);
        if (damage) std::cout << damage_json(path, *damage);
    }
    if (!report) return kExitBadInput;
    if (parsed->flag("json")) return kExitOk;
    std::printf("%s: %zu data records, %" PRIu64 " bytes, end record S%c, start address 0x%08" PRIX32 "\n",
                path.c_str(), report->dataRecords, report->dataBytes, report->endType, report->startAddress);
    for (const auto& r : report->ranges)
        std::printf("  0x%08" PRIX64 "-0x%08" PRIX64 "  %" PRIu64 " bytes\n", r.begin, r.end - 1, r.end - r.begin);
    return kExitOk;
}

const Registration registration({"srec-check", "validate an object program (.SHX) and show its address ranges", kUsage,
                                 run});

}  // namespace
}  // namespace kest::cli
