#include "model/chat_contacts.h"

namespace model {

bool ChatUser::isOnlineStatus(const std::string& status) {
    // "Online" has one word, so only a six-letter text can read so once capitalised.
    static constexpr char kOnline[] = "online";
    if (status.size() != 6) return false;
    for (std::size_t i = 0; i < 6; ++i) {
        const char c = status[i];
        const char lower = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
        if (lower != kOnline[i]) return false;
    }
    return true;
}

}  // namespace model
