#include "shell/core/about_texts.h"

#include "model/formatter.h"
#include "platform/resource_bundle.h"

namespace shell {

namespace {

// A translated "%" is text, never a format's specifier.
std::string literalPercent(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '%') out += '%';
        out += c;
    }
    return out;
}

}  // namespace

AboutTexts aboutTexts(const std::function<std::string(const std::string&)>& text) {
    AboutTexts out;
    out.name = platform::ResourceBundle::applicationName();
    out.version = text("0230") + " " + platform::ResourceBundle::applicationVersion();
    out.disclaimer = model::Formatter::fillIndexedText(literalPercent(text("0229")), {"\n\n"});
    out.copyright = platform::ResourceBundle::applicationCopyright();
    return out;
}

}  // namespace shell
