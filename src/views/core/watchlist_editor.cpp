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
    names_.reserve(lists.size());
    for (const auto& entry : lists) names_.push_back(entry.first);
    entries_.resize(names_.size());
}

const std::vector<std::string>& WatchlistEditor::entriesOf(std::size_t type, const state::SymbolTypeMap& lists) {
    std::optional<std::vector<std::string>>& entries = entries_[type];
    if (!entries) {
        const std::string* list = lists.find(names_[type]);
        entries = list ? state::InstrumentFillers::symbolEntries(*list) : std::vector<std::string>();
    }
    return *entries;
}

bool WatchlistEditor::chooseType(int outlineRow, const state::SymbolTypeMap& lists) {
    if (outlineRow < 1 || outlineRow > static_cast<int>(names_.size())) return false;
    chosen_ = &entriesOf(std::size_t(outlineRow - 1), lists);
    searching_ = false;
    return true;
}

void WatchlistEditor::setMarks(std::vector<std::string> codes) {
    marks_.clear();
    newMarks_.clear();
    shownMarks_ = std::move(codes);
    marks_.reserve(shownMarks_.size());
    for (const std::string& code : shownMarks_) marks_.insert(code);
}

namespace {
std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    return text;
}
}  // namespace

void WatchlistEditor::search(const std::string& text, const state::SymbolTypeMap& lists) {
    if (text.empty()) {
        restoreChosenType();
        return;
    }
    const std::string wanted = lower(text);
    found_.clear();
    searching_ = true;
    // An instrument of two types shows twice.
    for (std::size_t type = 0; type < names_.size(); ++type)
        for (const std::string& entry : entriesOf(type, lists))
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
        if (!mark) marks_.erase(code);
        else if (!isMarked(code)) marks_.insert(newMarks_.emplace_back(code));
    }
}

std::vector<std::string> WatchlistEditor::savedCodes(const std::vector<std::string>& collectionOrder) const {
    std::vector<std::string> codes;
    for (const std::string& code : collectionOrder)
        if (isMarked(code)) codes.push_back(code);
    return codes;
}

}  // namespace views
