#pragma once
// The roads to Qt for what is no server text: the string table, the app's
// identifiers and name, input the user typed that must come back exact,
// file paths; and a title of the app's own words around one shown server part.
#include <QString>
#include <cstdint>
#include <filesystem>
#include <string_view>

namespace kit {

struct WindowContext;

// The language's text of a string-table key.
QString tableText(const WindowContext& context, std::string_view key);
QString tableText(std::int64_t language, std::string_view key);
// The formatter's date and time pattern, for QDateTime::toString.
QString displayDateFormat();
// A name the app defines and never shows as a server's (a column, a plot, a
// setting's key, a print job).
QString identifierText(std::string_view identifier);
// The application's name, as its bundle has it.
QString applicationName();

// A text that reaches Qt exactly as it is, never cut nor changed: what the user
// typed and the app saved (a login field, a password), a host to connect to.
// Named at the call, never implied.
struct ExactInput {
    explicit ExactInput(std::string_view typed) : text(typed) {}
    std::string_view text;
};
QString exactText(ExactInput input);
// A path as the file system names it (a resource, an icon, a sound).
QString filePath(const std::filesystem::path& path);

// A text the app composed of parts already shown by the rule and isolates of
// its own (a chat row): cut and marks bounded, its isolates kept.
QString composedText(std::string_view utf8);

// "<prefix> #<id><suffix>": the id shown by the rule and isolated, so that it
// cannot reorder the app's own words around it (a right-to-left id keeps "(B)" after it).
QString numberedTitle(const QString& prefix, std::string_view id, const QString& suffix = {});

}  // namespace kit
