#include "kit/language_locale.h"

#include <map>
#include <string>

#include "model/language_string.h"

namespace kit {

QLocale languageLocale(std::int64_t languageIndex) {
    static const std::map<std::string, QLocale> locales = {
        {"en", QLocale(QLocale::English, QLocale::UnitedStates)},
        {"zh-Hans", QLocale(QLocale::Chinese, QLocale::SimplifiedHanScript, QLocale::China)},
        {"ne", QLocale(QLocale::Nepali, QLocale::Nepal)},
        {"fa-AF", QLocale(QLocale::Persian, QLocale::Afghanistan)},
        {"ps-AF", QLocale(QLocale::Pashto, QLocale::Afghanistan)},
        {"ar", QLocale(QLocale::Arabic)},
        {"ru", QLocale(QLocale::Russian, QLocale::Russia)},
        {"fr", QLocale(QLocale::French, QLocale::France)},
        {"indonesien", QLocale(QLocale::Indonesian, QLocale::Indonesia)},
        {"Bengali", QLocale(QLocale::Bengali, QLocale::Bangladesh)},
        {"spanish", QLocale(QLocale::Spanish, QLocale::Spain)},
        {"albanian", QLocale(QLocale::Albanian, QLocale::Albania)},
    };
    const auto it = locales.find(model::LanguageString::languageFolder(languageIndex));
    return it == locales.end() ? locales.at("en") : it->second;
}

}  // namespace kit
