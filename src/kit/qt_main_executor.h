#pragma once
// The main executor on Qt's event loop: posts run on the GUI thread, in order,
// after the event that is running now.
#include <QObject>
#include <QPointer>
#include <memory>

#include "platform/main_executor.h"

namespace kit {

class QtMainExecutor : public platform::Executor {
public:
    // Call on the GUI thread once the application object exists.
    QtMainExecutor();
    ~QtMainExecutor() override;
    void post(std::function<void()> fn) override;
    bool isMainThread() const override;

    // Creates one and installs it as platform::MainExecutor.
    static std::shared_ptr<QtMainExecutor> install();

private:
    // Lives on the GUI thread; queued calls on it keep posting order per thread.
    std::unique_ptr<QObject> context_;
};

}  // namespace kit
