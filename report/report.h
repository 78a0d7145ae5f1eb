// The project report: one self-contained HTML file (styles and pictures inside, no script,
// nothing fetched) that shows a whole application for review and printing. An overview
// with the map of the application and the values no page produces; the lookup layouts as
// rulers; the settings (barcode symbologies, terminal, keyboard wedge, password protection
// without the password, function keys, start); the system texts that differ from the
// defaults; and one page per form and menu in use, each with the display as the simulated
// terminal shows it when the form or menu starts, its settings, and for a form the record
// the engine builds from sample input, field by field.
#pragma once

#include <string>
#include <vector>

#include "platform/clock.h"
#include "project/project.h"
#include "project/project_check.h"

namespace kest::report {

struct ReportInput {
    std::string fileName;           // the project file as named (shown, UTF-8)
    bool olderLayout = false;       // converted from the older layout on reading
    std::vector<Finding> findings;  // what `kest check` reports
    LocalTime time;                 // the clock of the simulated runs: the record stamps
    bool english = false;           // English headings; the system's own texts stay German
    std::string version;            // of the program that writes the report
};

std::string report_html(const Project& project, const ReportInput& input);

}  // namespace kest::report
