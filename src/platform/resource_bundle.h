#pragma once
// The shipped `resources/` folder: beside the binary when installed, otherwise
// the source tree. Gives the application name, version and copyright line, property lists by
// name and string tables by language folder.
#include <optional>
#include <string>

#include "platform/property_list.h"

namespace platform {

namespace ResourceBundle {
const std::string& applicationName();
const std::string& applicationVersion();
const std::string& applicationCopyright();
// Overrides the resources folder (tests); empty restores the search.
void setResourceDirectory(const std::string& dir);
std::string resourceDirectory();
// Full path of a resource file, if present ("LoginPropertyList" -> ".../LoginPropertyList.plist").
std::optional<std::string> pathForResource(const std::string& name, const std::string& extension);
// Reads the named property list afresh on each call; a missing file gives None.
PlistValue propertyList(const std::string& name);
// Folder of the string tables of one language ("en" -> ".../en.lproj"); empty when the
// folder is missing.
std::string languageDirectory(const std::string& language);
}  // namespace ResourceBundle

}  // namespace platform
