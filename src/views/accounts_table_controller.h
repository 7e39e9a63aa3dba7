#pragma once
// The accounts in the main window: live figures rebuilt on the login's tick,
// a row click makes that account the main window's, and the new deposit and
// new withdrawal buttons show when an account allows them (decided once).
#include <QPushButton>
#include <memory>
#include <vector>

#include "kit/table_controller_base.h"
#include "views/other_windows.h"
#include "model/account_details.h"

namespace kit {
struct WindowContext;
}

namespace views {

class AccountsTableController : public kit::TableControllerBase {
public:
    static constexpr const char* kDepositWindow = other_windows::kDepositRequest;
    static constexpr const char* kWithdrawalWindow = other_windows::kWithdrawalRequest;

    // `showAccountCurrency` is the login settings' choice for the "0697" column.
    AccountsTableController(kit::WindowContext& context, bool showAccountCurrency, QWidget* parent = nullptr);

    // The table's click: the selected row's account becomes the current one.
    void singleAction();
    QPushButton* newDepositButton() const { return deposit_; }
    QPushButton* newWithdrawalButton() const { return withdrawal_; }

protected:
    int takeSnapshot() override;
    QVariant cellData(int row, int column, int role) const override;

private:
    void setupAccountUserInterface(bool showAccountCurrency);

    kit::WindowContext& context_;
    std::vector<std::shared_ptr<model::AccountDetails>> rows_;
    QPushButton* deposit_ = nullptr;
    QPushButton* withdrawal_ = nullptr;
};

}  // namespace views
