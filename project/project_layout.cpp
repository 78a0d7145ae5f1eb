// Compile-time proof of the byte layout of the project tables: the project file and the
// download image depend on every size and offset here.
#include <type_traits>

#include "project/project.h"

namespace kest {

#define KEST_AT(type, field, offset) static_assert(offsetof(type, field) == (offset), #type "." #field)

static_assert(std::is_standard_layout_v<Project> && std::is_trivially_copyable_v<Project>);

static_assert(sizeof(ProjectVersion) == 10);
static_assert(sizeof(ComSelection) == 2);
static_assert(sizeof(BarcodeSettings) == 23);

static_assert(sizeof(MenuRecord) == 350);
KEST_AT(MenuRecord, font, 0);
KEST_AT(MenuRecord, titleEnabled, 1);
KEST_AT(MenuRecord, title, 2);
KEST_AT(MenuRecord, items, 23);
KEST_AT(MenuRecord, escTarget, 233);
KEST_AT(MenuRecord, itemTarget, 234);
KEST_AT(MenuRecord, saveTitle, 244);
KEST_AT(MenuRecord, saveItemSeparately, 245);
KEST_AT(MenuRecord, saveItemInEachRecord, 246);
KEST_AT(MenuRecord, itemCount, 247);
KEST_AT(MenuRecord, currentItem, 248);
KEST_AT(MenuRecord, runtime, 249);
KEST_AT(MenuRecord, reserved, 250);

static_assert(sizeof(FormRecord) == 1215);
KEST_AT(FormRecord, font, 0);
KEST_AT(FormRecord, escTarget, 1);
KEST_AT(FormRecord, nextTarget, 2);
KEST_AT(FormRecord, stampPosition, 3);
KEST_AT(FormRecord, stampSplit, 4);
KEST_AT(FormRecord, yearOn, 5);
KEST_AT(FormRecord, yearDigits, 6);
KEST_AT(FormRecord, monthOn, 7);
KEST_AT(FormRecord, dayOn, 8);
KEST_AT(FormRecord, dateSepOn, 9);
KEST_AT(FormRecord, dateSep, 10);
KEST_AT(FormRecord, dateOrder, 12);
KEST_AT(FormRecord, hourOn, 13);
KEST_AT(FormRecord, minuteOn, 14);
KEST_AT(FormRecord, secondOn, 15);
KEST_AT(FormRecord, timeSepOn, 16);
KEST_AT(FormRecord, timeSep, 17);
KEST_AT(FormRecord, recordAction, 19);
KEST_AT(FormRecord, lookupFile, 20);
KEST_AT(FormRecord, lineLookupKey, 21);
KEST_AT(FormRecord, lineType, 29);
KEST_AT(FormRecord, prompt, 37);
KEST_AT(FormRecord, lineSource, 205);
KEST_AT(FormRecord, minLength, 213);
KEST_AT(FormRecord, maxLength, 221);
KEST_AT(FormRecord, fixedLengthOn, 229);
KEST_AT(FormRecord, justify, 237);
KEST_AT(FormRecord, fixedLength, 245);
KEST_AT(FormRecord, defaultOn, 253);
KEST_AT(FormRecord, defaultValue, 261);
KEST_AT(FormRecord, prefixOn, 341);
KEST_AT(FormRecord, prefix, 349);
KEST_AT(FormRecord, suffixOn, 429);
KEST_AT(FormRecord, suffix, 437);
KEST_AT(FormRecord, substringOn, 517);
KEST_AT(FormRecord, substringStart, 525);
KEST_AT(FormRecord, substringCount, 533);
KEST_AT(FormRecord, checkPrefixOn, 541);
KEST_AT(FormRecord, checkPrefix, 549);
KEST_AT(FormRecord, autoEnter, 597);
KEST_AT(FormRecord, fillChar, 605);
KEST_AT(FormRecord, lineData, 613);
KEST_AT(FormRecord, entryLineCount, 1013);
KEST_AT(FormRecord, currentLine, 1014);
KEST_AT(FormRecord, reserved, 1015);

static_assert(sizeof(LookupRecord) == 122);
KEST_AT(LookupRecord, recordLength, 0);
KEST_AT(LookupRecord, fieldCount, 1);
KEST_AT(LookupRecord, keyField, 2);
KEST_AT(LookupRecord, fieldStart, 3);
KEST_AT(LookupRecord, fieldLength, 11);
KEST_AT(LookupRecord, separator, 19);
KEST_AT(LookupRecord, loadable, 20);
KEST_AT(LookupRecord, notFoundAction, 21);
KEST_AT(LookupRecord, reserved, 22);

static_assert(sizeof(SignOnText) == 64);
static_assert(sizeof(TextTables) == 2404);

static_assert(sizeof(KeyboardWedgeSettings) == 55);
KEST_AT(KeyboardWedgeSettings, keyboardType, 0);
KEST_AT(KeyboardWedgeSettings, wedgeFlags, 1);
KEST_AT(KeyboardWedgeSettings, charPause, 2);
KEST_AT(KeyboardWedgeSettings, linkTimeout, 3);
KEST_AT(KeyboardWedgeSettings, appendCrLf, 4);
KEST_AT(KeyboardWedgeSettings, reserved, 5);

static_assert(sizeof(ApplicationOptions) == 268);
KEST_AT(ApplicationOptions, optionByte, 0);
KEST_AT(ApplicationOptions, startObject, 1);
KEST_AT(ApplicationOptions, delimiter1, 2);
KEST_AT(ApplicationOptions, delimiter2, 3);
KEST_AT(ApplicationOptions, separateFilePerForm, 4);
KEST_AT(ApplicationOptions, sendPort, 5);
KEST_AT(ApplicationOptions, phoneNumber, 6);
KEST_AT(ApplicationOptions, receivePort, 27);
KEST_AT(ApplicationOptions, terminalBaud, 28);
KEST_AT(ApplicationOptions, backlight, 29);
KEST_AT(ApplicationOptions, backlightOff, 30);
KEST_AT(ApplicationOptions, deleteAfterSend, 31);
KEST_AT(ApplicationOptions, ackDisplay, 32);
KEST_AT(ApplicationOptions, ackTime, 33);
KEST_AT(ApplicationOptions, protectedArea, 34);
KEST_AT(ApplicationOptions, password, 46);
KEST_AT(ApplicationOptions, functionKey, 58);
KEST_AT(ApplicationOptions, largeTitles, 68);
KEST_AT(ApplicationOptions, reserved, 69);

// File offsets of the tables.
static_assert(sizeof(Project) + kTrailerSize == kProjectFileSize);
KEST_AT(Project, version, 0);
KEST_AT(Project, com, 10);
KEST_AT(Project, barcode, 12);
KEST_AT(Project, menus, 35);
KEST_AT(Project, forms, 3535);
KEST_AT(Project, lookups, 15685);
KEST_AT(Project, signOn, 16051);
KEST_AT(Project, texts, 16115);
KEST_AT(Project, wedge, 18519);
KEST_AT(Project, options, 18574);

// The text tables, each at its file offset.
#define KEST_TEXT_AT(field, offset) \
    static_assert(offsetof(Project, texts) + offsetof(TextTables, field) == (offset), #field)
KEST_TEXT_AT(t0, 16115);
KEST_TEXT_AT(t1, 16179);
KEST_TEXT_AT(t2, 16347);
KEST_TEXT_AT(t3, 16411);
KEST_TEXT_AT(t4, 16475);
KEST_TEXT_AT(t5, 16539);
KEST_TEXT_AT(t6, 16651);
KEST_TEXT_AT(t7, 16819);
KEST_TEXT_AT(t8, 16945);
KEST_TEXT_AT(t9, 17071);
KEST_TEXT_AT(t10, 17176);
KEST_TEXT_AT(t11, 17260);
KEST_TEXT_AT(t12, 17344);
KEST_TEXT_AT(t13, 17470);
KEST_TEXT_AT(t14, 17638);
KEST_TEXT_AT(t15, 17686);
KEST_TEXT_AT(t16, 17766);
KEST_TEXT_AT(t17, 17850);
KEST_TEXT_AT(t18, 17930);
KEST_TEXT_AT(t19, 18010);
KEST_TEXT_AT(t20, 18058);
KEST_TEXT_AT(t21, 18090);
KEST_TEXT_AT(t22, 18154);
KEST_TEXT_AT(t23, 18202);
KEST_TEXT_AT(t24, 18328);
KEST_TEXT_AT(t25, 18456);

}  // namespace kest
