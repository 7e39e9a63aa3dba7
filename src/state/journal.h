#pragma once
// The session's journal: one line per login step, order event and payment,
// in the order they happened (main thread).
#include <string>
#include <vector>

namespace state {

class Journal {
public:
    std::vector<std::string> JournalDataCollection;
    // Empty lines are not kept.
    void append(const std::string& line) {
        if (!line.empty()) JournalDataCollection.push_back(line);
    }
};

}  // namespace state
