#pragma once
// What the About window shows: the application's name (also its title), the
// version after the language's prefix, the disclaimer and the copyright line.
#include <functional>
#include <string>

namespace shell {

struct AboutTexts {
    std::string name;
    std::string version;
    std::string disclaimer;
    std::string copyright;
};

// `text` answers a language key in the selected language. Each "{0}" of the
// disclaimer becomes a blank line; everything else in it shows as written.
AboutTexts aboutTexts(const std::function<std::string(const std::string&)>& text);

}  // namespace shell
