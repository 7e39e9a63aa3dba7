#pragma once
// The seam between the delegate and the main window: a successful login asks
// for the controller once and keeps it for the life of the process.
#include <QWidget>
#include <functional>
#include <memory>

namespace shell {

class AppDelegate;

class MainWindowController {
public:
    virtual ~MainWindowController() = default;
    virtual QWidget* window() = 0;
    // A sheet is attached to the main window (menu item 1011 is then disabled).
    virtual bool isSheetAttached() const = 0;
};

using MainWindowFactory = std::function<std::unique_ptr<MainWindowController>(AppDelegate&)>;

// The plain window shown until the real main window lands.
std::unique_ptr<MainWindowController> makePlaceholderMainWindow(AppDelegate& delegate);

}  // namespace shell
