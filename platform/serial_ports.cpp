// The order in which port lists are shown, the same on every platform.
#include <cctype>
#include <utility>

#include "platform/serial_port.h"

namespace kest {

const char* port_problem_text(PortProblem problem) {
    switch (problem) {
    case PortProblem::None: return "open";
    case PortProblem::NotFound: return "not found";
    case PortProblem::NoPermission: return "permission denied";
    case PortProblem::Busy: return "busy: another program has it open";
    case PortProblem::NotSerial: return "not a serial device";
    case PortProblem::Other: break;
    }
    return "cannot be opened";
}

bool port_name_less(const std::string& a, const std::string& b) {
    auto split = [](const std::string& s) {
        std::size_t digits = s.size();
        while (digits > 0 && std::isdigit(static_cast<unsigned char>(s[digits - 1]))) --digits;
        const std::string number = s.substr(digits);
        return std::make_pair(s.substr(0, digits), number.empty() ? -1L : std::stol(number.substr(0, 9)));
    };
    const auto ka = split(a), kb = split(b);
    return ka != kb ? ka < kb : a < b;
}

}  // namespace kest
