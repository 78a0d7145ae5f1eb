// Records the simulated terminal builds from typed input come back from the matcher field
// for field, from the right form or reported ambiguous, never from a wrong one.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "project/defaults.h"
#include "project/rules.h"
#include "records/record_output.h"
#include "simulator/bounded_text.h"
#include "simulator/engine.h"
#include "simulator/form_preparation.h"
#include "support/fake_clock.h"

namespace kest::records {
namespace {

using Random = std::mt19937;

int pick(Random& random, int from, int to) { return std::uniform_int_distribution<int>(from, to)(random); }
bool chance(Random& random, int percent) { return pick(random, 1, 100) <= percent; }
template <typename T>
T one_of(Random& random, const std::vector<T>& list) {
    return list[static_cast<std::size_t>(pick(random, 0, static_cast<int>(list.size()) - 1))];
}

// The characters the keypad types, by the line types that take them.
std::string typeable(u8 type) {
    switch (type) {
    case kFieldInteger:
    case kFieldAutoSign: return "0123456789";
    case kFieldReal: return "0123456789.";
    case kFieldLetter: return "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    case kFieldBoolean: return "01TFNY";
    default: return "0123456789.-AZBQ #/*";
    }
}

std::string random_text(Random& random, const std::string& from, int most) {
    std::string out;
    for (int n = pick(random, 0, most); n > 0; --n)
        out += from[static_cast<std::size_t>(pick(random, 0, static_cast<int>(from.size()) - 1))];
    return out;
}

void random_codes(Random& random, u8 (&codes)[10]) {
    const std::string text = random_text(random, "<>#*AB;,|0 .", 3);
    std::memset(codes, 0, sizeof codes);
    std::memcpy(codes, text.data(), text.size());
}

void random_form(Random& random, FormRecord& f) {
    f.recordAction = kRecordStore;
    f.font = chance(random, 15) ? 1 : 0;
    for (int line = 0; line < kFormLines; ++line) {
        const bool afterInput =
            line > 0 && (is_input_line(f.lineType[line - 1]) || f.lineType[line - 1] == kFieldContinuation);
        u8 type = one_of<u8>(random, {kFieldText, kFieldInteger, kFieldReal, kFieldLetter, kFieldAutoSign,
                                      kFieldBoolean, kFieldLookup, kFieldFixedData, kFieldEmpty, kFieldHeading});
        if (afterInput && chance(random, 20)) type = kFieldContinuation;
        f.lineType[line] = type;
        set_cell(f.prompt[line], one_of<const char*>(random, {"Artikel", "Menge", "", "Lager", "X;Y", "Artikel"}));
        f.minLength[line] = 0;
        f.maxLength[line] = 40;
        f.fixedLengthOn[line] = chance(random, 30);
        f.fixedLength[line] = static_cast<u8>(chance(random, 5) ? pick(random, 150, 255) : pick(random, 0, 10));
        f.justify[line] = static_cast<u8>(pick(random, 0, 3));
        f.prefixOn[line] = chance(random, 25);
        random_codes(random, f.prefix[line]);
        f.suffixOn[line] = chance(random, 25);
        random_codes(random, f.suffix[line]);
        f.defaultOn[line] = type == kFieldLookup ? chance(random, 70) : chance(random, 15);
        const std::string preset = random_text(random, typeable(type), 4);
        std::memset(f.defaultValue[line], 0, sizeof f.defaultValue[line]);
        std::memcpy(f.defaultValue[line], preset.data(), preset.size());
        f.fillChar[line] = 0;
    }
    if (!is_input_line(f.lineType[0])) f.lineType[0] = kFieldText;
    f.stampPosition = static_cast<u8>(pick(random, 0, 2));
    f.stampSplit = chance(random, 50);
    f.yearOn = chance(random, 70), f.monthOn = chance(random, 70), f.dayOn = chance(random, 70);
    f.yearDigits = chance(random, 50);
    f.dateSepOn = chance(random, 60);
    set_cell(f.dateSep, one_of<const char*>(random, {".", "/", "-", ""}));
    f.dateOrder = static_cast<u8>(chance(random, 5) ? 3 : pick(random, 0, 2));
    f.hourOn = chance(random, 70), f.minuteOn = chance(random, 70), f.secondOn = chance(random, 70);
    f.timeSepOn = chance(random, 60);
    set_cell(f.timeSep, one_of<const char*>(random, {":", ".", ""}));
}

// Types a text on the simulated keypad: digits, '-' and '.' in numeric mode, letters and
// signs by multi-tap in alpha mode, each letter committed by the timer.
void type_text(sim::Engine& engine, const std::string& text) {
    static constexpr char kDigits[] = "123456789-0.";
    static constexpr char kLetters[][5] = {" ",    "ABC", "DEF",  "GHI", "JKL", "MNO",
                                           "PQRS", "TUV", "WXYZ", "+$",  "/*",  "%#"};
    for (char c : text) {
        const char* digit = std::strchr(kDigits, c);
        const bool alpha = digit == nullptr;
        if (engine.display().alpha != alpha) engine.key(sim::kKeyAlpha);
        if (!alpha) {
            engine.key(static_cast<int>(digit - kDigits) + 1);
            continue;
        }
        for (int key = 0; key < 12; ++key) {
            const char* at = std::strchr(kLetters[key], c);
            if (at == nullptr) continue;
            for (long presses = at - kLetters[key]; presses >= 0; --presses) engine.key(key + 1);
            for (int tick = 0; tick < 7; ++tick) engine.tick();
            break;
        }
    }
    if (engine.display().alpha) engine.key(sim::kKeyAlpha);
}

// What the record keeps of an input: cut at the fixed length, without the fill on its side.
std::string kept(const FormRecord& f, int line, std::string value) {
    if (!f.fixedLengthOn[line]) return value;
    value.resize(std::min<std::size_t>(value.size(), f.fixedLength[line]));
    const char fill = f.justify[line] >= 2 ? '0' : ' ';
    if (f.justify[line] == 1 || f.justify[line] == 3)
        value.erase(0, std::min(value.find_first_not_of(fill), value.size()));
    else
        value.erase(value.find_last_not_of(fill) + 1);
    return value;
}

struct Built {
    std::string record;
    std::array<std::string, kFormLines> expected;  // by line, what the record keeps
    LocalTime time;
};

// Form `form` of the project typed on the simulated terminal: a copy on which it is the
// first form and passes its record down.
Built build_record(Random& random, const Project& project, int form) {
    auto copy = std::make_unique<Project>(project);
    copy->forms[0] = project.forms[form];
    copy->forms[0].recordAction = kRecordPassDown;
    copy->forms[0].nextTarget = 0;
    copy->options.startObject = 0;
    *copy = sim::prepared_forms(normalised_forms(*copy));
    const FormRecord& f = copy->forms[0];

    Built built;
    built.time = {pick(random, 2000, 2099), pick(random, 1, 12), pick(random, 1, 28),
                  pick(random, 0, 23),      pick(random, 0, 59), pick(random, 0, 59)};
    testing::FakeClock clock;
    clock.set_local_time(built.time);
    EditorState editor{};
    sim::Engine engine(*copy, editor, clock);
    engine.forms_prepared();
    engine.show_start_screen();
    EXPECT_EQ(engine.key(1), sim::Outcome::kDone);

    const int lines = line_count(f.font);
    int last = 0;
    for (int line = 0; line < lines; ++line)
        if (is_input_line(f.lineType[line])) last = line;
    for (int line = 0; line < lines; ++line) {
        std::string value =
            f.defaultOn[line] ? std::string(f.defaultValue[line], sim::bounded_length(f.defaultValue[line], 10)) : "";
        if (is_input_line(f.lineType[line]) && line <= last) {
            // A text longer than the display line goes on in the extension line below.
            const bool extended = line + 1 < lines && f.lineType[line + 1] == kFieldContinuation;
            const std::string typed = random_text(random, typeable(f.lineType[line]), extended ? 30 : 6);
            type_text(engine, typed);
            if (!typed.empty()) value = typed;
            engine.key(sim::kKeyEnterLeft);
        }
        built.expected[line] = kept(f, line, value);
    }
    built.record = engine.pass_down();
    return built;
}

TEST(RecordsProperty, SimulatedRecordsComeBackFieldForField) {
    Random random(20261208);
    int exact = 0, ambiguous = 0, full = 0;
    for (int round = 0; round < 400; ++round) {
        auto project = std::make_unique<Project>();
        reset_to_defaults(*project);
        project->options.delimiter1 = one_of<u8>(random, {';', ',', '\t', '.', 0});
        project->options.delimiter2 = one_of<u8>(random, {0, 0, 0, ' ', '|'});
        for (FormRecord& f : project->forms) f.recordAction = kRecordOutput;
        for (MenuRecord& m : project->menus) m.saveTitle = m.saveItemSeparately = 0;
        std::vector<int> forms;
        for (int n = pick(random, 1, 3); n > 0; --n) {
            const int form = pick(random, 0, kFormCount - 1);
            random_form(random, project->forms[form]);
            if (std::find(forms.begin(), forms.end(), form) == forms.end()) forms.push_back(form);
        }
        const ProjectLayouts layouts = project_layouts(*project);
        std::string data;
        std::vector<int> built;
        for (int record = 0; record < 6; ++record) {
            const int form = one_of(random, forms);
            const Built b = build_record(random, *project, form);
            data += b.record + "\r\n";
            built.push_back(form);
            const RecordMatch m = match_record(layouts, b.record);
            if (b.record.size() == sim::kPassDownSize - 1) ++full;
            SCOPED_TRACE("round " + std::to_string(round) + " form " + std::to_string(form + 1) + " record '" +
                         b.record + "'");
            if (m.kind == MatchKind::kAmbiguous) {
                ++ambiguous;
                EXPECT_NE(std::find(m.forms.begin(), m.forms.end(), form), m.forms.end()) << "the form is among them";
                continue;
            }
            ASSERT_EQ(m.kind, MatchKind::kForm) << "a record the terminal builds fits its form";
            ASSERT_EQ(m.split.form, form) << "matched to a wrong form";
            if (m.split.cut) continue;  // the lines after the cut are not in the record
            ++exact;
            for (const Column& c : m.layout->columns) {
                if (c.line >= 0 && c.kind != sim::PieceKind::kFixedData)
                    EXPECT_EQ(m.split.inputs[c.line], b.expected[c.line]) << "line " << c.line + 1;
            }
            const Stamp& s = m.split.stamp;
            const FormRecord& f = project->forms[form];
            if (f.stampPosition != 0 && f.dateOrder <= 2) {
                if (f.yearOn) EXPECT_EQ(s.year, f.yearDigits ? 2000 + b.time.year % 100 : b.time.year);
                if (f.monthOn) EXPECT_EQ(s.month, b.time.month);
                if (f.dayOn) EXPECT_EQ(s.day, b.time.day);
            }
            if (f.stampPosition != 0) {
                if (f.hourOn) EXPECT_EQ(s.hour, b.time.hour);
                if (f.minuteOn) EXPECT_EQ(s.minute, b.time.minute);
                if (f.secondOn) EXPECT_EQ(s.second, b.time.second);
            }
        }
        // The same records as a data file: every line read, none invented.
        const std::vector<ReadRecord> read = read_records(layouts, data);
        ASSERT_EQ(read.size(), built.size());
        for (std::size_t i = 0; i < read.size(); ++i) EXPECT_NE(read[i].match.kind, MatchKind::kUnmatched);
    }
    EXPECT_GT(exact, 3 * ambiguous) << "most records are told apart";
    EXPECT_GT(full, 0) << "some records fill the pass-down buffer";
}

}  // namespace
}  // namespace kest::records
