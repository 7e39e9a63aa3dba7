// The data-service requests whose answers fill the reference data: the
// instruments' market fields, market sessions, account access and resources.
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/log.h"
#include "protocol/separator_bytes.h"
#include "protocol/tags.h"
#include "state/reference_data.h"
#include "state/request_builder.h"
#include "state/resource_files.h"

namespace state {

namespace tag = protocol::tag;

void ReferenceData::requestAdvancedInstrumentInfo(SessionServices& services) const {
    sendDataServiceRequest(services, *this, dskind::Instruments, "getinstruments",
                           [] { return RequestTags{{tag::DataFormat, "3"}}; });
}

void ReferenceData::requestSessionSchedule(SessionServices& services, std::uint64_t marketId) const {
    sendDataServiceRequest(services, *this, dskind::SessionSchedule, "getsessionschedule",
                           [&] { return RequestTags{{tag::MarketId, std::to_string(marketId)}}; });
}

void ReferenceData::requestUserMapWithMyAccount(SessionServices& services, std::int32_t accountId) const {
    sendDataServiceRequest(services, *this, dskind::UserMap, "getusermapwithmyaccount",
                           [&] { return RequestTags{{tag::AccountId, std::to_string(accountId)}}; });
}

void ReferenceData::requestEditUserAccountAccessByClient(SessionServices& services,
                                                         const model::UserAccountMaps& map) const {
    sendDataServiceRequest(services, *this, dskind::EditUserAccess, "addedituac", [&] {
        const char col = protocol::ColumnByte;
        std::string row = std::to_string(map.userId) + col + std::to_string(map.accountId) + col +
                          std::to_string(map.accountAccessTypeId) + col + protocol::RowByte;
        return RequestTags{{tag::DataServiceOption, "edituabycl"}, {tag::DataServiceResult, std::move(row)}};
    });
}

void ReferenceData::requestResourceSearchForTypes(SessionServices& services,
                                                  const std::vector<std::string>& types) const {
    const std::uint64_t product = userInfo_ ? userInfo_->productID : 0;
    for (const std::string& type : types) {
        sendDataServiceRequest(services, *this, dskind::ResourceSearch, "resourcesearch", [&] {
            auto record = model::FileResource::searchRecord(type, product).getString(model::FileResource::kSearch);
            if (!record) throw MissingValue{"plain resource type"};
            return RequestTags{{tag::DataServiceResult, std::move(*record)}, {tag::DataFormat, "1"}};
        });
    }
}

void ReferenceData::requestFileResourceDownload(SessionServices& services, const model::FileResource& resource) {
    requestedDownloads_.insert(resource.resourceName);
    sendDataServiceRequest(services, *this, dskind::ResourceDownload, "resourcedownload", [&] {
        auto record = resource.getString(model::FileResource::kDownload);
        if (!record) throw MissingValue{"plain resource record"};
        return RequestTags{{tag::DataServiceResult, std::move(*record)}};
    });
}

bool ReferenceData::takeRequestedDownload(const std::string& name) { return requestedDownloads_.erase(name) > 0; }

bool ReferenceData::isResourceFileUnavailable(const std::string& iconResourceId) const {
    if (iconResourceId.empty()) return false;
    return std::any_of(unavailableDownloads_.begin(), unavailableDownloads_.end(),
                       [&](const std::string& name) { return name.find(iconResourceId) != std::string::npos; });
}

void ReferenceData::requestFileResourceForExtension(SessionServices& services, const std::string& text) {
    // "" is in every name: it would download every file not on disk.
    if (text.empty()) {
        platform::Log::debug("requestFileResourceForExtension: no extension, nothing requested");
        return;
    }
    const auto folder = ResourceFiles::resourcesFolder();
    if (!folder) return;
    for (const auto& [name, resource] : resourceSearch_) {
        if (!resource || name.find(text) == std::string::npos) continue;
        std::error_code ec;
        if (std::filesystem::exists(std::filesystem::path(*folder) / name, ec)) continue;
        requestFileResourceDownload(services, *resource);
    }
}

}  // namespace state
