#include "views/core/watchlist_editor.h"

#include <algorithm>
#include <cctype>

namespace views {

std::string entryCode(const std::string& entry) { return entry.substr(0, entry.find(':')); }

std::string entryName(const std::string& entry) {
    const std::size_t first = entry.find(':');
    if (first == std::string::npos) return {};
    const std::size_t second = entry.find(':', first + 1);
    return entry.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
}

MarkChange markChangeForTag(int tag) {
    if (tag == 100) return MarkChange::Add;
    if (tag == 200) return MarkChange::Remove;
    return MarkChange::Toggle;
}

WatchlistEditor::WatchlistEditor(const state::SymbolTypeMap& lists) {
    types_.reserve(lists.size());
    names_.reserve(lists.size());
    for (const auto& [name, list] : lists) {
        names_.push_back(name);
        types_.push_back({list, std::nullopt});
    }
}

const std::vector<std::string>& WatchlistEditor::entriesOf(Type& type) {
    if (!type.entries) type.entries = state::InstrumentFillers::symbolEntries(type.list);
    return *type.entries;
}

bool WatchlistEditor::chooseType(int outlineRow) {
    if (outlineRow < 1 || outlineRow > static_cast<int>(types_.size())) return false;
    chosen_ = &entriesOf(types_[std::size_t(outlineRow - 1)]);
    searching_ = false;
    return true;
}

void WatchlistEditor::setMarks(const std::vector<std::string>& codes) {
    marks_.clear();
    marks_.reserve(codes.size());
    marks_.insert(codes.begin(), codes.end());
}

namespace {
std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}
}  // namespace

void WatchlistEditor::search(const std::string& text) {
    if (text.empty()) {
        restoreChosenType();
        return;
    }
    const std::string wanted = lower(text);
    found_.clear();
    searching_ = true;
    // An instrument of two types shows twice.
    for (Type& type : types_)
        for (const std::string& entry : entriesOf(type))
            if (lower(entry).find(wanted) != std::string::npos) found_.push_back(entry);
}

void WatchlistEditor::change(MarkChange change, std::vector<int> rows,
                             const std::function<bool(const std::string&)>& hasRecord) {
    std::sort(rows.begin(), rows.end());
    for (const int row : rows) {
        if (row < 0 || row >= static_cast<int>(shown().size())) continue;
        const std::string code = entryCode(shown()[std::size_t(row)]);
        if (!hasRecord(code)) continue;
        const bool mark = change == MarkChange::Add ? true : change == MarkChange::Remove ? false : !isMarked(code);
        if (mark) marks_.insert(code);
        else marks_.erase(code);
    }
}

std::vector<std::string> WatchlistEditor::savedCodes(const std::vector<std::string>& collectionOrder) const {
    std::vector<std::string> codes;
    for (const std::string& code : collectionOrder)
        if (isMarked(code)) codes.push_back(code);
    return codes;
}

}  // namespace views
