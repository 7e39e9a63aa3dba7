#pragma once
// The watchlist editor's lists and marks: the instrument types read once,
// the chosen type's entries, the search over all types, and the marked codes
// that are saved as the watchlist.
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

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
    // One map per type, type name -> its entries, in the session's order.
    using Types = std::vector<std::map<std::string, std::vector<std::string>>>;

    explicit WatchlistEditor(Types types);

    // The outline's type rows, in order (row r of the outline is name r - 1).
    const std::vector<std::string>& typeNames() const { return names_; }
    // An outline row: 0 the group row (nothing), a type row shows its entries.
    bool chooseType(int outlineRow);
    // Every entry holding the text, in any case; "" brings back the chosen type's.
    void search(const std::string& text);
    void restoreChosenType() { shown_ = chosen_; }
    const std::vector<std::string>& shown() const { return shown_; }

    void setMarks(const std::vector<std::string>& codes) { marks_ = {codes.begin(), codes.end()}; }
    bool isMarked(const std::string& code) const { return marks_.count(code) > 0; }
    // Applies the change to the shown rows in ascending order; a code without
    // a record (per `hasRecord`) keeps no mark.
    void change(MarkChange change, std::vector<int> rows, const std::function<bool(const std::string&)>& hasRecord);
    // The marked codes in the instrument collection's order.
    std::vector<std::string> savedCodes(const std::vector<std::string>& collectionOrder) const;

private:
    Types types_;
    std::vector<std::string> names_;
    std::vector<std::string> chosen_;
    std::vector<std::string> shown_;
    std::set<std::string> marks_;
};

}  // namespace views
