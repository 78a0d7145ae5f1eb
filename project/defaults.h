// Initial contents of a project: the barcode defaults, the project defaults and the
// terminal's default screen texts in both line widths.
#pragma once

#include "project/project.h"

namespace kest {

// BarcodeSettings only. Bytes 3, 4 and 8, bit 0 of byte 2, bits 0-2 of byte 7 and bit 5
// of byte 11 keep their values.
void barcode_defaults(Project& project);

// Every other table a new project needs. ComSelection, the reserved bytes, largeTitles,
// the phone-number bytes after the first and the wedge bytes 5-54 keep their values.
void project_defaults(Project& project);

// Barcode defaults, then project defaults: what start-up, New and Open begin with.
void reset_to_defaults(Project& project);

// The default settings of one form line (line source "Beide", maximum length 50,
// "Scan+ENTER", everything else off or empty); the line type becomes 0.
void line_defaults(FormRecord& form, int line);

// An empty menu: small font, no title, no items, every target the start screen, no
// record options, the simulator's working bytes cleared.
void menu_defaults(MenuRecord& menu);

// The default settings of a whole form (small font, Esc to the start screen, the date and
// time stamp off with every part on, "speichern", no lookup file, every line by
// line_defaults, run-time bytes 0), taking `nextTarget` after its last line.
void form_defaults(FormRecord& form, u8 nextTarget);

// One lookup file as a new project has it: no fields, fixed lengths, every start position
// 1, loadable, "Weiter" when a record is not found. The reserved bytes keep their values.
void lookup_defaults(LookupRecord& lookup);

// Default texts, Windows-1252, padded with spaces: 15 characters for the 16-byte tables,
// 20 characters for the 21-byte tables.
const char* sign_on_default_row(int row);
const char* default_text_row(int table, int row);

// Rows for large titles: the twelve 21-byte tables have 15-character rows (some use all
// 16 characters of a cell). Zero rows for the other tables.
int large_title_row_count(int table);
const char* large_title_row(int table, int row);

// The default row of a table under the given title setting: the large-title row when
// largeTitles is on and the table has one for the row, otherwise the normal default row.
// This is also the guide text the startup page shows.
const char* title_default_row(int table, int row, bool largeTitles);

// Whether switching the title setting to largeTitles replaces row `row` of `table`:
// switching on replaces the rows that have a large-title row, switching off gives the
// twelve 21-byte tables all their 20-character rows back. The 16-byte tables never change.
bool title_switch_replaces(int table, int row, bool largeTitles);

// Replaces the texts of the twelve 21-byte tables by their defaults for the new setting.
// Does not change the largeTitles byte itself.
void apply_large_titles(Project& project, bool largeTitles);
void apply_large_titles(TextTables& texts, bool largeTitles);

// Every text table from its defaults: the 16-byte tables from the default rows, the
// 21-byte tables as when large titles are switched to the given setting.
void text_defaults(Project& project, bool largeTitles);
void text_defaults(TextTables& texts, bool largeTitles);

}  // namespace kest
