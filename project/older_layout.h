// Project files of the older terminal family ("Qvx-4.00", "Qvx-3.10"): their layout and
// the conversion into the current tables.
#pragma once

#include <cstddef>

#include "project/project.h"

namespace kest::older {

// Offsets in the older file.
inline constexpr std::size_t kTagSize = 8;
inline constexpr std::size_t kCom = 8;
inline constexpr std::size_t kStartObject = 10;
inline constexpr std::size_t kSettings = 11;  // 24 bytes
inline constexpr std::size_t kMenus = 35;     // 10 x 250
inline constexpr std::size_t kMenuSize = 250;
inline constexpr std::size_t kForms = 2535;  // 10 x 601
inline constexpr std::size_t kFormSize = 601;
inline constexpr std::size_t kLookups = 8545;  // 3 x 19
inline constexpr std::size_t kLookupSize = 19;
inline constexpr std::size_t kDelimiters = 8602;
inline constexpr std::size_t kOptions = 10466;    // 20 bytes
inline constexpr std::size_t kPassword = 10486;   // 10 bytes
inline constexpr std::size_t kExtension = 10496;  // 14 bytes, optional
inline constexpr std::size_t kExtensionSize = 14;
inline constexpr unsigned char kExtensionMark = 0x40;

// Converts an older file into the project, which holds the defaults; tables and rows the
// older layout does not supply keep them. size must reach at least kExtension; the
// extension block counts only when all of it is present and marked.
void convert(const unsigned char* file, std::size_t size, Project& project);

}  // namespace kest::older
