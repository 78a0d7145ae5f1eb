// kest srec-check: validates an object program and prints its address ranges.
#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <iostream>

#include "kest/command.h"
#include "kest/object_file.h"
#include "common/options.h"

namespace kest::cli {
namespace {

int run(const std::vector<std::string>& args) {
    const auto parsed = file_arguments("srec-check", args, 1, "give one object file");
    if (!parsed) return kExitBadInput;
    const std::string& path = parsed->positional[0];
    const auto report = check_object_file("srec-check", path);
    if (!report) return kExitBadInput;
    std::printf("%s: %zu data records, %" PRIu64 " bytes, end record S%c, start address 0x%08" PRIX32 "\n",
                path.c_str(), report->dataRecords, report->dataBytes, report->endType, report->startAddress);
    for (const auto& r : report->ranges)
        std::printf("  0x%08" PRIX64 "-0x%08" PRIX64 "  %" PRIu64 " bytes\n", r.begin, r.end - 1, r.end - r.begin);
    return kExitOk;
}

const Registration registration({"srec-check", "validate an object program (.SHX) and show its address ranges",
                                 "usage: kest srec-check PROGRAM.SHX\n\n"
                                 "Checks every record (hex digits, byte count, checksum), the end record,\n"
                                 "S5/S6 counts and repeated addresses, then prints the address ranges.\n"
                                 "exit status: 0 the file is good, 2 it is damaged or cannot be read\n",
                                 run});

}  // namespace
}  // namespace kest::cli
