#include "support/zmq/zmq_exception.h"

#include <zmq.h>

namespace support {

ZMQException::ZMQException(const std::string& reason, int code)
    : std::runtime_error(reason), code_(code), userInfo_{{"errorCode", code}} {}

ZMQException ZMQException::fromErrno(int code) {
    return ZMQException(zmq_strerror(code), code);
}

const std::string& ZMQException::name() const {
    static const std::string kName = "ZMQException";
    return kName;
}

}  // namespace support
