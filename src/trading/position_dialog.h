#pragma once
// What the position and order tables see of their row dialogs (close or
// cancel; modify or edit), and what those dialogs need of the application.
// A table makes each dialog once through a factory and keeps it. Main thread.
#include <QDialog>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

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

class PositionDialog : public QDialog {
public:
    using QDialog::QDialog;
    // 0: an open position (close, or its bracket); 1: a pending order (cancel, or edit).
    virtual void setDialogMode(std::int32_t mode) = 0;
    // Whatever the key, the value is the row index ("OrderIndex") and the dialog fills.
    virtual void setValue(const std::string& value, const std::string& key) = 0;
    virtual void StartTimerandNotification() = 0;
    virtual void windowDidAppear() = 0;
    // False when the last setValue found no row (an index past the end of the
    // collection, no session): the opener then ends the dialog (reject()) and
    // shows no sheet.
    virtual bool hasRecord() const { return true; }
};

using PositionDialogFactory = std::function<PositionDialog*()>;

}  // namespace trading
