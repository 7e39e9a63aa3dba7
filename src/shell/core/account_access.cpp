#include "shell/core/account_access.h"

namespace shell {

const std::array<std::uint64_t, 5>& accessRights() {
    static const std::array<std::uint64_t, 5> rights = {1, 2, 3, 4, 10};
    return rights;
}

bool isAccessRight(std::uint64_t code) {
    for (std::uint64_t right : accessRights())
        if (code == right) return true;
    return false;
}

void AccountAccessChoice::loadAccounts(const Accounts& accounts, std::uint64_t userId) {
    ownUserId_ = userId;
    accounts_.clear();
    for (const auto& account : accounts)
        if (account && account->primaryAccountHolderUserid == userId) accounts_.push_back(account);
    account_ = accounts_.empty() ? nullptr : accounts_.front();
    loadUsers({});
}

void AccountAccessChoice::loadUsers(const Users& users) {
    users_.clear();
    for (const auto& user : users)
        if (user) users_.push_back(user);
    user_ = nullptr;
    pendingRight_ = 0;
    rightChosen_ = false;
    if (!users_.empty()) chooseUser(std::to_string(users_.front()->userId));
}

bool AccountAccessChoice::chooseAccount(const std::string& text) {
    for (const auto& account : accounts_)
        if (std::to_string(account->AccountId) == text) {
            if (account != account_) {
                account_ = account;
                loadUsers({});  // the caller lists the account's own users
            }
            return true;
        }
    return false;
}

bool AccountAccessChoice::chooseUser(const std::string& text) {
    for (const auto& user : users_)
        if (std::to_string(user->userId) == text) {
            user_ = user;
            pendingRight_ = isAccessRight(user->accountAccessTypeId) ? user->accountAccessTypeId : 0;
            rightChosen_ = false;
            return true;
        }
    return false;
}

bool AccountAccessChoice::chooseRight(std::uint64_t code) {
    if (!isAccessRight(code)) return false;
    pendingRight_ = code;
    rightChosen_ = true;
    return true;
}

std::vector<std::string> AccountAccessChoice::accountTexts() const {
    std::vector<std::string> texts;
    for (const auto& account : accounts_) texts.push_back(std::to_string(account->AccountId));
    return texts;
}

std::vector<std::string> AccountAccessChoice::userTexts() const {
    std::vector<std::string> texts;
    for (const auto& user : users_) texts.push_back(std::to_string(user->userId));
    return texts;
}

bool AccountAccessChoice::rightsEnabled() const { return user_ && user_->userId != 0 && user_->userId != ownUserId_; }

std::optional<model::UserAccountMaps> AccountAccessChoice::edit() const {
    if (!applyEnabled()) return std::nullopt;
    model::UserAccountMaps map;
    map.userId = user_->userId;
    map.accountId = account_->AccountId;
    map.accountAccessTypeId = pendingRight_;
    map.userName = user_->userName;
    return map;
}

}  // namespace shell
