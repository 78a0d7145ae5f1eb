#include "project/download_image.h"

#include <cstring>
#include <memory>

#include "project/rules.h"

namespace kest {
namespace {

constexpr std::size_t image_offset(std::size_t fileOffset) { return fileOffset - kImageFileShift; }

constexpr std::size_t kTextsAt = image_offset(offsetof(Project, signOn));
constexpr std::size_t kWedgeAt = image_offset(offsetof(Project, wedge));
constexpr std::size_t kOptionsAt = image_offset(offsetof(Project, options));
static_assert(offsetof(Project, barcode) == kImageFileShift);
static_assert(kTextsAt == 16039 && kWedgeAt == 18507 && kOptionsAt == 18562);
static_assert(kOptionsAt + sizeof(ApplicationOptions) == kImageWritten);

// Password bytes the terminal compares in upper case.
constexpr std::size_t kPasswordFirst = offsetof(ApplicationOptions, password);

// Cell text, spaces up to size - 1 characters, and the terminating zero.
u8* emit_cell(u8* out, const char* cell, std::size_t size) {
    const std::size_t n = cell_length(cell, size - 1);
    std::memcpy(out, cell, n);
    std::memset(out + n, ' ', size - 1 - n);
    out[size - 1] = 0;
    return out + size;
}

void emit_wedge(const KeyboardWedgeSettings& wedge, u8* out) {
    std::memcpy(out, &wedge, sizeof wedge);
    // The terminal counts keyboard types from 1.
    out[0] = static_cast<u8>(wedge.keyboardType + 1);
    // Two two-bit fields (lock type at bit 1, character format at bit 3): 1 and 2 are sent
    // as 2 and 3, 0 stays 0. The field never spills into its neighbours.
    u8 flags = wedge.wedgeFlags;
    for (int shift : {1, 3}) {
        const int field = (flags >> shift) & 3;
        if (field == 0) continue;
        const int coded = field < 3 ? field + 1 : 3;
        flags = static_cast<u8>((flags & ~(3 << shift)) | (coded << shift));
    }
    out[1] = flags;
}

void emit_options(const ApplicationOptions& options, u8* out) {
    std::memcpy(out, &options, sizeof options);
    out[offsetof(ApplicationOptions, startObject)] = options.startObject == 0 ? jump::form(0) : jump::menu(0);
    // List indices the terminal counts from 1.
    for (std::size_t at : {offsetof(ApplicationOptions, sendPort), offsetof(ApplicationOptions, receivePort),
                           offsetof(ApplicationOptions, terminalBaud), offsetof(ApplicationOptions, backlight),
                           offsetof(ApplicationOptions, deleteAfterSend), offsetof(ApplicationOptions, ackDisplay)})
        out[at] = static_cast<u8>(out[at] + 1);
    out[offsetof(ApplicationOptions, backlightOff)] = static_cast<u8>(options.backlightOff + '0');
    for (std::size_t i = kPasswordFirst; i < kPasswordFirst + kPasswordLength; ++i)
        if (out[i] >= 'a' && out[i] <= 'z') out[i] = static_cast<u8>(out[i] - 'a' + 'A');
}

}  // namespace

void build_image(const Project& project, DownloadImage& image) {
    // Barcode settings, menus, forms and lookup definitions go over unchanged.
    const auto* tables = reinterpret_cast<const u8*>(&project) + kImageFileShift;
    std::memcpy(image.data(), tables, kTextsAt);

    u8* out = image.data() + kTextsAt;
    for (const auto& row : project.signOn.rows) out = emit_cell(out, row, sizeof row);
    for (int table = 0; table < kTextTableCount; ++table) {
        const auto& info = text_table_info(table);
        for (int row = 0; row < info.rows; ++row) out = emit_cell(out, text_cell(project, table, row), info.cellSize);
    }

    emit_wedge(project.wedge, image.data() + kWedgeAt);
    emit_options(project.options, image.data() + kOptionsAt);
}

DownloadImage prepare_image(const Project& project) {
    const auto normalised = std::make_unique<Project>(normalised_menus_and_forms(project));
    DownloadImage image{};
    build_image(*normalised, image);
    return image;
}

}  // namespace kest
