#include "news/news_fetcher.h"

#include <QTcpSocket>
#include <utility>

#include "platform/log.h"
#include "platform/main_executor.h"
#include "kit/own_text.h"

namespace news {

NewsFetcher::NewsFetcher(Limits limits, QObject* parent) : QObject(parent), limits_(limits) {}

NewsFetcher::~NewsFetcher() { abandon(); }

void NewsFetcher::abandon() {
    platform::MainExecutor::cancel(std::exchange(silence_, 0));
    platform::MainExecutor::cancel(std::exchange(deadline_, 0));
    reader_.reset();
    received_ = 0;
    answered_ = nullptr;
    failed_ = nullptr;
    if (QTcpSocket* socket = std::exchange(socket_, nullptr)) {
        socket->disconnect(this);  // its abort says nothing to us
        socket->abort();
        socket->deleteLater();
    }
}

void NewsFetcher::fail(const std::string& why) {
    platform::Log::error("News fetch failed: " + why);
    const auto failed = failed_;
    abandon();
    if (failed) failed(why);
}

void NewsFetcher::armSilence() {
    platform::MainExecutor::cancel(silence_);
    silence_ = platform::MainExecutor::postAfter(limits_.transferTimeout, [this] {
        silence_ = 0;
        fail("timed out after " + std::to_string(limits_.transferTimeout.count()) + " ms of silence");
    });
}

void NewsFetcher::get(const std::string& address, std::function<void(std::string)> answered,
                      std::function<void(const std::string&)> failed) {
    platform::assertMainThread();
    abandon();
    failed_ = std::move(failed);
    const auto target = httpTarget(address);
    if (!target) {
        fail("not a plain http address: " + address);
        return;
    }
    answered_ = std::move(answered);
    reader_ = std::make_unique<HttpAnswerReader>(std::size_t(std::max<qint64>(0, limits_.maxBody)));
    socket_ = new QTcpSocket(this);
    const QByteArray request = QByteArray::fromStdString(httpGetRequest(*target));
    connect(socket_, &QTcpSocket::connected, this, [this, request] { socket_->write(request); });
    connect(socket_, &QTcpSocket::readyRead, this, [this] { read(); });
    connect(socket_, &QTcpSocket::disconnected, this, [this] { finish(); });
    connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        // The server's close ends an answer read until the close: "disconnected" reads it.
        if (error != QAbstractSocket::RemoteHostClosedError) fail(socket_->errorString().toStdString());
    });
    armSilence();
    deadline_ = platform::MainExecutor::postAfter(limits_.deadline, [this] {
        deadline_ = 0;
        fail("no whole answer within " + std::to_string(limits_.deadline.count()) + " ms");
    });
    socket_->connectToHost(kit::exactText(kit::ExactInput(target->name)), target->port);
}

void NewsFetcher::read() {
    if (!socket_) return;
    const QByteArray bytes = socket_->readAll();
    received_ += bytes.size();
    armSilence();
    if (reader_->feed(std::string_view(bytes.constData(), std::size_t(bytes.size()))) !=
        HttpAnswerReader::State::Reading)
        finish();
}

void NewsFetcher::finish() {
    if (!socket_) return;
    if (reader_->state() == HttpAnswerReader::State::Reading) {
        const QByteArray rest = socket_->readAll();
        reader_->feed(std::string_view(rest.constData(), std::size_t(rest.size())));
        reader_->close();
    }
    if (reader_->state() == HttpAnswerReader::State::Refused) return fail(reader_->why());
    HttpAnswer answer = reader_->takeAnswer();
    if (answer.status < 200 || answer.status > 299) return fail("status " + std::to_string(answer.status));
    const auto answered = answered_;
    abandon();
    if (answered) answered(std::move(answer.body));  // handed over: one copy of a large body at a time
}

}  // namespace news
