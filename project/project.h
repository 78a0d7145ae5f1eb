// The project: every table that defines one terminal application, in file order.
// The project file is these tables written back to back (plus a zero trailer), so the
// size and offset of every field below is part of the file format and of the download
// image; all values are single bytes, so the structs carry no padding.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace kest {

using u8 = std::uint8_t;

inline constexpr int kMenuCount = 10;
inline constexpr int kFormCount = 10;
inline constexpr int kFormLines = 8;
inline constexpr int kMenuItems = 10;
inline constexpr int kLookupCount = 3;
inline constexpr int kLookupFields = 8;
inline constexpr int kTextTableCount = 26;

inline constexpr std::size_t kCell15 = 16;  // 15 characters and a terminating zero
inline constexpr std::size_t kCell20 = 21;  // 20 characters and a terminating zero

// JumpTarget: 0 = start screen, 1-10 = form 1-10, 11-20 = menu 1-10.
namespace jump {
inline constexpr u8 kStartScreen = 0;
inline constexpr u8 kFirstForm = 1;
inline constexpr u8 kFirstMenu = 11;
inline constexpr u8 form(int index) { return static_cast<u8>(kFirstForm + index); }
inline constexpr u8 menu(int index) { return static_cast<u8>(kFirstMenu + index); }
inline constexpr int kCount = kFirstMenu + kMenuCount;  // every target, in code order
}  // namespace jump

// lineLookupKey: 0 none, then the lookup fields three times over ("Feld n", "- Feld n",
// "+ Feld n").
inline constexpr int kLookupKeyCount = 1 + 3 * kLookupFields;

// The rates of the serial link, in the order of every rate list (ComSelection, the loader's
// port dialog and command line, the terminal's own rate in ApplicationOptions).
inline constexpr int kRateCount = 5;
inline constexpr std::array<std::uint32_t, kRateCount> kRates = {115200, 57600, 38400, 19200, 9600};

// FieldType: the "Datentyp" of a form line.
enum FieldType : u8 {
    kFieldEmpty = 0,          // "<leer>"
    kFieldText = 1,           // "Text"
    kFieldInteger = 2,        // "Ganzzahl"
    kFieldReal = 3,           // "Realzahl"
    kFieldLetter = 4,         // "Buchstabe"
    kFieldAutoSign = 5,       // "auto(+/-)"
    kFieldBoolean = 6,        // "Boolean"
    kFieldLookup = 7,         // "Lookup"
    kFieldFixedData = 8,      // "fixe Daten"
    kFieldHeading = 9,        // "Überschrift"
    kFieldCounter = 10,       // "Zähler"
    kFieldPassDown = 11,      // "pass down"
    kFieldContinuation = 12,  // "Erweiterung"
};

// RecordAction: what a completed form does with its record.
enum RecordAction : u8 {
    kRecordStore = 0,           // "speichern"
    kRecordUpdateLookup = 1,    // "update Lookup"
    kRecordStoreAndUpdate = 2,  // "speichern & update"
    kRecordPassDown = 3,        // "pass down"
    kRecordOutput = 4,          // "output record"
    kRecordOutputScreen = 5,    // "output screen"
};

struct ProjectVersion {
    char tag[10];
};

struct ComSelection {
    u8 portIndex;  // 0-5 = "COM1" to "COM6"
    u8 rateIndex;  // index into kRates
};

struct BarcodeSettings {
    u8 bytes[23];
};

struct MenuRecord {
    u8 font;  // 0 small, 1 large
    u8 titleEnabled;
    char title[kCell20];
    char items[kMenuItems][kCell20];
    u8 escTarget;
    u8 itemTarget[kMenuItems];
    u8 saveTitle;
    u8 saveItemSeparately;
    u8 saveItemInEachRecord;
    u8 itemCount;    // computed by the download preparation and by the simulator
    u8 currentItem;  // simulator working byte
    u8 runtime;      // simulator working byte
    u8 reserved[100];
};

struct FormRecord {
    u8 font;
    u8 escTarget;
    u8 nextTarget;
    u8 stampPosition;  // 0 none, 1 before the record, 2 at its end
    u8 stampSplit;
    u8 yearOn;
    u8 yearDigits;  // 0 four digits, 1 two digits
    u8 monthOn;
    u8 dayOn;
    u8 dateSepOn;
    char dateSep[2];
    u8 dateOrder;  // 0 Y.M.D, 1 M.D.Y, 2 D.M.Y
    u8 hourOn;
    u8 minuteOn;
    u8 secondOn;
    u8 timeSepOn;
    char timeSep[2];
    u8 recordAction;
    u8 lookupFile;
    u8 lineLookupKey[kFormLines];
    u8 lineType[kFormLines];
    char prompt[kFormLines][kCell20];
    u8 lineSource[kFormLines];  // 0 scanner, 1 keyboard, 2 both
    u8 minLength[kFormLines];
    u8 maxLength[kFormLines];
    u8 fixedLengthOn[kFormLines];
    u8 justify[kFormLines];
    u8 fixedLength[kFormLines];
    u8 defaultOn[kFormLines];
    char defaultValue[kFormLines][10];
    u8 prefixOn[kFormLines];
    u8 prefix[kFormLines][10];
    u8 suffixOn[kFormLines];
    u8 suffix[kFormLines][10];
    u8 substringOn[kFormLines];
    u8 substringStart[kFormLines];
    u8 substringCount[kFormLines];
    u8 checkPrefixOn[kFormLines];
    char checkPrefix[kFormLines][6];
    u8 autoEnter[kFormLines];
    u8 fillChar[kFormLines];
    u8 lineData[kFormLines][50];
    u8 entryLineCount;  // computed by the download preparation and by the simulator
    u8 currentLine;     // simulator working byte
    u8 reserved[200];
};

