#pragma once
// Levelled log with an injectable sink. Messages are the literal texts the
// system writes; callers format them first.
#include <functional>
#include <string>

namespace platform {

enum class LogLevel { Debug = 0, Info = 1, Warning = 2, Error = 3 };

namespace Log {
using Sink = std::function<void(LogLevel, const std::string&)>;
// nullptr restores the default sink (stderr, Info and above). An installed sink
// receives every level unless setMinimumLevel() was called.
void setSink(Sink sink);
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
