#include "model/file_resource.h"

#include <string_view>
#include <vector>

#include "platform/log.h"

namespace model {

namespace {

bool holdsSeparator(std::string_view text) {
    for (const char c : text) {
        if (c >= '\x01' && c <= '\x07') return true;
    }
    return false;
}

}  // namespace

FileResource FileResource::searchRecord(const std::string& type, std::uint64_t product) {
    FileResource r;
    r.searchKey = type;
    r.productID = product;
    return r;
}

std::optional<std::string> FileResource::getString(std::int64_t mode) const {
    if (mode != kSearch && mode != kDownload) return std::string();
    const std::string type = std::to_string(resourceType);
    const std::string product = std::to_string(productID);
    const std::string org = std::to_string(organization);
    const std::string encode = std::to_string(fileEncodeType);
    std::vector<std::string_view> fields = {resourceName, type, product, org, resourceServerName};
    if (mode == kSearch) {
        fields.push_back(searchKey);
        fields.push_back(searchPattern);
    }
    fields.push_back(fileCRC);
    fields.push_back(encode);

    std::string out;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (holdsSeparator(fields[i])) {
            platform::Log::debug("FileResource: field " + std::to_string(i) + " holds a separator byte, request refused");
            return std::nullopt;
        }
        out.append(fields[i]);
        out.push_back(i + 1 < fields.size() ? '\x05' : '\x06');
    }
    return out;
}

}  // namespace model
