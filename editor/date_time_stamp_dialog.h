// "Datum & Zeit Einstellungen" (DateTimeStampDlg): the date/time stamp that the current
// form adds to its records, with previews of the date and time formats in the captions of
// the two group boxes. Every change goes into the working copy at once; Cancel puts the
// form back. No control is ever disabled.
#pragma once

#include <string>

#include "editor/date_time_stamp_ids.h"
#include "editor/form_backup.h"

namespace kest::editor {

namespace stamp_ids {
inline constexpr int kSplit = IDC_STAMP_SPLIT;
inline constexpr int kYear = IDC_STAMP_YEAR;
inline constexpr int kMonth = IDC_STAMP_MONTH;
inline constexpr int kDay = IDC_STAMP_DAY;
inline constexpr int kDateSepOn = IDC_STAMP_DATE_SEP_ON;
inline constexpr int kHour = IDC_STAMP_HOUR;
inline constexpr int kMinute = IDC_STAMP_MINUTE;
inline constexpr int kSecond = IDC_STAMP_SECOND;
inline constexpr int kTimeSepOn = IDC_STAMP_TIME_SEP_ON;
inline constexpr int kDateSepEdit = IDC_STAMP_DATE_SEP;
inline constexpr int kTimeSepEdit = IDC_STAMP_TIME_SEP;
inline constexpr int kPositionList = IDC_STAMP_POSITION;
inline constexpr int kYearDigitsList = IDC_STAMP_YEAR_DIGITS;
inline constexpr int kOrderList = IDC_STAMP_ORDER;
inline constexpr int kDateGroup = IDC_STAMP_DATE_GROUP;
inline constexpr int kTimeGroup = IDC_STAMP_TIME_GROUP;
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
