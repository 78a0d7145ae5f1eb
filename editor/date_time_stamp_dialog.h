// "Datum & Zeit Einstellungen" (DateTimeStampDlg): the date/time stamp that the current
// form adds to its records, with previews of the date and time formats in the captions of
// the two group boxes. Every change goes into the working copy at once; Cancel puts the
// form back. No control is ever disabled.
#pragma once

#include <string>

#include "editor/form_backup.h"

namespace kest::editor {

namespace stamp_ids {
inline constexpr int kSplit = 101;          // "DATUM und ZEIT Zusatz in zwei Felder aufteilen"
inline constexpr int kYear = 102;           // "Jahr"
inline constexpr int kMonth = 103;          // "Monat"
inline constexpr int kDay = 104;            // "Tag"
inline constexpr int kDateSepOn = 105;      // "Trennzeichen"
inline constexpr int kHour = 111;           // "Stunde"
inline constexpr int kMinute = 112;         // "Minute"
inline constexpr int kSecond = 113;         // "Sekunde"
inline constexpr int kTimeSepOn = 114;      // "Trennzeichen"
inline constexpr int kDateSepEdit = 505;
inline constexpr int kTimeSepEdit = 514;
inline constexpr int kPositionList = 601;   // "Datum && Zeit Zusatz :"
inline constexpr int kYearDigitsList = 602;
inline constexpr int kOrderList = 606;      // "Stil :"
inline constexpr int kDateGroup = 901;      // "Datumformat :"
inline constexpr int kTimeGroup = 902;      // "Zeitformat :"
}  // namespace stamp_ids

// The previews: "Datumformat : " with "JJJJ"/"JJ", "MM", "TT" in the form's date order, and
// "Zeitformat : " with "HH", "MM", "SS", each part after the first present one preceded by
// the separator when that is on (and not empty).
std::string date_preview(const FormRecord& form);
std::string time_preview(const FormRecord& form);

class DateTimeStampDlg final : public FormBackup {
public:
    explicit DateTimeStampDlg(FormWorkingCopy& copy) : FormBackup(copy) {}
    void init(DialogAccess& dialog);
    DialogResult command(DialogAccess& dialog, int id);

private:
    void show_previews(DialogAccess& dialog);
};

}  // namespace kest::editor
