#pragma once
// Levelled log with an injectable sink. Messages are the literal texts the
// system writes; callers format them first.
#include <cstdint>
#include <functional>
#include <string>

namespace platform {

enum class LogLevel { Debug = 0, Info = 1, Warning = 2, Error = 3 };

namespace Log {
using Sink = std::function<void(LogLevel, const std::string&)>;
// nullptr restores the default sink: warnings and errors on stderr, and Info
// and above in the log file once one is open. An installed sink receives every
// level unless setMinimumLevel() was called.
void setSink(Sink sink);
inline constexpr std::uintmax_t kFileCap = 4u << 20;
// The default sink's file (its folder must exist): rotated at `maxBytes`,
// keeping `oldFiles` old ones. False, logged, when it cannot be opened.
bool openFile(const std::string& path, std::uintmax_t maxBytes = kFileCap, int oldFiles = 2);
void closeFile();
void setMinimumLevel(LogLevel level);
// Whether a message at `level` would reach a sink: callers skip formatting
// a message nobody reads.
bool enabled(LogLevel level);
void write(LogLevel level, const std::string& message);
inline void debug(const std::string& m) { write(LogLevel::Debug, m); }
inline void info(const std::string& m) { write(LogLevel::Info, m); }
inline void warning(const std::string& m) { write(LogLevel::Warning, m); }
inline void error(const std::string& m) { write(LogLevel::Error, m); }
}  // namespace Log

}  // namespace platform
