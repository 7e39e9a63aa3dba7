#include "kit/qt_main_executor.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace kit {

QtMainExecutor::QtMainExecutor() : context_(std::make_unique<QObject>()) {
    if (auto* application = QCoreApplication::instance()) context_->moveToThread(application->thread());
}

QtMainExecutor::~QtMainExecutor() = default;

void QtMainExecutor::post(std::function<void()> fn) {
    // Queued even on the GUI thread, so nothing runs inline.
    QMetaObject::invokeMethod(context_.get(), [fn = std::move(fn)] { fn(); }, Qt::QueuedConnection);
}

bool QtMainExecutor::isMainThread() const { return QThread::currentThread() == context_->thread(); }

std::shared_ptr<QtMainExecutor> QtMainExecutor::install() {
    auto executor = std::make_shared<QtMainExecutor>();
    platform::MainExecutor::install(executor);
    return executor;
}

}  // namespace kit
