#pragma once
// The loopback news feed: a plain HTTP server on 127.0.0.1 that answers every
// GET with one fixed RSS 2.0 document, whatever the category asked for.
#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace sim {

class NewsFeed {
public:
    explicit NewsFeed(int port) : port_(port) {}
    ~NewsFeed() { stop(); }
    NewsFeed(const NewsFeed&) = delete;
    NewsFeed& operator=(const NewsFeed&) = delete;

    // Binds the port and starts serving; throws std::runtime_error when it is taken.
    void start(std::function<void(const std::string&)> log);
    void stop();
    int port() const { return port_; }

    // The document every request gets.
    static const std::string& document();

private:
    void serve();
    void answer(int client);

    int port_;
    int listenFd_ = -1;
    int wakeRead_ = -1, wakeWrite_ = -1;
    std::atomic<bool> running_{false};
    std::thread thread_;
    std::function<void(const std::string&)> log_;
};

}  // namespace sim
