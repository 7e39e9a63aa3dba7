#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QVBoxLayout>

#include "app/shell/app_delegate.h"
#include "app/shell/main_window.h"

namespace shell {

namespace {

class PlaceholderMainWindow : public MainWindowController {
public:
    explicit PlaceholderMainWindow(AppDelegate& delegate) {
        window_.setObjectName("MainWindow");
        window_.setWindowTitle(QString::fromStdString(delegate.AppName()));
        auto* label = new QLabel(QString::fromStdString(delegate.session().logindata().userName()), &window_);
        label->setAlignment(Qt::AlignCenter);
        window_.setCentralWidget(label);
        window_.menuBar()->addMenu(delegate.appMenu());
        window_.resize(900, 600);
    }
    QWidget* window() override { return &window_; }
    bool isSheetAttached() const override { return false; }

private:
    QMainWindow window_;
};

}  // namespace

std::unique_ptr<MainWindowController> makePlaceholderMainWindow(AppDelegate& delegate) {
    return std::make_unique<PlaceholderMainWindow>(delegate);
}

}  // namespace shell
