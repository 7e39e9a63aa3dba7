#pragma once
// The locale of each language of the string tables: the words Qt knows in that
// language (the halves of the day) without an entry in the tables.
#include <QLocale>
#include <cstdint>

namespace kit {

// The locale of the language index; English (United States) for an unknown index.
QLocale languageLocale(std::int64_t languageIndex);

}  // namespace kit
