#include "kit/own_text.h"

#include <string>

#include "kit/shown_text.h"
#include "kit/window_context.h"
#include "model/formatter.h"
#include "model/language_string.h"
#include "model/shown_text.h"
#include "platform/resource_bundle.h"

namespace kit {

QString tableText(const WindowContext& context, std::string_view key) {
    return context.text ? QString::fromStdString(context.text(std::string(key))) : tableText(context.language, key);
}

QString tableText(std::int64_t language, std::string_view key) {
    return QString::fromStdString(model::LanguageString::stringforSelectedLanguage(language, std::string(key)));
}

QString displayDateFormat() { return QString::fromLatin1(model::Formatter::kDisplayFormat); }

// The type takes any text: the rule keeps one that was not the app's bounded
// (an identifier of the app's is left as it is).
QString identifierText(std::string_view identifier) { return shownText(identifier); }

QString applicationName() { return QString::fromStdString(platform::ResourceBundle::applicationName()); }

QString exactText(ExactInput input) { return QString::fromUtf8(input.text.data(), qsizetype(input.text.size())); }

QString filePath(const std::filesystem::path& path) { return QString::fromStdString(path.native()); }

QString composedText(std::string_view utf8) {
    return QString::fromStdU16String(model::shownUtf16(utf8, model::kMaxShownLength, model::BidiControls::Kept));
}

QString numberedTitle(const QString& prefix, std::string_view id, const QString& suffix) {
    static constexpr QChar kFirstStrongIsolate(0x2068), kPopIsolate(0x2069);
    return prefix + QStringLiteral(" #") + kFirstStrongIsolate + shownText(id) + kPopIsolate + suffix;
}

}  // namespace kit
