// The settings sheets' rules: password checks and the account-access choice
// of account, user and right.
#include <gtest/gtest.h>

#include "shell/core/account_access.h"
#include "shell/core/settings_rules.h"

namespace shell {
namespace {

TEST(PasswordRules, FirstFailedCheckInOrder) {
    struct Row {
        const char *current, *fresh, *confirmation;
        std::optional<std::string> key;
    };
    const Row rows[] = {
        {"", "", "", "20245"},
        {"old", "new", "", "20245"},
        {"wrong", "a", "b", "20246"},   // the current password is checked first
        {"old ", "new", "new", "20246"},  // no trimming
        {"old", "new", "New", "20244"},
        {"old", "old", "old", "20247"},   // no change, though both fields match
        {"old", "x", "x", std::nullopt},  // no length rule
    };
    for (const Row& r : rows)
        EXPECT_EQ(checkPasswordValidation(r.current, r.fresh, r.confirmation, "old"), r.key) << r.current << r.fresh;
}

class AccountAccessChoiceTest : public ::testing::Test {
protected:
    static std::shared_ptr<model::AccountDetails> account(std::int32_t id, std::uint64_t holder) {
        auto a = std::make_shared<model::AccountDetails>();
        a->AccountId = id;
        a->primaryAccountHolderUserid = holder;
        return a;
    }
    static std::shared_ptr<model::UserAccountMaps> user(std::uint64_t id, std::uint64_t right) {
        return std::make_shared<model::UserAccountMaps>(model::UserAccountMaps{id, 1001, right, "u" + std::to_string(id)});
    }
    AccountAccessChoice choice;
};

TEST_F(AccountAccessChoiceTest, AccountsOfTheHolderInListOrder) {
    choice.loadAccounts({account(1003, 11), account(1002, 12), account(1001, 11)}, 11);
    EXPECT_EQ(choice.accountTexts(), (std::vector<std::string>{"1003", "1001"}));
    EXPECT_EQ(choice.account()->AccountId, 1003);
    EXPECT_FALSE(choice.chooseAccount("1002"));
    EXPECT_EQ(choice.account()->AccountId, 1003);

    choice.loadAccounts({account(1002, 12)}, 11);  // holder of nothing
    EXPECT_TRUE(choice.accountTexts().empty());
    EXPECT_FALSE(choice.rightsEnabled());
    EXPECT_FALSE(choice.edit());
}

TEST_F(AccountAccessChoiceTest, RightsFollowTheUserChosenLast) {
    choice.loadAccounts({account(1001, 11), account(1002, 11)}, 11);
    choice.loadUsers({user(18, 3), user(11, 1), user(19, 7), user(0, 1)});
    EXPECT_EQ(choice.user()->userId, 18u);
    EXPECT_EQ(choice.pendingRight(), 3u);
    EXPECT_FALSE(choice.applyEnabled());  // nothing chosen yet

    EXPECT_FALSE(choice.chooseRight(7));  // unknown: nothing changes
    EXPECT_EQ(choice.pendingRight(), 3u);
    ASSERT_TRUE(choice.chooseRight(4));
    EXPECT_EQ(choice.edit()->accountAccessTypeId, 4u);

    // Another user: its own right, Apply waits for a new choice.
    struct Row {
        const char* user;
        std::uint64_t pending;
        bool rights;
    };
    for (const Row& r : {Row{"19", 0, true}, Row{"11", 1, false}, Row{"0", 1, false}, Row{"18", 3, true}}) {
        ASSERT_TRUE(choice.chooseUser(r.user)) << r.user;
        EXPECT_EQ(choice.pendingRight(), r.pending) << r.user;
        EXPECT_EQ(choice.rightsEnabled(), r.rights) << r.user;
        EXPECT_FALSE(choice.edit()) << r.user;
    }
    ASSERT_TRUE(choice.chooseRight(10));
    const auto edit = choice.edit();
    ASSERT_TRUE(edit);
    EXPECT_EQ(edit->userId, 18u);
    EXPECT_EQ(edit->accountId, 1001u);
    EXPECT_EQ(edit->accountAccessTypeId, 10u);

    // Another account drops the users of the first until its own are listed.
    ASSERT_TRUE(choice.chooseAccount("1002"));
    EXPECT_EQ(choice.user(), nullptr);
    EXPECT_FALSE(choice.edit());
}

}  // namespace
}  // namespace shell
