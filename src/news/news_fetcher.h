#pragma once
// One plain HTTP GET at a time for the news panel, on the main thread, over a
// socket of its own (the request target goes out exactly as built): a new
// fetch abandons the one in flight, so only the latest fetch is answered.
// The answer is read as it arrives and handed on as soon as its body is
// whole, whether or not the server closes. Statuses outside 200-299, transport
// errors, malformed answers, a body over the cap, a transfer silent for longer
// than the silence timeout and a fetch still going at its deadline are logged
// and reported as a failure. Timers run on the platform clock.
// No cache, no cookies, no credentials, no redirects.
#include <QByteArray>
#include <QObject>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "news/core/http_exchange.h"
#include "platform/clock.h"

class QTcpSocket;

namespace news {

class NewsFetcher : public QObject {
public:
    struct Limits {
        std::chrono::milliseconds transferTimeout{60000};  // longest silence
        std::chrono::milliseconds deadline{120000};        // whole fetch, from connect to the last byte
        qint64 maxBody = 32 * 1024 * 1024;
    };

    explicit NewsFetcher(Limits limits, QObject* parent = nullptr);
    ~NewsFetcher() override;

    // `answered` gets the body, or `failed` the reason, when this fetch is still the latest.
    void get(const std::string& address, std::function<void(std::string body)> answered,
             std::function<void(const std::string&)> failed = nullptr);
    bool isFetching() const { return socket_ != nullptr; }
    // Bytes of the answer in flight read so far.
    qint64 receivedBytes() const { return received_; }

private:
    void abandon();
    void read();
    void finish();
    void fail(const std::string& why);
    void armSilence();

    Limits limits_;
    QTcpSocket* socket_ = nullptr;  // the latest fetch's
    std::unique_ptr<HttpAnswerReader> reader_;
    qint64 received_ = 0;
    platform::Clock::TimerId silence_ = 0, deadline_ = 0;
    std::function<void(std::string)> answered_;
    std::function<void(const std::string&)> failed_;
};

}  // namespace news
