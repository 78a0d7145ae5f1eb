// The download image: the 20000 bytes the terminal stores as its application definition.
// It is the project's tables from BarcodeSettings to ApplicationOptions in file order, with
// menus and forms normalised (in a copy), every screen-text cell padded to its full width and a few
// settings bytes re-coded for the terminal; the tail after the tables stays zero.
#pragma once

#include <array>
#include <cstddef>

#include "project/project.h"

namespace kest {

inline constexpr std::size_t kImageSize = 20000;
// Bytes 0 to kImageWritten - 1 are written on every build; the rest stay zero.
inline constexpr std::size_t kImageWritten = 18830;
// Image offset = project-file offset - kImageFileShift (no version tag, no port choice).
inline constexpr std::size_t kImageFileShift = 12;

using DownloadImage = std::array<u8, kImageSize>;

// Fills bytes 0 to kImageWritten - 1 of the image from the project tables as they stand.
void build_image(const Project& project, DownloadImage& image);

// What a download sends: the image of the project with its menus and forms normalised
// (normalised_menus_and_forms, project/rules.h); the project itself stays as it is.
DownloadImage prepare_image(const Project& project);

}  // namespace kest
