#pragma once
// The main trading window itself: closing it ends the application.
#include <QMainWindow>
#include <functional>

namespace shell {

class MainWindow : public QMainWindow {
public:
    explicit MainWindow(std::function<void()> windowWillClose) : windowWillClose_(std::move(windowWillClose)) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        QMainWindow::closeEvent(event);
        if (windowWillClose_) windowWillClose_();
    }

private:
    std::function<void()> windowWillClose_;
};

}  // namespace shell
