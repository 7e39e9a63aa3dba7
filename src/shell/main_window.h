#pragma once
// The main trading window itself: closing it ends the application; its first
// showing, at its real size, lays out the splits.
#include <QMainWindow>
#include <functional>
#include <utility>

namespace shell {

class MainWindow : public QMainWindow {
public:
    MainWindow(std::function<void()> windowWillClose, std::function<void()> firstShown)
        : windowWillClose_(std::move(windowWillClose)), firstShown_(std::move(firstShown)) {}

protected:
    void closeEvent(QCloseEvent* event) override {
        QMainWindow::closeEvent(event);
        if (windowWillClose_) windowWillClose_();
    }
    void showEvent(QShowEvent* event) override {
        QMainWindow::showEvent(event);
        if (auto shown = std::exchange(firstShown_, nullptr)) shown();
    }

private:
    std::function<void()> windowWillClose_;
    std::function<void()> firstShown_;
};

}  // namespace shell
