#pragma once
// A libzmq failure: the reason is libzmq's error text, the user information
// holds the error number under "errorCode".
#include <map>
#include <stdexcept>
#include <string>

namespace support {

class ZMQException : public std::runtime_error {
  public:
    ZMQException(const std::string& reason, int code);

    // The error number of the failed call.
    static ZMQException fromErrno(int code);

    const std::string& name() const;  // "ZMQException"
    std::string reason() const { return what(); }
    int code() const { return code_; }
    const std::map<std::string, int>& userInfo() const { return userInfo_; }

  private:
    int code_;
    std::map<std::string, int> userInfo_;
};

}  // namespace support
