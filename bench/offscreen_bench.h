#pragma once
// What the offscreen window benchmarks set up first: the Fusion style on the
// offscreen platform, the Qt main executor, and preferences in a file of the
// benchmark's own, removed when done.
#include <QApplication>
#include <filesystem>
#include <memory>
#include <string>

#include "kit/core/preference_manager.h"
#include "kit/qt_main_executor.h"
#include "platform/preferences.h"

namespace bench {

inline int& offscreenFusion(int& argc) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication::setStyle("Fusion");
    return argc;
}

struct OffscreenApp {
    OffscreenApp(int& argc, char** argv) : application(offscreenFusion(argc), argv) {}
    ~OffscreenApp() { platform::MainExecutor::install(nullptr); }
    QApplication application;
    std::shared_ptr<kit::QtMainExecutor> executor = kit::QtMainExecutor::install();
};

struct BenchPreferences {
    explicit BenchPreferences(const std::string& name)
        : file{(std::filesystem::temp_directory_path() / (name + "_prefs")).string()} {}
    struct File {
        std::string path;
        ~File() { std::filesystem::remove(path); }  // after the store is gone
    } file;
    platform::Preferences store{file.path};
    kit::PreferenceManager manager{store};
};

}  // namespace bench
