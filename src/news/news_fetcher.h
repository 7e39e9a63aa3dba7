#pragma once
// One plain HTTP GET at a time for the news panel, on the main thread, over a
// socket of its own (the request target goes out exactly as built): a new
// fetch abandons the one in flight, so only the latest fetch's answer is
// handed on. Statuses outside 200-299, transport errors, a transfer silent for
// longer than the timeout and a body over the cap are logged and hand nothing on.
// No cache, no cookies, no credentials, no redirects.
#include <QByteArray>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <string>

class QTcpSocket;

namespace news {

class NewsFetcher : public QObject {
public:
    struct Limits {
        std::chrono::milliseconds transferTimeout{60000};
        qint64 maxBody = 32 * 1024 * 1024;
    };

    explicit NewsFetcher(Limits limits, QObject* parent = nullptr);
    ~NewsFetcher() override;

    // `answered` gets the body when this fetch is still the latest and succeeded.
    void get(const std::string& address, std::function<void(const QByteArray&)> answered);
    bool isFetching() const { return socket_ != nullptr; }

private:
    void abandon();
    void finish();
    void fail(const std::string& why);

    Limits limits_;
    QTcpSocket* socket_ = nullptr;  // the latest fetch's
    QByteArray received_;
    QTimer silence_;
    std::function<void(const QByteArray&)> answered_;
};

}  // namespace news
