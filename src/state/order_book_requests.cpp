// The data-service requests whose answers fill the order book.
#include "protocol/tags.h"
#include "state/order_book.h"
#include "state/reference_data.h"
#include "state/request_builder.h"

namespace state {

namespace tag = protocol::tag;

void OrderBook::requestOpenPosition() {
    sendDataServiceRequest(services_, reference_, dskind::Plain, "getopenpositions");
}
void OrderBook::requestPendingOrders() {
    sendDataServiceRequest(services_, reference_, dskind::Plain, "getpendingorders");
}
void OrderBook::requestSettledOrders() {
    sendDataServiceRequest(services_, reference_, dskind::Plain, "getsettledpositions");
}
void OrderBook::requestCancelledOrders() {
    sendDataServiceRequest(services_, reference_, dskind::Plain, "getcancelledorders");
}

void OrderBook::requestEquityPriceinfo(std::int32_t accountId) {
    sendDataServiceRequest(services_, reference_, dskind::EquityHit, "getequityhitpriceinfo", [&] {
        return RequestTags{{tag::DataFormat, "0"}, {tag::AccountId, std::to_string(accountId)}};
    });
}

void OrderBook::requestExecutedPosition(const model::SearchInfo& search) {
    sendDataServiceRequest(services_, reference_, dskind::ExecutedPositions, "getexecutedpositions", [&] {
        return RequestTags{{tag::FromDate, packedDate(search.FromDate, "from date")},
                           {tag::ToDate, packedDate(search.ToDate, "to date")}};
    });
}

}  // namespace state
