#pragma once
// The funds folder's windows in the login's registry.
namespace kit {
class WindowRegistry;
struct WindowContext;
}

namespace funds {

// The names this folder's windows are registered and opened by.
inline constexpr const char* kDepositRequestWindow = "DepositRequestWindowController";
inline constexpr const char* kWithdrawalRequestWindow = "WithdrawalRequestWindowController";
inline constexpr const char* kDepositsWithdrawalsWindow = "DepositsWithdrawalsWindowController";

// The deposit answers of the login are routed from here on, while the registry
// lasts: an answer no open window takes becomes a banner of `context`.
void registerWindows(kit::WindowRegistry& registry, kit::WindowContext& context);

}  // namespace funds
