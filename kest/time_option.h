// The --time option of the commands that run the simulated terminal: a local time for the
// clock line and the record stamps.
#pragma once

#include <optional>
#include <string>

#include "platform/clock.h"

namespace kest::cli {

// YYYY-MM-DDTHH:MM:SS naming a real day and time of day, or nothing with the reason in error.
std::optional<LocalTime> parse_time(const std::string& text, std::string& error);

}  // namespace kest::cli
