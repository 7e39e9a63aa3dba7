#include "platform/log_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

LogFile::LogFile(std::string path, std::uintmax_t maxBytes, int oldFiles)
    : path_(std::move(path)), maxBytes_(maxBytes), oldFiles_(oldFiles < 0 ? 0 : oldFiles) {}

LogFile::~LogFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool LogFile::open() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = ::open(path_.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    struct stat st;
    size_ = fd_ >= 0 && ::fstat(fd_, &st) == 0 ? static_cast<std::uintmax_t>(st.st_size) : 0;
    return fd_ >= 0;
}

void LogFile::rotate() {
    ::close(fd_);
    fd_ = -1;
    if (oldFiles_ == 0) {
        ::unlink(path_.c_str());
    } else {
        for (int i = oldFiles_ - 1; i >= 1; --i)
            ::rename((path_ + "." + std::to_string(i)).c_str(), (path_ + "." + std::to_string(i + 1)).c_str());
        ::rename(path_.c_str(), (path_ + ".1").c_str());
    }
    open();
}

void LogFile::write(const std::string& line) {
    if (fd_ < 0) return;
    const std::uintmax_t needed = line.size() + 1;
    if (size_ > 0 && (needed > maxBytes_ || size_ > maxBytes_ - needed)) rotate();
    if (fd_ < 0) return;
    std::string text = line + "\n";
    const char* p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd_, p, left);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        p += n;
        left -= static_cast<std::size_t>(n);
        size_ += static_cast<std::uintmax_t>(n);
    }
}

}  // namespace platform
