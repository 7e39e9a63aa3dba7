#pragma once
// One part of a session's work: it owns its collections and registers the
// handlers of the message types it answers. Components live as long as their
// session and run on the main thread.
namespace state {

class Dispatcher;

class SessionComponent {
public:
    virtual ~SessionComponent() = default;
    // The name dispatch errors report.
    virtual const char* componentName() const = 0;
    virtual void registerHandlers(Dispatcher& table) = 0;
};

}  // namespace state
