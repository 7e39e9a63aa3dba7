#pragma once
// The main window's side as the views' tests see it: a sheet host and a
// window opener that record what they were asked.
#include <QDialog>
#include <cstdint>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "kit/sheet_host.h"
#include "kit/window_opener.h"

namespace kit::testing {

class FakeSheetHost : public kit::SheetHost {
public:
    void showCustomSheet(QDialog* sheet) override { shown.push_back(sheet); }
    bool isSheetAttached() const override { return attached; }
    std::vector<QDialog*> shown;
    bool attached = false;
};

class FakeWindowOpener : public kit::WindowOpener {
public:
    // The ticket's instruments apart; any other window by its record id, or
    // its item code when it has none, and the request's mode.
    bool openWindow(const std::string& name, const kit::OpenRequest& request) override {
        if (name == "TradeTicketWindowController") {
            tickets.push_back(request.itemCode);
        } else {
            windows.emplace_back(name, request.recordId.empty() ? request.itemCode : request.recordId);
            modes.push_back(request.mode);
        }
        return registered.count(name) > 0;
    }
    bool canOpenWindow(const std::string& name, const kit::OpenRequest& = {}) const override {
        return registered.count(name) > 0;
    }
    void setAccount(std::int32_t accountId) override { accounts.push_back(accountId); }
    std::vector<std::string> tickets;
    std::vector<std::int32_t> accounts;
    std::vector<std::pair<std::string, std::string>> windows;
    std::vector<std::int32_t> modes;
    std::set<std::string> registered;
};

}  // namespace kit::testing
