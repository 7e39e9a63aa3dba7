#pragma once
// The log's file: lines appended to one file that is rotated at a size cap,
// keeping a few old files beside it (<file>.1 newest … <file>.<n> oldest).
#include <cstdint>
#include <string>

namespace platform {

class LogFile {
public:
    LogFile(std::string path, std::uintmax_t maxBytes, int oldFiles);
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // False when the file cannot be opened.
    bool open();
    // Appends one line (a newline added); a line that would pass the cap
    // rotates the file first. Callers serialise.
    void write(const std::string& line);
    const std::string& path() const { return path_; }

private:
    void rotate();

    std::string path_;
    std::uintmax_t maxBytes_;
    int oldFiles_;
    int fd_ = -1;
    std::uintmax_t size_ = 0;
};

}  // namespace platform
