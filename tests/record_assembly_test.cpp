#include "simulator/record_assembly.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "simulator_fixture.h"

namespace kest::sim::testing {
namespace {

std::string joined(const RecordAssembly& record) {
    std::string text;
    for (const RecordPiece& piece : record.pieces()) {
        EXPECT_EQ(piece.offset, static_cast<int>(text.size())) << "pieces follow one another";
        text += record.text_of(piece);
    }
    return text;
}

struct Piece {
    PieceKind kind;
    int line;
    std::string text;
    bool operator==(const Piece&) const = default;
};

std::vector<Piece> pieces(const RecordAssembly& record) {
    std::vector<Piece> out;
    for (const RecordPiece& p : record.pieces()) out.push_back({p.kind, p.line, std::string(record.text_of(p))});
    return out;
}

// What a reader of received records learns from the pieces: which line each field comes
// from, what is fill, what is delimiter or code.
TEST(RecordAssembly, PiecesNameEveryPartOfTheRecord) {
    using K = PieceKind;
    FormRecord form{};
    ApplicationOptions options{};
    options.delimiter1 = ',';
    form.lineType[0] = kFieldInteger;
    form.lineType[1] = kFieldText;
    form.lineType[2] = kFieldContinuation;
    form.lineType[3] = kFieldFixedData;
    set_cell(form.prompt[3], "FIX");
    form.fixedLengthOn[0] = 1, form.fixedLength[0] = 5, form.justify[0] = 3;
    form.suffixOn[1] = 1, form.suffix[1][0] = '#';
    form.stampPosition = 2, form.hourOn = 1, form.minuteOn = 1, form.timeSepOn = 1;
    std::memcpy(form.timeSep, ":", 2);
    const LineInputs inputs = {"12", "AB", "CD", "", "", "", "", ""};
    RecordAssembly record;
    record.assemble(form, options, inputs, LocalTime{2026, 1, 2, 9, 7, 0});
    EXPECT_STREQ(record.text(), "00012,ABCD#,FIX,09:07:");  // a separator before the second, which is off
    const std::vector<Piece> expected = {
        {K::kPadding, 0, "000"}, {K::kValue, 0, "12"},         {K::kDelimiter, -1, ","},  {K::kValue, 1, "ABCD"},
        {K::kSuffix, 1, "#"},    {K::kDelimiter, -1, ","},     {K::kFixedData, 3, "FIX"}, {K::kDelimiter, -1, ","},
        {K::kHour, -1, "09"},    {K::kTimeSeparator, -1, ":"}, {K::kMinute, -1, "07"},    {K::kTimeSeparator, -1, ":"},
    };
    EXPECT_EQ(pieces(record), expected);
    EXPECT_EQ(record.pieces()[0].fill, '0');
    EXPECT_TRUE(record.pieces()[0].left);

    record.cut(8);
    EXPECT_STREQ(record.text(), "00012,AB");
    EXPECT_EQ(joined(record), "00012,AB");
}

TEST(RecordAssembly, CapacityCutsThePieces) {
    FormRecord form{};
    ApplicationOptions options{};
    for (int line = 0; line < kFormLines; ++line) {
        form.lineType[line] = kFieldText;
        form.fixedLengthOn[line] = 1;
        form.fixedLength[line] = 60;  // eight times 60 characters, more than the record holds
    }
    const LineInputs inputs = {"a", "b", "c", "d", "e", "f", "g", "h"};
    RecordAssembly record;
    record.assemble(form, options, inputs, LocalTime{});
    EXPECT_EQ(record.length(), kPassDownSize - 1);
    EXPECT_EQ(joined(record), record.text());
    for (const RecordPiece& piece : record.pieces()) {
        if (piece.line == 7) {
            EXPECT_EQ(piece.length, 0) << "line 8 is past the capacity";
        }
    }
}

// Random "pass down" forms filled in on the simulated terminal: whatever the form, the
// pieces are the record the engine passes down, also once a pass-down line has cut it,
// and each piece is what its kind says.
class RecordPieces : public SimulatorTest {
protected:
    std::mt19937 random{20260517};
    int pick(int count) { return static_cast<int>(random() % static_cast<unsigned>(count)); }

