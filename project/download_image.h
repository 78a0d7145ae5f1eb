// The download image: the 20000 bytes the terminal stores as its application definition.
// It is the project's tables from BarcodeSettings to ApplicationOptions in file order, with
// menus and forms normalised, every screen-text cell padded to its full width and a few
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

// What a download sends: the normalisations (in the project, project/rules.h), then a
// fresh image.
DownloadImage prepare_image(Project& project);

}  // namespace kest
