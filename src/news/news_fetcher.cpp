#include "news/news_fetcher.h"

#include <QTcpSocket>
#include <utility>

#include "news/core/http_exchange.h"
#include "platform/log.h"
#include "platform/main_executor.h"

namespace news {

namespace {
// Room for the status line and headers beyond the body's cap.
constexpr qint64 kHeaderRoom = 64 * 1024;
}  // namespace

NewsFetcher::NewsFetcher(Limits limits, QObject* parent) : QObject(parent), limits_(limits) {
    silence_.setSingleShot(true);
    silence_.setInterval(static_cast<int>(limits_.transferTimeout.count()));
    connect(&silence_, &QTimer::timeout, this, [this] {
        fail("timed out after " + std::to_string(limits_.transferTimeout.count()) + " ms");
    });
}

NewsFetcher::~NewsFetcher() { abandon(); }

void NewsFetcher::abandon() {
    silence_.stop();
    received_.clear();
    answered_ = nullptr;
    if (QTcpSocket* socket = std::exchange(socket_, nullptr)) {
        socket->disconnect(this);  // its abort says nothing to us
        socket->abort();
        socket->deleteLater();
    }
}

void NewsFetcher::fail(const std::string& why) {
    platform::Log::error("News fetch failed: " + why);
    abandon();
}

void NewsFetcher::get(const std::string& address, std::function<void(const QByteArray&)> answered) {
    platform::assertMainThread();
    abandon();
    const auto target = httpTarget(address);
    if (!target) {
        platform::Log::error("News fetch failed: not a plain http address: " + address);
        return;
    }
    answered_ = std::move(answered);
    socket_ = new QTcpSocket(this);
    const QByteArray request = QByteArray::fromStdString(httpGetRequest(*target));
    connect(socket_, &QTcpSocket::connected, this, [this, request] { socket_->write(request); });
    connect(socket_, &QTcpSocket::readyRead, this, [this] {
        received_ += socket_->readAll();
        silence_.start();
        if (received_.size() > limits_.maxBody + kHeaderRoom) {
            platform::Log::error("News answer refused: more than " + std::to_string(limits_.maxBody) + " bytes");
            abandon();
        }
    });
    connect(socket_, &QTcpSocket::disconnected, this, [this] { finish(); });
    connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // The server's close ends every answer: "disconnected" reads it.
        if (error != QAbstractSocket::RemoteHostClosedError) fail(socket_->errorString().toStdString());
    });
    silence_.start();
    socket_->connectToHost(QString::fromStdString(target->name), target->port);
}

void NewsFetcher::finish() {
    if (!socket_) return;
    received_ += socket_->readAll();
    const QByteArray bytes = received_;
    const auto answered = answered_;
    abandon();
    std::string why;
    const auto answer = readHttpAnswer(std::string_view(bytes.constData(), std::size_t(bytes.size())), &why);
    if (!answer) {
        platform::Log::error("News fetch failed: " + why);
    } else if (answer->status < 200 || answer->status > 299) {
        platform::Log::error("News fetch failed: status " + std::to_string(answer->status));
    } else if (qint64(answer->body.size()) > limits_.maxBody) {
        platform::Log::error("News answer refused: more than " + std::to_string(limits_.maxBody) + " bytes");
    } else if (answered) {
        answered(QByteArray::fromStdString(answer->body));
    }
}

}  // namespace news
