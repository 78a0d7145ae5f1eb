#include "kest/time_option.h"

namespace kest::cli {
namespace {

bool leap_year(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int days_in_month(int year, int month) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leap_year(year) ? 29 : days[month - 1];
}

}  // namespace

std::optional<LocalTime> parse_time(const std::string& text, std::string& error) {
    static const char kPattern[] = "dddd-dd-ddTdd:dd:dd";
    bool shaped = text.size() == sizeof kPattern - 1;
    for (std::size_t i = 0; shaped && i < text.size(); ++i)
        shaped = kPattern[i] == 'd' ? text[i] >= '0' && text[i] <= '9' : text[i] == kPattern[i];
    if (!shaped) {
        error = "--time wants YYYY-MM-DDTHH:MM:SS, not '" + text + "'";
        return std::nullopt;
    }
    auto number = [&](std::size_t at, std::size_t digits) { return std::stoi(text.substr(at, digits)); };
    LocalTime t{number(0, 4), number(5, 2), number(8, 2), number(11, 2), number(14, 2), number(17, 2)};
    if (t.year < 1 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > days_in_month(t.year, t.month)) {
        error = "--time: " + text.substr(0, 10) + " is not a date";
        return std::nullopt;
    }
    if (t.hour > 23 || t.minute > 59 || t.second > 59) {
        error = "--time: " + text.substr(11) + " is not a time of day";
        return std::nullopt;
    }
    return t;
}

}  // namespace kest::cli
