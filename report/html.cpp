#include "report/html.h"

#include <cstdio>

#include "common/cp1252.h"

namespace kest::report {

std::string escape(const std::string& utf8) {
    std::string out;
    out.reserve(utf8.size());
    for (char c : utf8) {
        const auto u = static_cast<unsigned char>(c);
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default:
            if (u < 0x20 || u == 0x7F) {
                char ref[8];
                std::snprintf(ref, sizeof ref, "&#%u;", u);
                out += ref;
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::string text(const std::string& cp1252) { return escape(cp1252_to_utf8(cp1252)); }

}  // namespace kest::report
