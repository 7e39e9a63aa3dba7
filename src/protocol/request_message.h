#pragma once
// One finished frame on its way to the session's send operation.
#include <cstdint>
#include <string>

namespace protocol {

struct RequestMessage {
    std::string message;                 // a whole frame: a plain request or an envelope
    bool isZMQ = false;                  // true: request channel; false: TCP session
    std::int64_t framingStrategy = 0;    // read by nothing
    std::int64_t receivingStrategy = 0;  // 1: the reply is multipart, parts joined in order
    std::int32_t dsrequestType = 0;      // the data-service kind of a 1023 request; 0 otherwise
    std::uint64_t sequence = 0;          // set when the request channel queues it; 0 before
};

}  // namespace protocol
