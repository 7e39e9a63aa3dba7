#pragma once
// One login result of the login data: display mode, text and result code.
#include <cstdint>
#include <string>

namespace protocol {

struct LoginInfoMessage {
    std::int32_t DisplayMode = 0;
    std::string Message;
    std::int32_t ErrorCode = 0;
    std::int32_t serverError = 0;

    // True for the defined result codes: 1-15, 101-103, 201, 202, 301, 401-406, 1001.
    static constexpr bool isEnumDefined(int code) {
        return (code >= 1 && code <= 15) || (code >= 101 && code <= 103) || code == 201 || code == 202 ||
               code == 301 || (code >= 401 && code <= 406) || code == 1001;
    }
};

}  // namespace protocol
