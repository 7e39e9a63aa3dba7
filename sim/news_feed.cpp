#include "news_feed.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <stdexcept>

#include "model/deployment_constants.h"

namespace sim {

namespace {

constexpr std::size_t kMaxRequest = 16 * 1024;
constexpr int kDripIntervalMs = 200;

void sendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += std::size_t(n);
    }
}

}  // namespace

const std::string& NewsFeed::document() {
    static const std::string rss =
        "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        "<rss version=\"2.0\">\n"
        "<channel>\n"
        "<title>Market news</title>\n"
        "<link>http://127.0.0.1/news</link>\n"
        "<description>Headlines of the trading day</description>\n"
        "<item>\n"
        "<title>Gold climbs as the dollar eases</title>\n"
        "<link>http://127.0.0.1/news/gold-climbs</link>\n"
        "<pubDate>Mon, 07 Dec 2026 09:15:00 GMT</pubDate>\n"
        "<description>Bullion gains for a third session.</description>\n"
        "</item>\n"
        "<item>\n"
        "<title>S&amp;P 500 futures steady before the jobs report</title>\n"
        "<link>http://127.0.0.1/news/futures-steady?day=7&amp;hour=10</link>\n"
        "<pubDate>Mon, 07 Dec 2026 10:02:00 GMT</pubDate>\n"
        "</item>\n"
        "<item>\n"
        "<title><![CDATA[Euro slips against the yen]]></title>\n"
        "<link>http://127.0.0.1/news/euro-slips</link>\n"
        "<pubDate>Mon, 07 Dec 2026 11:40:00 GMT</pubDate>\n"
        "</item>\n"
        "</channel>\n"
        "</rss>\n";
    return rss;
}

std::string NewsFeed::hostileAnswer(const std::string& shape) {
    std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/xml; charset=utf-8\r\nConnection: close\r\n";
    if (shape == "huge-chunk") {
        std::string answer = head + "Transfer-Encoding: chunked\r\n\r\n";
        answer.reserve(answer.size() + 40000 * 18);
        for (int i = 0; i < 40000; ++i) answer += "fffffffffffffffe\r\n";
        return answer;
    }
    if (shape == "endless-trailer") {
        // The last chunk, then trailer lines without the empty line that ends them.
        std::string answer = head + "Transfer-Encoding: chunked\r\n\r\n5\r\n<rss>\r\n0\r\n";
        for (int i = 0; i < 1000; ++i) answer += "X-Pad-" + std::to_string(i) + ": " + std::string(1000, 'p') + "\r\n";
        return answer;
    }
    std::string body = document();
    if (shape == "large-title") {
        // One word of letters, under the client's 32 MiB body cap.
        std::string title(31 * 1024 * 1024, 'x');
        for (std::size_t i = 0; i < title.size(); i += 64) title[i] = char('A' + i / 64 % 26);
        const std::string item = "<item>\n<title>" + title + "</title>\n<pubDate>Mon, 07 Dec 2026 12:00:00 GMT</pubDate>\n</item>\n";
        body.insert(body.find("<item>"), item);
    }
    if (shape == "many-children") {
        std::string item = "<item>\n<title>An item of 80,000 children</title>\n";
        item.reserve(1024 * 1024);
        for (int i = 0; i < 80000; ++i) item += "<child" + std::to_string(i) + "/>";
        item += "\n<pubDate>Mon, 07 Dec 2026 12:00:00 GMT</pubDate>\n</item>\n";
        body.insert(body.find("<item>"), item);
    }
    return head + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

void NewsFeed::drip(int client, const std::string& bytes) {
    for (const char byte : bytes) {
        pollfd wake{wakeRead_, POLLIN, 0};
        if (::poll(&wake, 1, kDripIntervalMs) != 0 || !running_) return;
        if (::send(client, &byte, 1, MSG_NOSIGNAL) != 1) return;
    }
}

void NewsFeed::start(std::function<void(const std::string&)> log, std::function<std::string()> shape) {
    if (running_) return;
    log_ = std::move(log);
    shape_ = std::move(shape);
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0) throw std::runtime_error("socket() failed");
    int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port_));
    ::inet_pton(AF_INET, deployment::kSimulatorHost, &addr.sin_addr);
    int fds[2];
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listenFd_, 16) != 0 ||
        ::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        ::close(listenFd_);
        listenFd_ = -1;
        throw std::runtime_error("cannot listen on " + std::string(deployment::kSimulatorHost) + ":" +
                                 std::to_string(port_));
    }
    wakeRead_ = fds[0];
    wakeWrite_ = fds[1];
    running_ = true;
    thread_ = std::thread([this] { serve(); });
}

void NewsFeed::stop() {
    if (running_.exchange(false)) {
        const char c = 'x';
        [[maybe_unused]] auto n = ::write(wakeWrite_, &c, 1);
    }
    if (thread_.joinable()) thread_.join();
    for (int* fd : {&listenFd_, &wakeRead_, &wakeWrite_})
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
}

void NewsFeed::serve() {
    while (running_) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) continue;
        if (fds[1].revents) break;
        if (!(fds[0].revents & POLLIN)) continue;
        const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        answer(client);
        ::close(client);
    }
}

void NewsFeed::answer(int client) {
    // The request line and headers, at most 16 KB; a client slow to send gets 10 s.
    timeval wait{10, 0};
    ::setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    std::string request;
    char buffer[2048];
    while (request.find("\r\n\r\n") == std::string::npos && request.size() < kMaxRequest) {
        const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        request.append(buffer, std::size_t(n));
    }
    const std::string line = request.substr(0, request.find("\r\n"));
    if (log_) log_("news: " + line);
    const bool get = line.rfind("GET ", 0) == 0;
    const std::string shape = get && shape_ ? shape_() : std::string();
    if (!shape.empty()) {
        const std::string hostile = hostileAnswer(shape);
        shape == "drip" ? drip(client, hostile) : sendAll(client, hostile);
        return;
    }
    const std::string body = get ? document() : std::string();
    sendAll(client, std::string(get ? "HTTP/1.1 200 OK" : "HTTP/1.1 405 Method Not Allowed") +
                        "\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: " + std::to_string(body.size()) +
                        "\r\nConnection: close\r\n\r\n" + body);
}

}  // namespace sim
