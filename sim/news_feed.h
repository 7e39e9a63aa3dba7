#pragma once
// The loopback news feed: a plain HTTP server on 127.0.0.1 that answers every
// GET with one fixed RSS 2.0 document, whatever the category asked for, or
// with a hostile shape the fault board names (see hostileAnswer).
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
    // `shape` names the answer of each request ("" the document; see hostileAnswer).
    void start(std::function<void(const std::string&)> log, std::function<std::string()> shape = nullptr);
    void stop();
    int port() const { return port_; }

    // The document every request gets.
    static const std::string& document();
    // The whole answer of a shape: "huge-chunk" (a chunked answer of 40,000
    // size lines "fffffffffffffffe"), "many-children" (an item of 80,000
    // distinct children, about 1 MB), anything else the document's answer.
    static std::string hostileAnswer(const std::string& shape);

private:
    void serve();
    void answer(int client);

    int port_;
    int listenFd_ = -1;
    int wakeRead_ = -1, wakeWrite_ = -1;
    std::atomic<bool> running_{false};
    std::thread thread_;
    // Sends `bytes` one a time, kDripInterval apart, until sent, the client goes or the feed stops.
    void drip(int client, const std::string& bytes);

    std::function<void(const std::string&)> log_;
    std::function<std::string()> shape_;
};

}  // namespace sim
