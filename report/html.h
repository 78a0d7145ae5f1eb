// Text for the report's HTML and SVG: the project's Windows-1252 texts in UTF-8, with every
// character that HTML or SVG would read as markup written as a reference.
#pragma once

#include <string>

namespace kest::report {

// UTF-8 text escaped for an element's content or a quoted attribute: &, <, >, " and ' as
// references, control characters as numeric references (so a prompt shows exactly what
// it holds and cannot end an element).
std::string escape(const std::string& utf8);
// A text of the project (Windows-1252), converted and escaped.
std::string text(const std::string& cp1252);
// A number for an attribute or a table cell.
inline std::string num(long value) { return std::to_string(value); }

}  // namespace kest::report
