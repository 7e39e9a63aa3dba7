// The simulator's news port and its hostile answers, read with a plain socket.
#include <gtest/gtest.h>
#include <poll.h>

#include <chrono>
#include <string>

#include "port_base.h"
#include "sim/news_feed.h"

namespace {

// What the port sends for one GET within `budget` (less when it closes first).
std::string fetch(int port, std::chrono::milliseconds budget) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string got;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
        const std::string request = "GET //news/x HTTP/1.1\r\nHost: h\r\n\r\n";
        [[maybe_unused]] auto sent = ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
        const auto end = std::chrono::steady_clock::now() + budget;
        char buffer[65536];
        for (auto now = std::chrono::steady_clock::now(); now < end; now = std::chrono::steady_clock::now()) {
            pollfd in{fd, POLLIN, 0};
            if (::poll(&in, 1, int(std::chrono::duration_cast<std::chrono::milliseconds>(end - now).count())) <= 0) break;
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) break;
            got.append(buffer, std::size_t(n));
        }
    }
    ::close(fd);
    return got;
}

std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

TEST(SimNews, ShapesOfTheAnswers) {
    std::string shape;
    sim::NewsFeed feed(simtest::freePortBase() + 3);
    feed.start(nullptr, [&] { return shape; });
    const std::string normal = fetch(feed.port(), std::chrono::seconds(10));
    EXPECT_EQ(normal.substr(normal.find("\r\n\r\n") + 4), sim::NewsFeed::document());

    shape = "huge-chunk";
    const std::string huge = fetch(feed.port(), std::chrono::seconds(10));
    EXPECT_NE(huge.find("Transfer-Encoding: chunked\r\n"), std::string::npos);
    EXPECT_EQ(count(huge, "fffffffffffffffe\r\n"), 40000u);

    shape = "many-children";
    const std::string many = fetch(feed.port(), std::chrono::seconds(10));
    EXPECT_EQ(count(many, "<child"), 80000u);
    EXPECT_GT(many.size(), 1000u * 1000);

    shape = "large-title";
    const std::string large = fetch(feed.port(), std::chrono::seconds(20));
    EXPECT_GT(large.size(), 31u * 1024 * 1024);
    EXPECT_LT(large.size(), 32u * 1024 * 1024);

    shape = "endless-trailer";
    const std::string trailer = fetch(feed.port(), std::chrono::seconds(10));
    EXPECT_EQ(count(trailer, "X-Pad-"), 1000u);
    EXPECT_EQ(trailer.find("\r\n\r\n", trailer.find("0\r\n")), std::string::npos);  // never ended

    // One byte each 0.2 s: some in a second, far from the whole answer.
    shape = "drip";
    const std::string drip = fetch(feed.port(), std::chrono::seconds(1));
    EXPECT_GE(drip.size(), 1u);
    EXPECT_LT(drip.size(), 20u);
    feed.stop();  // while it drips: it stops at once
}

}  // namespace
