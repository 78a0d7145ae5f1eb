#include "simulator/clock_line.h"

#include <cstdio>

namespace kest::terminal {

std::string clock_line(const LocalTime& time, int tick, int recordCount, bool separateFilePerForm) {
    static const char* const kMonths[] = {"JAN ", "FEB ", "MAR ", "APR ", "MAY ", "JUN ",
                                          "JUL ", "AUG ", "SEP ", "OCT ", "NOV ", "DEC "};
    int month = (time.month >= 1 && time.month <= 12) ? time.month : 1;
    char formatted[32];
    std::snprintf(formatted, sizeof formatted, tick < 5 ? "%02d, %02d:%02d  " : "%02d, %02d %02d  ",
                  time.day % 100, time.hour % 100, time.minute % 100);
    std::string text = std::string(kMonths[month - 1]) + formatted;
    if (!separateFilePerForm) {
        // The counter takes characters 11-15 of the formatted part.
        char counter[8];
        std::snprintf(counter, sizeof counter, "%05d", (recordCount < 0 ? 0 : recordCount) % 100000);
        text = text.substr(0, 4 + 11) + counter;
    }
    return text;
}

}  // namespace kest::terminal
