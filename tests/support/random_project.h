// Random projects as the generator's pages make them: forms with every line type, prompts
// with characters that markup would read (<, &, quotes) and umlauts, lengths, options,
// stamps and targets; menus with titles, items and targets; lookups, settings and a few
// changed texts. Every value is one a page can produce.
#pragma once

#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "project/defaults.h"
#include "project/project.h"
#include "tests/support/projects.h"

namespace kest::testing {

class RandomProject {
public:
    explicit RandomProject(unsigned seed) : random_(seed) {}

    std::unique_ptr<Project> make() {
        auto p = new_project();
        p->options.startObject = pick(2);
        static const u8 kDelimiters[] = {';', ',', 0, '|', '\t'};
        p->options.delimiter1 = kDelimiters[pick(5)];
        p->options.delimiter2 = p->options.delimiter1 && chance(4) ? ':' : 0;
        for (int k = 0; k < kFormCount; ++k)
            if (chance(2) || k == 0) form(p->forms[k]);
        for (auto& m : p->menus)
            if (chance(2)) menu(m);
        for (auto& l : p->lookups) lookup(l);
        p->options.largeTitles = pick(2);
        apply_large_titles(*p, p->options.largeTitles);
        for (int i = 0; i < 3; ++i) {
            const int table = pick(kTextTableCount);
            set_cell(text_cell(*p, table, 0), text_table_info(table).cellSize, text(15));
        }
        if (chance(2)) set_cell(p->options.password, "Pw" + std::to_string(pick(1000)));
        for (auto& a : p->options.protectedArea) a = pick(2);
        for (auto& key : p->options.functionKey) key = chance(3) ? pick(19) : 0;
        p->options.ackTime = pick(100);
        p->options.backlight = pick(2);
        for (int i = 0; i < 3; ++i) p->barcode.bytes[pick(12)] ^= static_cast<u8>(1u << pick(8));
        return p;
    }

private:
    u8 pick(unsigned n) { return static_cast<u8>(random_() % n); }
    bool chance(unsigned n) { return random_() % n == 0; }

    std::string text(unsigned most) {
        static const char kChars[] = "ABCabc0123 <>&\"'.:-\xE4\xF6\xFC\xDF\xC4";
        std::string s;
        for (unsigned n = pick(most + 1); n > 0; --n) s += kChars[pick(sizeof kChars - 1)];
        return s;
    }

    void codes(u8 (&slot)[10]) {
        std::memset(slot, 0, sizeof slot);
        for (int i = 0, n = pick(11); i < n; ++i) slot[i] = static_cast<u8>(1 + pick(255));
    }

    void form(FormRecord& f) {
        f.font = chance(4);
        f.escTarget = pick(21);
        f.nextTarget = pick(21);
        f.recordAction = pick(6);
        f.lookupFile = pick(4);
        f.stampPosition = pick(3);
        for (u8* flag : {&f.stampSplit, &f.yearOn, &f.yearDigits, &f.monthOn, &f.dayOn, &f.dateSepOn, &f.hourOn,
                         &f.minuteOn, &f.secondOn, &f.timeSepOn})
            *flag = pick(2);
        f.dateOrder = pick(3);
        const int width = f.font ? 15 : 20;
        for (int n = 0; n < (f.font ? 4 : kFormLines); ++n) {
            const u8 type = pick(13);
            f.lineType[n] = type;
            if (type == kFieldEmpty || type == kFieldContinuation) continue;
            set_cell(f.prompt[n], text(static_cast<unsigned>(width)));
            f.lineSource[n] = pick(3);
            // The page edits the lengths of input lines only.
            if (type >= kFieldText && type < kFieldBoolean) {
                f.maxLength[n] = pick(51);
                f.minLength[n] = pick(f.maxLength[n] + 1u);
            }
            if (type == kFieldBoolean) f.minLength[n] = f.maxLength[n] = 1;
            if (type < kFieldFixedData) f.lineLookupKey[n] = pick(25);
            f.fixedLengthOn[n] = chance(3);
            f.fixedLength[n] = pick(21);
            f.justify[n] = pick(4);
            f.defaultOn[n] = chance(3);
            set_cell(f.defaultValue[n], text(9));
            f.prefixOn[n] = chance(3);
            codes(f.prefix[n]);
            f.suffixOn[n] = chance(3);
            codes(f.suffix[n]);
            f.fillChar[n] = chance(4) ? '_' : 0;
            f.substringOn[n] = chance(4);
            f.substringStart[n] = static_cast<u8>(1 + pick(10));
            f.substringCount[n] = static_cast<u8>(1 + pick(50));
            f.checkPrefixOn[n] = chance(4);
            set_cell(f.checkPrefix[n], text(5));
            f.autoEnter[n] = pick(2);
        }
    }

    void menu(MenuRecord& m) {
        m.font = chance(4);
        m.titleEnabled = pick(2);
        set_cell(m.title, text(20));
        for (int i = 0, n = pick(11); i < n; ++i) {
            set_cell(m.items[i], std::to_string(i + 1) + "." + text(m.font ? 12 : 17));
            m.itemTarget[i] = pick(21);
        }
        m.escTarget = pick(21);
        m.saveTitle = pick(2);
        m.saveItemSeparately = pick(2);
    }

    void lookup(LookupRecord& l) {
        l.fieldCount = pick(9);
        l.separator = chance(2) ? ';' : 0;
        int start = 1;
        for (int i = 0; i < 8; ++i) {
            l.fieldLength[i] = static_cast<u8>(1 + pick(20));
            l.fieldStart[i] = static_cast<u8>(start);
            start += l.fieldLength[i] + (l.separator ? 1 : 0);
        }
        l.recordLength = static_cast<u8>(start > 250 ? 250 : start);
        l.keyField = l.fieldCount ? pick(l.fieldCount) : 0;
        l.loadable = pick(2);
        l.notFoundAction = pick(4);
    }

    std::mt19937 random_;
};

}  // namespace kest::testing
