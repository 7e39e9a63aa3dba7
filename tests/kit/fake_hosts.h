#pragma once
// The main window's side as the views' tests see it: a sheet host and a
// window opener that record what they were asked.
#include <QDialog>
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
    void openTicket(const std::string& itemCode) override { tickets.push_back(itemCode); }
    void openWindow(const std::string& name, const std::string& recordId) override {
        windows.emplace_back(name, recordId);
    }
    bool canOpenWindow(const std::string& name) const override { return registered.count(name) > 0; }
    std::vector<std::string> tickets;
    std::vector<std::pair<std::string, std::string>> windows;
    std::set<std::string> registered;
};

}  // namespace kit::testing
