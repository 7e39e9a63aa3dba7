#pragma once
// A file known to the resource server; also the record of a search or download request.
#include <cstdint>
#include <optional>
#include <string>

namespace model {

class FileResource {
public:
    static constexpr std::int64_t kDownload = 0;
    static constexpr std::int64_t kSearch = 1;

    std::string resourceName;
    std::uint64_t resourceType = 0;
    std::uint64_t productID = 0;
    std::uint64_t organization = 0;
    std::string resourceServerName;
    std::string searchKey;
    std::string searchPattern;
    // Passed through as the server gives it.
    std::string fileCRC;
    std::uint64_t fileEncodeType = 0;

    // The record of a search for a resource type text, for the logged-in user's product.
    static FileResource searchRecord(const std::string& resourceType, std::uint64_t productID);

    // The request record: fields each followed by 0x05, the last by 0x06.
    // Mode 1 search (nine fields), 0 download (seven), any other "". nullopt when
    // a text field holds a separator byte (0x01 to 0x07).
    std::optional<std::string> getString(std::int64_t mode) const;
};

}  // namespace model
