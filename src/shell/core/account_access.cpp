#include "shell/core/account_access.h"

namespace shell {

const std::array<AccessRight, 5>& accessRights() {
    static const std::array<AccessRight, 5> rights = {
        {{1, "Trade"}, {2, "Close Only"}, {3, "View Trade"}, {4, "View Market"}, {10, "None"}}};
    return rights;
}

std::optional<std::uint64_t> accessRightCode(const std::string& name) {
    for (const AccessRight& right : accessRights())
        if (name == right.name) return right.code;
    return std::nullopt;
}

std::optional<std::string> accessRightName(std::uint64_t code) {
    for (const AccessRight& right : accessRights())
        if (code == right.code) return std::string(right.name);
    return std::nullopt;
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
            pendingRight_ = accessRightName(user->accountAccessTypeId) ? user->accountAccessTypeId : 0;
            rightChosen_ = false;
            return true;
        }
    return false;
}

bool AccountAccessChoice::chooseRight(const std::string& name) {
    const auto code = accessRightCode(name);
    if (!code) return false;
    pendingRight_ = *code;
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
