// What the terminal shows and takes, one home for each limit: the pages, the rules of the
// records, the defaults, the check of a project's values, the download image and the
// simulator all read them from here.
#pragma once

namespace kest {

// The display: 8 lines of 20 characters in the small font, 4 lines of 15 in the large one.
inline constexpr int kSmallFontWidth = 20;
inline constexpr int kLargeFontWidth = 15;
inline constexpr int kLargeFontLines = 4;

// The longest field of a form line: "Min Länge" and "Max Länge" (a new line's maximum),
// and the "Anzahl Zeichen" of a substring taken from a barcode.
inline constexpr int kMaxFieldLength = 50;

// The password of the protected areas, which the terminal compares in upper case.
inline constexpr int kPasswordLength = 10;

// The longest lookup line the terminal takes: its packet adds two checksum bytes and CR.
inline constexpr int kMaxLookupLineLength = 289;

// System settings: backlight off after n x 10 s; acknowledgement shown for n x 100 ms.
inline constexpr int kBacklightOffLimit = 9;
inline constexpr int kAckTimeLimit = 99;

}  // namespace kest
