#include "editor/lookup_table_dialog.h"

#include <algorithm>
#include <cctype>

#include "common/csv.h"

namespace kest::editor {
namespace {

constexpr int kShownProblems = 3;

std::string result_text(const LookupTable& t) {
    const auto n = static_cast<int>(t.lines.size());
    std::string text;
    const std::vector<LookupProblem>& listed = t.ok() ? t.warnings : t.problems;
    const int all = t.ok() ? static_cast<int>(t.warnings.size()) : t.problemCount;
    if (t.ok())
        text = std::to_string(n) + (n == 1 ? " Datensatz" : " Datens\xE4tze");
    else
        text = "Die Tabelle kann nicht gesendet werden:";
    for (int i = 0; i < all && i < kShownProblems; ++i)
        text += "\n" + problem_text_de(listed[static_cast<std::size_t>(i)]);
    if (all > kShownProblems) text += "\n... und " + std::to_string(all - kShownProblems) + " weitere.";
    return text;
}

bool is_table(const std::string& path) {
    if (path.size() < 4) return false;
    std::string ending = path.substr(path.size() - 4);
    for (auto& c : ending) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return ending == ".csv";
}

}  // namespace

LookupTableDialog::LookupTableDialog(const Project& project, std::span<const std::uint8_t> table)
    : project_(project), csv_(table) {}

void LookupTableDialog::init(DialogAccess& dialog) {
    dialog.set_list(IDC_TABLE_LOOKUP, {"1. Lookupdatei", "2. Lookupdatei", "3. Lookupdatei"});
    dialog.set_list(IDC_TABLE_SEPARATOR, {"; (Semikolon)", ", (Komma)", "Tabulator"});
    const auto loadable = std::find_if(std::begin(project_.lookups), std::end(project_.lookups),
                                       [](const LookupRecord& l) { return l.loadable == 1; });
    lookup_ = loadable == std::end(project_.lookups) ? 0 : static_cast<int>(loadable - std::begin(project_.lookups));
    dialog.select(IDC_TABLE_LOOKUP, lookup_);
    // The separator found in the table for the chosen definition.
    const LookupTable found = build_lookup_table(csv_, project_.lookups[lookup_], {});
    const auto* at = std::find(std::begin(kCsvSeparators), std::end(kCsvSeparators), found.separator);
    separator_ = static_cast<int>(at - std::begin(kCsvSeparators));
    dialog.select(IDC_TABLE_SEPARATOR, separator_);
    convert(dialog);
}

DialogResult LookupTableDialog::command(DialogAccess& dialog, int id) {
    switch (id) {
    case IDC_TABLE_LOOKUP:
    case IDC_TABLE_SEPARATOR: {
        // A combo box reports more than its selection changing: convert only when it did.
        int& chosen = id == IDC_TABLE_LOOKUP ? lookup_ : separator_;
        const int index = dialog.selection(id);
        if (index < 0 || index > 2 || index == chosen) return DialogResult::Stay;
        chosen = index;
        convert(dialog);
        return DialogResult::Stay;
    }
    case IDC_TABLE_HEADER:
        header_ = dialog.checked(IDC_TABLE_HEADER);
        convert(dialog);
        return DialogResult::Stay;
    case kIdOk: return table_.ok() ? DialogResult::CloseOk : DialogResult::Stay;
    case kIdCancel: return DialogResult::CloseCancel;
    }
    return DialogResult::Stay;
}

void LookupTableDialog::convert(DialogAccess& dialog) {
    LookupBuildOptions options;
    options.separator = kCsvSeparators[separator_];
    if (header_) options.header = *header_ ? LookupBuildOptions::Header::Yes : LookupBuildOptions::Header::No;
    table_ = build_lookup_table(csv_, project_.lookups[lookup_], options);
    dialog.set_checked(IDC_TABLE_HEADER, table_.header);
    dialog.set_text(IDC_TABLE_RESULT, result_text(table_));
    dialog.enable(kIdOk, table_.ok());
}

PreparedLookup prepare_lookup_load(const Project& project, const std::string& path, std::span<const std::uint8_t> bytes,
                                   UserInterface& ui, const std::function<bool(LookupTableDialog&)>& runDialog) {
    if (!is_table(path)) {
        PreparedLookup prepared = prepare_lookup_file(bytes, {});
        tell_de(prepared, ui);
        return prepared;
    }
    LookupTableDialog dialog(project, bytes);
    PreparedLookup prepared;
    prepared.cancelled = !runDialog(dialog);
    if (!prepared.cancelled) prepared.lines = dialog.result().lines;
    return prepared;
}

}  // namespace kest::editor
