#pragma once
// The session's journal: one line per login step, order event and payment,
// in the order they happened (main thread).
#include <string>
#include <vector>

namespace state {

class Journal {
public:
    const std::vector<std::string>& JournalDataCollection() const { return lines_; }
    // Empty lines are not kept.
    void append(const std::string& line) {
        if (!line.empty()) lines_.push_back(line);
    }

private:
    std::vector<std::string> lines_;
};

}  // namespace state
