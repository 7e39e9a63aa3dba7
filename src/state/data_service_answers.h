#pragma once
// The data-service side of a session: the first requests after the login and
// the answers (1024) and chart data (1041), each routed to the component that
// owns what it fills. Filled in by the data-service work.
#include <cstdint>
#include <optional>
#include <string>

#include "state/dispatcher.h"
#include "state/ordered_dictionary.h"
#include "state/session_component.h"

namespace state {

class BusinessBase;

class DataServiceAnswers : public SessionComponent {
public:
    explicit DataServiceAnswers(BusinessBase& session) : session_(session) {}
    const char* componentName() const override { return "DataServiceAnswers"; }
    void registerHandlers(Dispatcher& table) override;

    // Chart answer key -> answer text.
    OrderedDictionary<std::string> chartDataCollection;

    // The requests sent once the login is accepted.
    virtual void sendFirstRequests() {}
    // `kind`: the request the answer came back for; nullopt on the TCP session.
    virtual void processDSResponse(const std::optional<std::string>& /*result*/,
                                   const std::optional<std::string>& /*compressedData*/,
                                   const std::optional<std::string>& /*requestName*/,
                                   const std::optional<protocol::RequestKind>& /*kind*/) {}
    virtual void fillChartData(const std::optional<std::string>& /*key*/, std::int32_t /*requestId*/,
                               const std::optional<protocol::RequestKind>& /*kind*/) {}

protected:
    BusinessBase& session_;
};

}  // namespace state
