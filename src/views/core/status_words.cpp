#include "views/core/status_words.h"

#include <unordered_map>

namespace views {

std::string statusWordKey(const std::string& word) {
    static const std::unordered_map<std::string, std::string> keys = {
        {"Unknown", "90860"},
        // Instrument trading status.
        {"Active", "90861"},
        {"CloseOnly", "90890"},
        {"Expired", "90863"},
        {"Disabled", "90864"},
        // Account status.
        {"Normal", "90865"},
        {"View Only", "90866"},
        {"Suspended", "90867"},
        {"Close Position Only", "90868"},
        {"Equity Hit", "90869"},
        {"Closed", "90870"},
        // Account type.
        {"Trade Client", "90871"},
        {"Clearing Member", "90872"},
        {"Market Maker", "90873"},
        {"Introducing Broker", "90874"},
        {"Dealer", "90875"},
        {"Chief Dealer", "90876"},
        {"Super Dealer", "90877"},
        {"NonClearing Member", "90878"},
        {"Clearing House", "90879"},
        {"Admin", "90880"},
        {"Agent", "90881"},
        {"NonTrading", "90882"},
        {"Error Account", "90883"},
        // Account access.
        {"Trade", "90884"},
        {"Close Only", "90862"},
        {"View Trade", "90885"},
        {"View Market", "90886"},
        {"None", "90609"},
    };
    const auto it = keys.find(word);
    return it == keys.end() ? std::string() : it->second;
}

std::string statusWordText(const std::string& word, const std::function<std::string(const std::string&)>& text) {
    const std::string key = statusWordKey(word);
    return key.empty() || !text ? word : text(key);
}

}  // namespace views
