// Starts the Qt application with the delegate and runs it until the last window closes.
#include <QApplication>
#include <QIcon>
#include <string>

#include "kit/app_style.h"
#include "kit/qt_main_executor.h"
#include "shell/app_delegate.h"
#include "shell/idle_sources.h"
#include "platform/free_memory.h"
#include "platform/log.h"
#include "platform/main_executor.h"
#include "platform/paths.h"
#include "platform/resource_bundle.h"
#include "platform/runtime.h"
#include "kit/shown_text.h"
#include "kit/own_text.h"

int main(int argc, char** argv) {
    platform::mapLargeBlocksApart();
    // Warnings and errors on stderr; the rest in a rotated file under the state folder.
    const std::string logFolder = platform::Paths::stateFolder();
    if (platform::Paths::createPrivateDirectory(logFolder))
        platform::Log::openFile(platform::Paths::join(logFolder, platform::ResourceBundle::applicationName() + ".log"));
    const bool styleNamed = kit::styleNamed(argc, argv);  // before QApplication takes -style out
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral(TC_APP_NAME));
    kit::installAppStyle(styleNamed);
    if (const auto icon = platform::ResourceBundle::pathForResource("images/AppIcon", "png"))
        QApplication::setWindowIcon(QIcon(kit::filePath(*icon)));
    auto executor = kit::QtMainExecutor::install();
    const auto removeIdleSource = shell::installIdleTimeSource();
    int result = 0;
    {
        shell::AppDelegate delegate;
        delegate.applicationDidFinishLaunching();
        result = QApplication::exec();
    }
    removeIdleSource();
    platform::shutdown();
    platform::MainExecutor::install(nullptr);
    platform::Log::closeFile();
    return result;
}
