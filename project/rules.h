// The rules every reader of the menu and form records shares: what the font byte means,
// which lines take input, the counts the terminal keeps inside the records, and the two
// normalisations. The simulator, the download image and the form page all call these;
// the normalisations give normalised copies and never change the project they read.
#pragma once

#include "project/limits.h"
#include "project/project.h"

namespace kest {

// The font byte of a menu or form: any nonzero value is the large font.
constexpr bool is_large_font(u8 font) { return font != 0; }
constexpr int line_width(u8 font) { return is_large_font(font) ? kLargeFontWidth : kSmallFontWidth; }
// Form lines that exist in this font.
constexpr int line_count(u8 font) { return is_large_font(font) ? kLargeFontLines : kFormLines; }

// A line the user fills in: "Text" to "Boolean" ("Lookup" is not one).
constexpr bool is_input_line(u8 type) { return type >= kFieldText && type <= kFieldBoolean; }

// Item cells holding a character above blank within the menu's line width (up to the
// first zero byte). Items are not moved: an empty item between two others is counted out.
int count_menu_items(const MenuRecord& menu);
// 1 + the index of the last input line, 0 when there is none.
int count_entry_lines(const FormRecord& form);
// Lines without input of their own ("<leer>", "Erweiterung") lose their prompt; they and
// every line from "fixe Daten" on lose their lookup key.
void clear_line_by_type(FormRecord& form, int line);

// Form normalisation: large-font forms have no lines 5-8, lengths are clamped to
// kMaxFieldLength (and
// the minimum to the maximum), prompts and lookup keys are cleared by line type. Applied
// to all ten forms of a copy of the project.
[[nodiscard]] Project normalised_forms(const Project& project);
// The forms normalised, then menu k and form k together: menu title and items padded to
// the menu's line width and cut there, itemCount counted, entryLineCount counted. The
// download sends the image of this copy; agkest's project takes it after a download, so
// that the padded texts are saved with it.
[[nodiscard]] Project normalised_menus_and_forms(const Project& project);
// What the terminal does when its program starts: itemCount of every menu, prompts and
// lookup keys cleared by type and entryLineCount of every form; nothing is padded or cut.
[[nodiscard]] Project recounted_menus_and_forms(const Project& project);

}  // namespace kest
