// Fuzz target for the order messages (62, 66, 67, 1052) and the account
// summary (1045) through the session's dispatcher. Each line of the input is
// one message: its type, then its "tag=value" fields, separated by "|".
// Built with libFuzzer when fuzzing; otherwise the corpus is replayed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/fuzz_session.h"
#include "protocol/msg_type.h"

namespace {

constexpr std::size_t kMaxMessages = 32;

bool carried(std::string_view type) {
    for (protocol::MsgType t : {protocol::MsgType::OrderStatus, protocol::MsgType::OrderSettled,
                                protocol::MsgType::PositionUpdate, protocol::MsgType::CloseHedgedPositions, protocol::MsgType::AccountSummary})
        if (type == std::to_string(static_cast<int>(t))) return true;
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession fs;
    std::size_t messages = 0;
    for (std::string_view line : fuzz::split(std::string_view(reinterpret_cast<const char*>(data), size), '\n')) {
        if (++messages > kMaxMessages) break;
        auto fields = fuzz::split(line, '|');
        if (!carried(fields.front())) continue;
        const int type = std::stoi(std::string(fields.front()));
        fields.erase(fields.begin());
        fs.deliver(type, fields);
    }
    fs.checkHeld();
    return 0;
}
