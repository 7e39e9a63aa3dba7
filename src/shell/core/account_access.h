#pragma once
// What the account-access sheet lists and has chosen: the accounts the user
// holds as primary holder, the chosen account's other users, and the right
// pending for the chosen user. Apply sends the pending right only after a
// right was chosen for the user chosen last.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "model/account_details.h"
#include "model/user_account_maps.h"

namespace shell {

// The rights a user may be given, in code order; each reads as its access word
// (views::accountAccessKey).
const std::array<std::uint64_t, 5>& accessRights();
bool isAccessRight(std::uint64_t code);

class AccountAccessChoice {
public:
    using Accounts = std::vector<std::shared_ptr<model::AccountDetails>>;
    using Users = std::vector<std::shared_ptr<model::UserAccountMaps>>;

    // The accounts whose primary holder is `userId`, in list order; the first is chosen.
    void loadAccounts(const Accounts& accounts, std::uint64_t userId);
    // The chosen account's users in list order; the first is chosen, none when it has none.
    void loadUsers(const Users& users);
    // Choices by the text a list shows; false (nothing changes) for a text not listed.
    bool chooseAccount(const std::string& text);
    // The user's own right becomes the pending one and Apply waits for a right.
    bool chooseUser(const std::string& text);
    // An unknown code leaves the pending right and Apply as they were.
    bool chooseRight(std::uint64_t code);
    void applied() { rightChosen_ = false; }

    std::vector<std::string> accountTexts() const;
    std::vector<std::string> userTexts() const;
    const model::AccountDetails* account() const { return account_.get(); }
    const model::UserAccountMaps* user() const { return user_.get(); }
    std::uint64_t pendingRight() const { return pendingRight_; }
    // The rights list is open for a chosen user other than the logged-in one.
    bool rightsEnabled() const;
    bool applyEnabled() const { return rightsEnabled() && rightChosen_ && pendingRight_ != 0 && account_; }
    // What Apply sends; nullopt while it may not.
    std::optional<model::UserAccountMaps> edit() const;

private:
    std::uint64_t ownUserId_ = 0;
    Accounts accounts_;
    Users users_;
    std::shared_ptr<model::AccountDetails> account_;
    std::shared_ptr<model::UserAccountMaps> user_;
    std::uint64_t pendingRight_ = 0;
    bool rightChosen_ = false;
};

}  // namespace shell