    void random_form() {
        static const u8 kTypes[] = {kFieldText,     kFieldInteger, kFieldReal,   kFieldLetter,
                                    kFieldAutoSign, kFieldBoolean, kFieldLookup, kFieldFixedData,
                                    kFieldHeading,  kFieldCounter, kFieldEmpty,  kFieldContinuation};
        reset_to_defaults(*project);
        project->options.delimiter1 = static_cast<u8>(pick(2) ? ';' : 0);
        project->options.delimiter2 = static_cast<u8>(pick(3) ? 0 : '|');
        FormRecord& f = project->forms[0];
        f.font = static_cast<u8>(pick(4) == 0);
        f.recordAction = kRecordPassDown;
        f.nextTarget = static_cast<u8>(pick(2) ? jump::form(1) : 0);
        f.stampPosition = static_cast<u8>(pick(3));
        for (u8* on : {&f.stampSplit, &f.yearOn, &f.yearDigits, &f.monthOn, &f.dayOn, &f.dateSepOn, &f.hourOn,
                       &f.minuteOn, &f.secondOn, &f.timeSepOn})
            *on = static_cast<u8>(pick(2));
        f.dateOrder = static_cast<u8>(pick(4));
        for (int line = 0; line < kFormLines; ++line) {
            f.lineType[line] = line == 0 ? u8{kFieldText} : kTypes[pick(sizeof kTypes)];
            set_cell(f.prompt[line], std::string(static_cast<std::size_t>(pick(6)), 'P'));
            f.maxLength[line] = static_cast<u8>(1 + pick(50));
            f.defaultOn[line] = static_cast<u8>(pick(3) == 0);
            set_cell(f.defaultValue[line], "d" + std::to_string(line));
            f.prefixOn[line] = static_cast<u8>(pick(3) == 0);
            f.suffixOn[line] = static_cast<u8>(pick(3) == 0);
            std::memset(f.prefix[line], '<', static_cast<std::size_t>(pick(11)));
            std::memset(f.suffix[line], '>', static_cast<std::size_t>(pick(11)));
            f.fixedLengthOn[line] = static_cast<u8>(pick(3) == 0);
            f.fixedLength[line] = static_cast<u8>(pick(70));
            f.justify[line] = static_cast<u8>(pick(5));
        }
        // Form 2 shows the record on a pass-down line, which cuts it to what the line holds.
        FormRecord& next = project->forms[1];
        next.lineType[0] = kFieldPassDown;
        set_cell(next.prompt[0], std::string(static_cast<std::size_t>(pick(21)), 'Q'));
        next.font = static_cast<u8>(pick(2));
        next.lineType[1] = kFieldText;
        clock.set_local_time({2000 + pick(100), 1 + pick(12), 1 + pick(28), pick(24), pick(60), pick(60)});
    }

    void check_pieces(const RecordAssembly& record, const FormRecord& f) {
        for (const RecordPiece& piece : record.pieces()) {
            const std::string text(record.text_of(piece));
            switch (piece.kind) {
            case PieceKind::kDelimiter: EXPECT_TRUE(text.empty() || text == ";" || text == "|") << text; break;
            case PieceKind::kPrefix: EXPECT_EQ(text.find_first_not_of('<'), std::string::npos) << text; break;
            case PieceKind::kSuffix: EXPECT_EQ(text.find_first_not_of('>'), std::string::npos) << text; break;
            case PieceKind::kPadding:
                EXPECT_EQ(text.find_first_not_of(piece.fill), std::string::npos) << text;
                EXPECT_TRUE(f.fixedLengthOn[piece.line]);
                break;
            case PieceKind::kFixedData: EXPECT_EQ(f.lineType[piece.line], kFieldFixedData); break;
            case PieceKind::kValue:
            case PieceKind::kLookupValue:
                EXPECT_GE(piece.line, 0);
                if (f.fixedLengthOn[piece.line]) {
                    EXPECT_LE(piece.length, f.fixedLength[piece.line]);
                }
                break;
            case PieceKind::kDateSeparator:
            case PieceKind::kTimeSeparator: break;
            default: EXPECT_EQ(text.find_first_not_of("0123456789"), std::string::npos) << text; break;
            }
        }
    }
};

TEST_F(RecordPieces, AlwaysMakeUpTheRecordPassedDown) {
    int records = 0;
    for (int round = 0; round < 300; ++round) {
        random_form();
        start_form1();
        for (int step = 0; step < 200 && engine->current_object() == jump::form(0); ++step) {
            const int choice = pick(10);
            if (choice < 6)
                engine->key(1 + pick(12));
            else if (choice < 7)
                engine->key(kKeyAlpha);
            else if (choice < 8)
                ticks(7);
            else
                engine->key(kKeyEnterLeft);
            if (state() == kStateMessage) engine->key(kKeyEsc);
        }
        if (engine->record_count() == 0) continue;
        ++records;
        SCOPED_TRACE("round " + std::to_string(round));
        EXPECT_EQ(joined(engine->record()), engine->pass_down());
        check_pieces(engine->record(), project->forms[0]);
    }
    EXPECT_GT(records, 100);
}

}  // namespace
}  // namespace kest::sim::testing
