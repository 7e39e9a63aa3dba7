#include "kit/core/icon_image_name.h"

#include "platform/log.h"
#include "platform/paths.h"

namespace kit {

std::string iconImageName(const std::string& instrumentTypeName,
                          const std::function<bool(const std::string&)>& exists) {
    if (!platform::Paths::isPlainFileName(instrumentTypeName)) {
        platform::Log::debug("Instrument type name refused as an image name; showing " + std::string(kFallbackIcon));
        return kFallbackIcon;
    }
    return exists(instrumentTypeName) ? instrumentTypeName : kFallbackIcon;
}

}  // namespace kit
