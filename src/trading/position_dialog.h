#pragma once
// What the position and order tables see of their row dialogs (close or
// cancel; modify or edit), and what those dialogs need of the application.
// Main thread.
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "kit/row_dialog.h"

namespace state {
class SessionView;
}
namespace orders {
class OrderMananger;
}

namespace trading {

struct PositionDialogHost {
    // The current login's session and order manager; null while there is none.
    std::function<std::shared_ptr<const state::SessionView>()> session;
    std::function<orders::OrderMananger*()> orderManager;
    std::function<std::int64_t()> selectedLanguage;
    std::function<std::int64_t()> theme;  // 0 dark, 1 light
    // The common alert: message, title. Must not block.
    std::function<void(const std::string&, const std::string&)> showAlert;
    std::chrono::milliseconds refreshInterval{1000};
};

using PositionDialog = kit::RowDialog;

}  // namespace trading
