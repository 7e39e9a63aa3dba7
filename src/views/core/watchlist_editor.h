#pragma once
// The watchlist editor's lists and marks: the instrument types' names read
// once (each type's list read from the session's lists and split into entries
// when first shown or searched, never copied whole), the chosen type's
// entries, the search over all types, and the marked codes that are saved as
// the watchlist.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/code_set.h"
#include "state/session_view.h"  // the symbol type lists

namespace views {

// An entry is "code:name"; the code is the part before the first ":", the
// name the part between the first and the second.
std::string entryCode(const std::string& entry);
std::string entryName(const std::string& entry);

enum class MarkChange { Add, Remove, Toggle };
// Tag 100 adds, 200 removes, any other sender toggles.
MarkChange markChangeForTag(int tag);

class WatchlistEditor {
public:
    // `lists`: type name -> "code:name,code:name,...", in the session's order.
    // Its names are kept; a type's list is read, by name, from the lists
    // given to chooseType or search when the type is first shown or searched.
    explicit WatchlistEditor(const state::SymbolTypeMap& lists);
    WatchlistEditor(const WatchlistEditor&) = delete;  // chosen_ views its own types, marks_ its codes
    WatchlistEditor& operator=(const WatchlistEditor&) = delete;

    // The outline's type rows, in order (row r of the outline is name r - 1).
    const std::vector<std::string>& typeNames() const { return names_; }
    // An outline row: 0 the group row (nothing), a type row shows its entries.
    bool chooseType(int outlineRow, const state::SymbolTypeMap& lists);
    // Every entry holding the text, in any case; "" brings back the chosen type's.
    void search(const std::string& text, const state::SymbolTypeMap& lists);
    void restoreChosenType() { searching_ = false; }
    const std::vector<std::string>& shown() const { return searching_ ? found_ : *chosen_; }

    void setMarks(std::vector<std::string> codes);
    bool isMarked(std::string_view code) const { return marks_.contains(code); }
    // Applies the change to the shown rows in ascending order; a code without
    // a record (per `hasRecord`) keeps no mark.
    void change(MarkChange change, std::vector<int> rows, const std::function<bool(const std::string&)>& hasRecord);
    // The marked codes in the instrument collection's order.
    std::vector<std::string> savedCodes(const std::vector<std::string>& collectionOrder) const;

private:
    // A type's list split, once shown or searched.
    const std::vector<std::string>& entriesOf(std::size_t type, const state::SymbolTypeMap& lists);

    std::vector<std::optional<std::vector<std::string>>> entries_;  // not resized once made: chosen_ views one
    std::vector<std::string> names_;
    const std::vector<std::string> none_;
    const std::vector<std::string>* chosen_ = &none_;
    std::vector<std::string> found_;  // shown while searching
    bool searching_ = false;
    // The marked codes, viewing the codes marked at the show and those marked since.
    std::vector<std::string> shownMarks_;
    std::deque<std::string> newMarks_;
    platform::CodeSet marks_;
};

}  // namespace views
