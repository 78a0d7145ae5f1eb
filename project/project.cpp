#include "project/project.h"

#include <cstring>

namespace kest {
namespace {

// Labels are Windows-1252 ("\xFC" is u-umlaut).
constexpr TextTableInfo kCatalogue[kTextTableCount] = {
    {"Hauptmen\xFC (3x15)", 4, kCell15, 3, 3, 16115},       {"Utilities (8x20)", 8, kCell20, 8, 8, 16179},
    {"Daten loeschen (4x15)", 4, kCell15, 4, 4, 16347},     {"Quittierung (3x15)", 4, kCell15, 4, 4, 16411},
    {"Speicher/Batterie (4x15)", 4, kCell15, 4, 4, 16475},  {"Lookup laden(7x15)", 7, kCell15, 7, 7, 16539},
    {"Einstellungen (8x20)", 8, kCell20, 8, 8, 16651},      {"Sendeschnittstelle (6x20)", 6, kCell20, 6, 6, 16819},
    {"Empfangsschnittst. (6x20)", 6, kCell20, 6, 5, 16945}, {"Baudrate (5x20)", 5, kCell20, 5, 5, 17071},
    {"Beleuchtung (4x20)", 4, kCell20, 4, 4, 17176},        {"Daten loeschen (4x20)", 4, kCell20, 4, 4, 17260},
    {"Eintrittsoptionen (6x20)", 6, kCell20, 6, 4, 17344},  {"alle Einstellungen (8x20)", 8, kCell20, 8, 6, 17470},
    {"Systemfehler (3x15)", 3, kCell15, 3, 3, 17638},       {"Daten senden (5x15)", 5, kCell15, 5, 5, 17686},
    {"Telefonnummer (4x20)", 4, kCell20, 4, 2, 17766},      {"Record speichern (5x15)", 5, kCell15, 5, 5, 17850},
    {"Record loeschen(5x15)", 5, kCell15, 5, 5, 17930},     {"Automat.Daten loeschen (3x15)", 3, kCell15, 3, 3, 18010},
    {"Passwort setzen (2x15)", 2, kCell15, 2, 2, 18058},    {"Verbindung (4x15)", 4, kCell15, 4, 4, 18090},
    {"Modem Verbindung (3x15)", 3, kCell15, 3, 3, 18154},   {"Fehlermeldungen (6x20)", 6, kCell20, 6, 5, 18202},
    {"Miscellaneous (8x15)", 8, kCell15, 8, 8, 18328},      {"Misc - continuous (3x20)", 3, kCell20, 3, 3, 18456},
};

constexpr std::size_t kTextsOffset = offsetof(Project, texts);

}  // namespace

const TextTableInfo& text_table_info(int index) { return kCatalogue[index]; }

char* text_cell(TextTables& texts, int table, int row) {
    const auto& info = kCatalogue[table];
    auto* base = reinterpret_cast<char*>(&texts);
    return base + (info.fileOffset - kTextsOffset) + static_cast<std::size_t>(row) * info.cellSize;
}

const char* text_cell(const TextTables& texts, int table, int row) {
    return text_cell(const_cast<TextTables&>(texts), table, row);
}

char* text_cell(Project& project, int table, int row) { return text_cell(project.texts, table, row); }

const char* text_cell(const Project& project, int table, int row) { return text_cell(project.texts, table, row); }

std::size_t cell_length(const char* cell, std::size_t size) {
    std::size_t n = 0;
    while (n < size && cell[n] != '\0') ++n;
    return n;
}

std::string cell_text(const char* cell, std::size_t size) { return std::string(cell, cell_length(cell, size)); }

void set_cell(char* cell, std::size_t size, const std::string& text) {
    const std::size_t n = text.size() < size - 1 ? text.size() : size - 1;
    std::memcpy(cell, text.data(), n);
    cell[n] = '\0';
}

void copy_cell(char* cell, std::size_t size, const char* source, std::size_t sourceSize) {
    std::size_t n = 0;
    while (n < sourceSize && n + 1 < size && source[n] != '\0') ++n;
    std::memcpy(cell, source, n);
    std::memset(cell + n, 0, size - n);
}

}  // namespace kest