struct LookupRecord {
    u8 recordLength;
    u8 fieldCount;
    u8 keyField;
    u8 fieldStart[kLookupFields];
    u8 fieldLength[kLookupFields];
    u8 separator;  // 0 = fixed-length fields, else the separator's code
    u8 loadable;
    u8 notFoundAction;
    u8 reserved[100];
};

struct SignOnText {
    char rows[4][kCell15];
};

// The 26 tables of terminal screen texts, in catalogue order.
struct TextTables {
    char t0[4][kCell15];
    char t1[8][kCell20];
    char t2[4][kCell15];
    char t3[4][kCell15];
    char t4[4][kCell15];
    char t5[7][kCell15];
    char t6[8][kCell20];
    char t7[6][kCell20];
    char t8[6][kCell20];
    char t9[5][kCell20];
    char t10[4][kCell20];
    char t11[4][kCell20];
    char t12[6][kCell20];
    char t13[8][kCell20];
    char t14[3][kCell15];
    char t15[5][kCell15];
    char t16[4][kCell20];
    char t17[5][kCell15];
    char t18[5][kCell15];
    char t19[3][kCell15];
    char t20[2][kCell15];
    char t21[4][kCell15];
    char t22[3][kCell15];
    char t23[6][kCell20];
    char t24[8][kCell15];
    char t25[3][kCell20];
};

struct KeyboardWedgeSettings {
    u8 keyboardType;
    u8 wedgeFlags;
    u8 charPause;
    u8 linkTimeout;
    u8 appendCrLf;
    u8 reserved[50];
};

struct ApplicationOptions {
    u8 optionByte;
    u8 startObject;  // 0 form 1, 1 menu 1
    u8 delimiter1;
    u8 delimiter2;
    u8 separateFilePerForm;
    u8 sendPort;
    char phoneNumber[kCell20];
    u8 receivePort;
    u8 terminalBaud;  // index into kRates
    u8 backlight;
    u8 backlightOff;
    u8 deleteAfterSend;
    u8 ackDisplay;
    u8 ackTime;
    u8 protectedArea[12];
    char password[12];
    u8 functionKey[10];
    u8 largeTitles;
    u8 reserved[199];
};

// The project tables in file order. The file adds a trailer of kTrailerSize zero bytes.
struct Project {
    ProjectVersion version;
    ComSelection com;
    BarcodeSettings barcode;
    MenuRecord menus[kMenuCount];
    FormRecord forms[kFormCount];
    LookupRecord lookups[kLookupCount];
    SignOnText signOn;
    TextTables texts;
    KeyboardWedgeSettings wedge;
    ApplicationOptions options;
};

inline constexpr std::size_t kTrailerSize = 100;
inline constexpr std::size_t kProjectFileSize = 18942;
inline constexpr char kProjectTag[] = "KEST-1.00";

// State of the running editor; never saved.
struct EditorState {
    std::string fileName;  // empty for a new project
    bool modified = false;
    std::string programDir;  // ends with the path separator
    int recordCount = 0;     // the simulator's record counter
};

// The catalogue of the terminal screen text tables.
struct TextTableInfo {
    const char* label;  // as listed in the startup page's selector (Windows-1252)
    int rows;
    std::size_t cellSize;  // kCell15 or kCell20
    int shownSmall;        // lines the startup page edits
    int shownLarge;        // lines it edits with large titles
    std::size_t fileOffset;
};

const TextTableInfo& text_table_info(int index);
char* text_cell(Project& project, int table, int row);
const char* text_cell(const Project& project, int table, int row);
char* text_cell(TextTables& texts, int table, int row);
const char* text_cell(const TextTables& texts, int table, int row);

// Length of the text in a cell: up to its terminator or size, whichever comes first.
std::size_t cell_length(const char* cell, std::size_t size);
// Text in a cell, up to its terminator or the end of the cell, whichever comes first.
std::string cell_text(const char* cell, std::size_t size);
template <std::size_t N>
std::string cell_text(const char (&cell)[N]) {
    return cell_text(cell, N);
}
// Copies text into a cell, cut to size - 1 characters, and zero-terminates it.
void set_cell(char* cell, std::size_t size, const std::string& text);
template <std::size_t N>
void set_cell(char (&cell)[N], const std::string& text) {
    set_cell(cell, N, text);
}
// Copies the text of a source slot (up to its terminator or its end) into a cell, cut to
// size - 1 characters, and clears the rest of the cell.
void copy_cell(char* cell, std::size_t size, const char* source, std::size_t sourceSize);

}  // namespace kest
