// Starts the Qt application with the delegate and runs it until the last window closes.
#include <QApplication>

#include "app/kit/qt_main_executor.h"
#include "app/shell/app_delegate.h"
#include "platform/main_executor.h"
#include "platform/runtime.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(TC_APP_NAME);
    QApplication::setStyle("Fusion");
    auto executor = app::QtMainExecutor::install();
    int result = 0;
    {
        shell::AppDelegate delegate;
        delegate.applicationDidFinishLaunching();
        result = QApplication::exec();
    }
    platform::shutdown();
    platform::MainExecutor::install(nullptr);
    return result;
}
