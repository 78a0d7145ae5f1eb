#include "project/older_layout.h"

#include <cstring>

namespace kest::older {
namespace {

const char* text_at(const unsigned char* p) { return reinterpret_cast<const char*>(p); }

// A run of text rows of the older file copied into a text table.
struct TextRun {
    std::size_t offset;  // start of the older block
    std::size_t cell;    // its row width, the same as the table's
    int fromRow;
    int count;
    int table;
    int toRow;
    bool extensionOnly;  // only when the extension block is present
};

constexpr TextRun kTextRuns[] = {
    {8668, kCell15, 0, 3, 0, 0, false},   {8732, kCell20, 0, 8, 1, 0, false},   {8900, kCell15, 0, 4, 2, 0, false},
    {8964, kCell15, 0, 3, 3, 0, false},   {9028, kCell15, 0, 4, 4, 0, false},   {9092, kCell15, 0, 4, 5, 0, false},
    {9156, kCell20, 0, 8, 6, 0, false},   {9324, kCell20, 0, 1, 7, 0, false},   {9324, kCell20, 3, 2, 7, 3, false},
    {9324, kCell20, 6, 2, 25, 1, false},  {9492, kCell20, 0, 2, 8, 0, false},   {9492, kCell20, 4, 1, 8, 4, false},
    {9660, kCell20, 0, 5, 9, 0, false},   {9765, kCell20, 0, 4, 10, 0, false},  {9849, kCell20, 0, 4, 11, 0, false},
    {9933, kCell20, 2, 2, 12, 4, true},   {10017, kCell20, 1, 7, 13, 0, false}, {10185, kCell15, 0, 4, 21, 0, false},
    {10249, kCell20, 0, 4, 23, 0, false}, {10249, kCell20, 4, 1, 23, 5, false}, {10354, kCell15, 0, 7, 24, 0, false},
};

void convert_menu(const unsigned char* old, MenuRecord& m) {
    // Same layout for the first 250 bytes; the texts are copied as strings.
    std::memcpy(&m, old, kMenuSize);
    copy_cell(m.title, kCell20, text_at(old + offsetof(MenuRecord, title)), kCell20);
    for (int i = 0; i < 10; ++i)
        copy_cell(m.items[i], kCell20, text_at(old + offsetof(MenuRecord, items) + i * kCell20), kCell20);
}

u8 renumber_line_type(u8 type) {
    switch (type) {
    case 5: return kFieldFixedData;
    case 6: return kFieldHeading;
    case 8: return kFieldContinuation;
    case 9: return kFieldBoolean;
    default: return type;
    }
}

// The older form kept its date and time stamp as two codes; they become the stamp fields.
void convert_stamp(u8 date, u8 time, FormRecord& f) {
    const bool hasDate = date != 0;
    const bool hasTime = time != 0;
    if (!hasDate && !hasTime)
        f.stampPosition = 0;
    else if (hasDate)
        f.stampPosition = date < 7 ? 2 : 1;
    else
        f.stampPosition = time < 5 ? 2 : 1;
    f.stampSplit = (hasDate && hasTime) || (!hasDate && !hasTime) ? 1 : 0;

    if (hasDate) {
        f.yearOn = 1;
        f.yearDigits = 0;
        f.monthOn = 1;
        f.dayOn = 1;
        const int m6 = date % 6;
        f.dateSepOn = m6 >= 1 && m6 <= 3 ? 1 : 0;
        const int m3 = date % 3;
        f.dateOrder = m3 == 1 ? 0 : m3 == 2 ? 1 : 2;
    } else {
        const u8 on = hasTime ? 0 : 1;
        f.yearOn = on;
        f.yearDigits = 0;
        f.monthOn = on;
        f.dayOn = on;
        f.dateSepOn = on;
    }

    if (hasTime) {
        f.hourOn = 1;
        f.minuteOn = 1;
        f.secondOn = time & 1;
        const int m4 = time % 4;
        f.timeSepOn = m4 == 1 || m4 == 2 ? 1 : 0;
    } else {
        const u8 on = hasDate ? 0 : 1;
        f.hourOn = on;
        f.minuteOn = on;
        f.secondOn = on;
        f.timeSepOn = on;
    }
    f.dateSep[0] = '.';
    f.dateSep[1] = 0;
    f.timeSep[0] = ':';
    f.timeSep[1] = 0;
}

// The older form is the current one without the lineData slots and with a stamp area 14
// bytes shorter: every line field sits 14 bytes earlier.
constexpr std::size_t kLineShift = 14;
constexpr std::size_t kLineFieldsBegin = offsetof(FormRecord, lineLookupKey);
constexpr std::size_t kLineFieldsEnd = offsetof(FormRecord, lineData);

void convert_form(const unsigned char* old, FormRecord& f) {
    f.font = old[0];
    f.escTarget = old[1];
    f.nextTarget = old[2];
    convert_stamp(old[3], old[4], f);
    f.recordAction = old[5];
    f.lookupFile = old[6];

    auto* raw = reinterpret_cast<unsigned char*>(&f);
    std::memcpy(raw + kLineFieldsBegin, old + kLineFieldsBegin - kLineShift, kLineFieldsEnd - kLineFieldsBegin);
    auto old_text = [&](std::size_t newOffset) { return text_at(old + newOffset - kLineShift); };
    for (int line = 0; line < kFormLines; ++line) {
        copy_cell(f.prompt[line], kCell20, old_text(offsetof(FormRecord, prompt) + line * kCell20), kCell20);
        copy_cell(f.defaultValue[line], 10, old_text(offsetof(FormRecord, defaultValue) + line * 10), 10);
        copy_cell(f.checkPrefix[line], 6, old_text(offsetof(FormRecord, checkPrefix) + line * 6), 6);
        f.lineType[line] = renumber_line_type(f.lineType[line]);
    }
    f.entryLineCount = old[599];
    f.currentLine = old[600];
}

void convert_settings(const unsigned char* g, Project& project) {
    u8* b = project.barcode.bytes;
    for (int n : {0, 1, 5, 6, 9, 10}) b[n] = g[n];
    for (int n = 12; n <= 22; ++n) b[n] = g[n];
    // The bits the barcode defaults leave alone keep their values here too.
    b[2] = static_cast<u8>((g[2] & 0xFE) | (b[2] & 0x01));
    b[7] = static_cast<u8>((g[7] & 0xF8) | (b[7] & 0x07));
    b[11] = static_cast<u8>((g[11] & ~0x20) | (b[11] & 0x20));
    project.wedge.keyboardType = g[3];
    project.wedge.wedgeFlags = g[4];
    project.wedge.charPause = g[8];
    project.wedge.linkTimeout = g[23];
}

void convert_options(const unsigned char* o, ApplicationOptions& a) {
    a.sendPort = o[0];
    a.receivePort = o[1];
    a.terminalBaud = o[2];
    a.backlight = o[3];
    a.backlightOff = o[4] != 0 ? static_cast<u8>(o[4] - '0') : 0;  // stored as a digit
    a.deleteAfterSend = o[5];
    a.ackDisplay = o[6] == 0 ? 1 : 0;
    std::memcpy(a.protectedArea, o + 8, sizeof a.protectedArea);
}

void convert_extension(const unsigned char* x, Project& project) {
    project.wedge.appendCrLf = x[1];
    for (int n = 0; n < kLookupCount; ++n) {
        project.lookups[n].separator = x[2 + n];
        project.lookups[n].loadable = x[5 + n];
        project.lookups[n].notFoundAction = x[8 + n];
    }
    project.options.separateFilePerForm = x[11];
}

}  // namespace

void convert(const unsigned char* file, std::size_t size, Project& project) {
    const bool extension = size >= kExtension + kExtensionSize && file[kExtension] == kExtensionMark;

    project.com.portIndex = file[kCom];
    project.com.rateIndex = file[kCom + 1];
    project.options.startObject = file[kStartObject];
    convert_settings(file + kSettings, project);
    for (int i = 0; i < kMenuCount; ++i) convert_menu(file + kMenus + i * kMenuSize, project.menus[i]);
    for (int i = 0; i < kFormCount; ++i) convert_form(file + kForms + i * kFormSize, project.forms[i]);
    for (int i = 0; i < kLookupCount; ++i)
        std::memcpy(&project.lookups[i], file + kLookups + i * kLookupSize, kLookupSize);
    project.options.delimiter1 = file[kDelimiters];
    project.options.delimiter2 = file[kDelimiters + 1];

    for (const TextRun& run : kTextRuns) {
        if (run.extensionOnly && !extension) continue;
        for (int i = 0; i < run.count; ++i)
            copy_cell(text_cell(project, run.table, run.toRow + i), run.cell,
                      text_at(file + run.offset + (run.fromRow + i) * run.cell), run.cell);
    }

    convert_options(file + kOptions, project.options);
    copy_cell(project.options.password, sizeof project.options.password, text_at(file + kPassword), 10);
    if (extension) convert_extension(file + kExtension, project);
}

}  // namespace kest::older
