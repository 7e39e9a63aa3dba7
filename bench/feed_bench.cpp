// Price feed figures.
// 1. Decode + apply of ticks on one thread, as the session does, against a
//    minimal decoder of the same texts with the same results, and a plain
//    memchr split of them.
// 2. End to end, with a publisher of the benchmark's own writing prepared
//    ticks on a plain TCP socket as fast as the reader takes them (TCP
//    paces it; nothing dropped): the texts the subscription reader takes in
//    (conflated, then handed to the main thread and applied to the
//    instrument records), against a raw libzmq SUB on the same stream and a
//    plain TCP read of it, in interleaved rounds; and the latency from send to record of stamped ticks.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zmq.h>

#include <algorithm>
#include <cerrno>
#include <atomic>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/log.h"
#include "platform/main_executor.h"
#include "protocol/wire_format.h"
#include "protocol/zmq_subscription_feed.h"
#include "state/price_feed.h"
#include "state/tick_cut.h"
#include "support/zmq/zmq_context.h"
#include "support/zmq/zmq_socket.h"


namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double processCpu() {
    timespec cpu{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &cpu);
    return static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) / 1e9;
}

struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
};

struct Instruments {
    std::unordered_map<std::string, std::shared_ptr<model::ItemDetails>, Hash, std::equal_to<>> byCode;
    model::ItemDetails* find(std::string_view code) {
        auto it = byCode.find(code);
        return it == byCode.end() ? nullptr : it->second.get();
    }
    void add(const std::string& code) {
        auto item = std::make_shared<model::ItemDetails>();
        item->Code = code;
        item->Spreadtype = model::ItemDetails::kSpreadTopup;
        item->BidSpread = 1;
        item->AskSpread = 1;
        item->priceTick = 0.0001;
        byCode[code] = item;
    }
};

// Decodes one feed text and applies its tick, as the session does.
struct SessionPath {
    explicit SessionPath(Instruments& items) : instruments(items) {}
    Instruments& instruments;
    std::uint64_t applied = 0;
    model::PriceUpdate tick;
    void operator()(std::string_view text) {
        if (state::PriceFeed::kindOf(text) != state::PriceFeed::Kind::Tick) return;
        if (!state::PriceFeed::PriceUpdateDecode(text, tick)) return;
        ++applied;
        if (model::ItemDetails* item = instruments.find(tick.ItemCode)) state::PriceFeed::UpdateItemCollection(*item, tick);
    }
};

// The least a decoder of these texts does for the same instrument values:
// cut at 0x04, read integers, scale and round, format the time, apply with
// the instruments' top-up spread.
void minimalApply(Instruments& instruments, std::string_view t) {
    static constexpr double kPow10[] = {1, 10, 100, 1e3, 1e4, 1e5, 1e6};
    std::string_view f[12];
    std::size_t n = 0;
    const char* p = t.data();
    const char* end = p + t.size();
    while (n < 12) {
        const char* hit = static_cast<const char*>(std::memchr(p, '\x04', static_cast<std::size_t>(end - p)));
        f[n++] = std::string_view(p, static_cast<std::size_t>((hit ? hit : end) - p));
        if (!hit) break;
        p = hit + 1;
    }
    auto integer = [](std::string_view s) {
        long v = 0;
        for (char c : s) v = v * 10 + (c - '0');
        return v;
    };
    model::ItemDetails* item = instruments.find(f[0]);
    if (!item || n < 4) return;
    const double dot = kPow10[integer(f[n - 1])];
    const double base = static_cast<double>(integer(f[2]));
    double prices[7] = {};
    for (std::size_t i = 3; i < 10 && i < n - 1; ++i) {
        if (f[i].empty()) continue;
        const double scaled = state::PriceFeed::roundAsPrinted(static_cast<double>(integer(f[i])) / dot);
        prices[i - 3] = state::PriceFeed::roundAsPrinted(scaled + base);
    }
    const std::string_view s = f[1];
    std::string time(19, ' ');
    const char order[] = {4, 5, -1, 6, 7, -1, 0, 1, 2, 3, -1, 8, 9, -2, 10, 11, -2, 12, 13};
    for (int i = 0; i < 19; ++i) time[i] = order[i] >= 0 ? s[order[i]] : order[i] == -1 ? (i == 10 ? ' ' : '/') : ':';
    item->UpdateTime = time;
    if (prices[1] != 0 && prices[2] != 0) {
        prices[1] -= item->BidSpread * item->priceTick;
        prices[2] += item->AskSpread * item->priceTick;
    }
    double* targets[] = {&item->Last, &item->Bid, &item->Ask, &item->High, &item->Low, &item->Open, &item->PrevClose};
    for (int i = 0; i < 7; ++i)
        if (prices[i] != 0) *targets[i] = prices[i];
    item->isPriceUpdateReceived = true;
}

bool sameValues(Instruments& a, Instruments& b) {
    for (const auto& [code, x] : a.byCode) {
        const model::ItemDetails* y = b.find(code);
        if (!y || x->UpdateTime != y->UpdateTime || x->Last != y->Last || x->Bid != y->Bid || x->Ask != y->Ask ||
            x->High != y->High || x->Low != y->Low || x->Open != y->Open || x->PrevClose != y->PrevClose)
            return false;
    }
    return true;
}

std::vector<std::string> fixedTicks(const std::vector<std::string>& codes, std::size_t count) {
    std::vector<std::string> out;
    std::uint64_t x = 88172645463325252ull;
    for (std::size_t i = 0; i < count; ++i) {
        x ^= x << 13, x ^= x >> 7, x ^= x << 17;
        const std::string& code = codes[i % codes.size()];
        long mid = 10800 + static_cast<long>(x % 400);
        char buf[256];
        std::snprintf(buf, sizeof buf, "%s\x04" "2024010%d1030%02d\x04" "1\x04%ld\x04%ld\x04%ld\x04%ld\x04%ld\x04%ld\x04%ld\x04" "4",
                      code.c_str(), 2 + static_cast<int>(i % 7), static_cast<int>(i % 60), mid, mid - 5, mid + 5,
                      mid + 90, mid - 90, mid - 20, mid - 10);
        out.emplace_back(buf);
    }
    return out;
}

void decodeBench() {
    std::vector<std::string> codes;
    for (int i = 0; i < 200; ++i) codes.push_back("SYM" + std::to_string(i));
    const std::vector<std::string> ticks = fixedTicks(codes, 10000);
    Instruments sessionItems, minimalItems;
    for (const auto& c : codes) sessionItems.add(c), minimalItems.add(c);
    SessionPath session{sessionItems};

    const std::size_t rounds = 100;  // 1,000,000 ticks a pass
    double best[6] = {1e9, 1e9, 1e9, 1e9, 1e9, 1e9};
    std::size_t fields = 0, cutFields = 0;
    std::uint32_t masks = 0;
    for (int pass = 0; pass < 3; ++pass) {
        auto start = Clock::now();
        for (std::size_t r = 0; r < rounds; ++r)
            for (const auto& t : ticks) session(t);
        best[0] = std::min(best[0], seconds(Clock::now() - start));

        start = Clock::now();
        for (std::size_t r = 0; r < rounds; ++r)
            for (const auto& t : ticks) minimalApply(minimalItems, t);
        best[1] = std::min(best[1], seconds(Clock::now() - start));

        // Baseline: split every message at 0x04 with memchr, nothing else.
        start = Clock::now();
        for (std::size_t r = 0; r < rounds; ++r)
            for (const auto& t : ticks) {
                const char* p = t.data();
                const char* end = p + t.size();
                while (const void* hit = std::memchr(p, '\x04', static_cast<std::size_t>(end - p))) {
                    ++fields;
                    p = static_cast<const char*>(hit) + 1;
                }
                ++fields;
            }
        best[2] = std::min(best[2], seconds(Clock::now() - start));

        // What the feed reader reads of each tick for its conflation.
        start = Clock::now();
        for (std::size_t r = 0; r < rounds; ++r)
            for (const auto& t : ticks) masks |= state::PriceFeed::tickPriceFields(t);
        best[3] = std::min(best[3], seconds(Clock::now() - start));

        // The mask's cut alone: byte by byte (the baseline), then by blocks of sixteen.
        start = Clock::now();
        for (std::size_t r = 0; r < rounds; ++r)
            for (const auto& t : ticks) cutFields += state::tick::cutPortable(t).count;
        best[4] = std::min(best[4], seconds(Clock::now() - start));
        start = Clock::now();
        for (std::size_t r = 0; r < rounds; ++r)
            for (const auto& t : ticks) cutFields += state::tick::cutByBlocks(t).count;
        best[5] = std::min(best[5], seconds(Clock::now() - start));
    }

    // The reader's own work a message, sockets aside: the UTF-8 check, the
    // mask and the conflation in batches of 64 as a drain hands them, a
    // hand-off taken (and its buffers returned) every 4096.
    double readerBest = 1e9;
    {
        protocol::FeedConflator conflator(protocol::FeedConflator::Limits{}, &state::PriceFeed::tickPriceFields);
        std::vector<std::string_view> views(ticks.begin(), ticks.end());
        for (int pass = 0; pass < 3; ++pass) {
            auto start = Clock::now();
            std::size_t sinceTake = 0;
            for (std::size_t r = 0; r < rounds; ++r)
                for (std::size_t at = 0; at < views.size(); at += 64) {
                    const std::size_t n = std::min<std::size_t>(64, views.size() - at);
                    for (std::size_t i = 0; i < n; ++i) masks |= protocol::isValidUtf8(views[at + i]) ? 0 : 1;
                    conflator.add(std::span<const std::string_view>(views.data() + at, n));
                    if ((sinceTake += n) >= 4096) {
                        sinceTake = 0;
                        conflator.recycle(conflator.take());
                    }
                }
            readerBest = std::min(readerBest, seconds(Clock::now() - start));
        }
    }

    const double n = static_cast<double>(rounds * ticks.size());
    std::printf("decode+apply: %.0f ticks/s (%.1f ns/tick, best of 3)\n", n / best[0], best[0] / n * 1e9);
    std::printf("minimal decoder: %.0f ticks/s (%.1f ns/tick), same values: %s\n", n / best[1], best[1] / n * 1e9,
                sameValues(sessionItems, minimalItems) ? "yes" : "NO");
    std::printf("memchr split: %.0f ticks/s (%zu fields)\n", n / best[2], fields);
    std::printf("decode+apply / minimal decoder: %.3f (target >= 0.7)\n", best[1] / best[0]);
    std::printf("decode+apply / memchr split: %.3f\n", best[2] / best[0]);
    std::printf("conflation mask: %.1f ns/tick (prices 0x%x)\n", best[3] / n * 1e9, masks);
    std::printf("tick cut: byte by byte %.1f ns/tick, by 16-byte blocks %.1f ns/tick, ratio %.2f (%zu fields)\n",
                best[4] / n * 1e9, best[5] / n * 1e9, best[4] / best[5], cutFields);
    std::printf("reader work (UTF-8 check, mask, conflation): %.1f ns/message\n", readerBest / n * 1e9);
    std::printf("check: SYM7 last %.6f bid %.6f ask %.6f\n", sessionItems.find("SYM7")->Last,
                sessionItems.find("SYM7")->Bid, sessionItems.find("SYM7")->Ask);
}

// Runs the main loop until `done` or the timeout.
void pumpUntil(platform::ManualRunLoop& loop, const std::function<bool()>& done, double timeoutSeconds) {
    auto deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(timeoutSeconds));
    while (!done() && Clock::now() < deadline) {
        if (loop.runUntilIdle() == 0) std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
}

// A publisher on a plain TCP socket that speaks ZMTP 3 itself: it greets
// each subscriber as a PUB, then writes a prepared buffer of framed ticks
// again and again with blocking write(), so that TCP paces it to the reader
// and nothing is dropped. One subscriber at a time; what the subscriber sends
// is read and ignored (the SUB filters by itself too).
class PacedPublisher {
public:
    explicit PacedPublisher(const std::vector<std::string>& ticks) {
        for (const std::string& t : ticks) {
            frames_.push_back('\0');  // last part, short size
            frames_.push_back(static_cast<char>(t.size()));
            frames_.append(t);
        }
        listener_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || ::listen(listener_, 4) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
            std::perror("publisher");
            std::exit(1);
        }
        endpoint_ = "tcp://127.0.0.1:" + std::to_string(ntohs(address.sin_port));
        thread_ = std::thread([this] { serve(); });
    }
    ~PacedPublisher() {
        running_ = false;
        ::shutdown(listener_, SHUT_RDWR);
        const int peer = peer_.load();
        if (peer >= 0) ::shutdown(peer, SHUT_RDWR);
        thread_.join();
        ::close(listener_);
    }
    const std::string& endpoint() const { return endpoint_; }
    // CPU seconds of the publishing thread so far (updated a buffer at a time).
    double cpu() const { return cpu_; }

private:
    void serve() {
        while (running_) {
            const int peer = ::accept(listener_, nullptr, nullptr);
            if (peer < 0) return;
            peer_ = peer;
            int one = 1;
            ::setsockopt(peer, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            std::string hello(64, '\0');
            hello[0] = '\xff';
            hello[9] = '\x7f';
            hello[10] = 3;  // ZMTP 3.1: subscriptions come as commands
            hello[11] = 1;
            hello.replace(12, 4, "NULL");
            // READY with the property Socket-Type = PUB.
            hello += std::string("\x04\x19\x05READY\x0bSocket-Type", 20) + std::string("\0\0\0\x03PUB", 7);
            bool open = writeAll(peer, hello.data(), hello.size());
            // The subscriber sends its subscriptions once its handshake is
            // done; ticks sent before may reach it while it still expects commands.
            if (open) awaitFirstSubscription(peer);
            std::thread ignore([peer] {
                char sink[4096];
                while (::read(peer, sink, sizeof sink) > 0) {
                }
            });
            while (open && running_) {
                open = writeAll(peer, frames_.data(), frames_.size());
                timespec cpu{};
                clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpu);
                cpu_ = static_cast<double>(cpu.tv_sec) + static_cast<double>(cpu.tv_nsec) / 1e9;
            }
            ::shutdown(peer, SHUT_RDWR);
            ignore.join();
            peer_ = -1;
            ::close(peer);
        }
    }
    // Reads the greeting, the READY command and one more frame (the first
    // subscription); a peer that sends nothing (a plain reader) is waited for 0.2 s.
    static void awaitFirstSubscription(int fd) {
        auto readExactly = [fd](char* into, std::size_t size) {
            while (size > 0) {
                pollfd p{fd, POLLIN, 0};
                if (::poll(&p, 1, 200) <= 0) return false;
                const ssize_t n = ::read(fd, into, size);
                if (n <= 0) return false;
                into += n;
                size -= static_cast<std::size_t>(n);
            }
            return true;
        };
        char buffer[256];
        if (!readExactly(buffer, 64)) return;
        for (int frame = 0; frame < 2; ++frame) {
            unsigned char head[2];
            if (!readExactly(reinterpret_cast<char*>(head), 2)) return;
            std::size_t size = head[1];
            if (head[0] & 0x02) {  // long frame: 8 bytes of size, the first already read
                unsigned char rest[7];
                if (!readExactly(reinterpret_cast<char*>(rest), 7)) return;
                size = 0;
                for (unsigned char b : rest) size = size << 8 | b;
            }
            while (size > 0) {
                const std::size_t n = std::min(size, sizeof buffer);
                if (!readExactly(buffer, n)) return;
                size -= n;
            }
        }
    }
    static bool writeAll(int fd, const char* data, std::size_t size) {
        while (size > 0) {
            const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            data += n;
            size -= static_cast<std::size_t>(n);
        }
        return true;
    }

    std::string frames_;
    int listener_ = -1;
    std::atomic<int> peer_{-1};
    std::atomic<double> cpu_{0};
    std::string endpoint_;
    std::atomic<bool> running_{true};
    std::thread thread_;
};

// Ticks a plain TCP reader takes from the publisher a second (read() into a
// buffer, counted by bytes): what the publisher gives when nobody parses.
double plainReadRate(const std::string& endpoint, std::size_t bytesPerTick, double window) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(std::stoi(endpoint.substr(endpoint.rfind(':') + 1))));
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return 0;
    std::vector<char> buffer(1 << 16);
    auto warm = Clock::now();
    while (seconds(Clock::now() - warm) < 0.3) ::read(fd, buffer.data(), buffer.size());
    std::uint64_t bytes = 0;
    auto start = Clock::now();
    while (seconds(Clock::now() - start) < window) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n <= 0) break;
        bytes += static_cast<std::uint64_t>(n);
    }
    const double elapsed = seconds(Clock::now() - start);
    ::close(fd);
    return static_cast<double>(bytes) / static_cast<double>(bytesPerTick) / elapsed;
}

// Messages a raw libzmq SUB (one code a subscription, as the session) receives a second.
struct Rate {
    double perSecond;
    double cpuNs;  // CPU a message, the publisher's own thread aside
};

Rate rawSubRate(const PacedPublisher& publisher, const std::vector<std::string>& codes, double window) {
    const std::string& endpoint = publisher.endpoint();
    void* context = zmq_ctx_new();
    void* sub = zmq_socket(context, ZMQ_SUB);
    for (const auto& c : codes) zmq_setsockopt(sub, ZMQ_SUBSCRIBE, c.data(), c.size());
    int timeout = 100;
    zmq_setsockopt(sub, ZMQ_RCVTIMEO, &timeout, sizeof timeout);
    zmq_connect(sub, endpoint.c_str());
    zmq_msg_t msg;
    zmq_msg_init(&msg);
    auto warm = Clock::now();
    while (seconds(Clock::now() - warm) < 0.3) zmq_msg_recv(&msg, sub, 0);
    std::uint64_t raw = 0;
    const double cpu0 = processCpu() - publisher.cpu();
    auto start = Clock::now();
    while (seconds(Clock::now() - start) < window)
        if (zmq_msg_recv(&msg, sub, 0) >= 0) ++raw;
    const Rate rate{static_cast<double>(raw) / seconds(Clock::now() - start),
                    (processCpu() - publisher.cpu() - cpu0) / static_cast<double>(std::max<std::uint64_t>(raw, 1)) * 1e9};
    zmq_msg_close(&msg);
    int linger = 0;
    zmq_setsockopt(sub, ZMQ_LINGER, &linger, sizeof linger);
    zmq_close(sub);
    zmq_ctx_term(context);
    return rate;
}

struct ClientRate {
    double taken;
    double applied;
    double cpuNs;
};

// Texts the session's reader takes in a second, conflated and applied on the main thread.
ClientRate clientRate(const PacedPublisher& publisher, const std::vector<std::string>& codes, double window) {
    const std::string& endpoint = publisher.endpoint();
    Instruments instruments;
    for (const auto& c : codes) instruments.add(c);
    SessionPath session{instruments};
    auto loop = std::make_shared<platform::ManualRunLoop>();
    platform::MainExecutor::install(loop);
    auto context = std::make_shared<support::ZMQContext>(1);
    ClientRate rate{};
    {
        protocol::ZMQSubscriptionFeed reader(context, [&](const std::string& text) { session(text); },
                                             &state::PriceFeed::tickPriceFields);
        reader.connectToEndpoint(endpoint);
        for (const auto& c : codes) reader.SubscribeandUnsubscribe(c, protocol::ZMQSubscriptionFeed::kSubscribe);
        pumpUntil(*loop, [] { return false; }, 0.3);
        const std::uint64_t taken0 = reader.textsReceived();
        const std::uint64_t applied0 = session.applied;
        const double cpu0 = processCpu() - publisher.cpu();
        auto start = Clock::now();
        pumpUntil(*loop, [] { return false; }, window);
        const double elapsed = seconds(Clock::now() - start);
        const auto taken = reader.textsReceived() - taken0;
        rate.cpuNs = (processCpu() - publisher.cpu() - cpu0) / static_cast<double>(std::max<std::uint64_t>(taken, 1)) * 1e9;
        rate.taken = static_cast<double>(taken) / elapsed;
        rate.applied = static_cast<double>(session.applied - applied0) / elapsed;
        reader.stop();
        loop->runUntilIdle();
    }
    platform::MainExecutor::install(nullptr);
    return rate;
}

double median3(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void endToEndBench() {
    const double window = 1.5;
    std::vector<std::string> codes;
    for (int i = 0; i < 200; ++i) codes.push_back("SYM" + std::to_string(i));
    const std::vector<std::string> ticks = fixedTicks(codes, 10000);
    std::size_t bytes = 0;
    for (const auto& t : ticks) bytes += t.size() + 2;
    std::vector<double> plains, raws, clients, ratios, cpuRatios;
    {
        PacedPublisher publisher(ticks);
        for (int round = 1; round <= 3; ++round) {
            const double plain = plainReadRate(publisher.endpoint(), bytes / ticks.size(), window);
            const Rate raw = rawSubRate(publisher, codes, window);
            const ClientRate client = clientRate(publisher, codes, window);
            plains.push_back(plain);
            raws.push_back(raw.perSecond);
            clients.push_back(client.taken);
            ratios.push_back(client.taken / raw.perSecond);
            cpuRatios.push_back(raw.cpuNs / client.cpuNs);
            std::printf("round %d: plain TCP read %.0f msgs/s; raw SUB %.0f msgs/s (%.0f ns CPU each); client reader "
                        "%.0f msgs/s (%.0f ns CPU each), %.0f/s applied after conflation; ratio %.3f\n",
                        round, plain, raw.perSecond, raw.cpuNs, client.taken, client.cpuNs, client.applied,
                        ratios.back());
        }
    }
    auto least = [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); };
    std::printf("TCP-paced publisher, msgs/s min / median: plain read %.0f / %.0f, raw SUB %.0f / %.0f, client %.0f / "
                "%.0f\n",
                least(plains), median3(plains), least(raws), median3(raws), least(clients), median3(clients));
    std::printf("client reader / raw SUB: min %.3f, median %.3f (target >= 0.8)\n",
                *std::min_element(ratios.begin(), ratios.end()), median3(ratios));
    // Less swayed by a shared machine than the rates: CPU spent a message.
    std::printf("raw SUB CPU / client CPU a message: min %.3f, median %.3f\n",
                *std::min_element(cpuRatios.begin(), cpuRatios.end()), median3(cpuRatios));

    auto context = std::make_shared<support::ZMQContext>(1);
    auto loop = std::make_shared<platform::ManualRunLoop>();
    platform::MainExecutor::install(loop);
    Instruments instruments;
    SessionPath feed{instruments};

    // Latency: a publisher of our own stamps each tick (steady ns in field 10)
    // and sends 100,000 a second; the main thread reads the stamp after applying it.
    auto pub = context->socketWithType(ZMQ_PUB);
    int hwm = 0;
    zmq_setsockopt(pub->socket(), ZMQ_SNDHWM, &hwm, sizeof hwm);
    pub->bindToEndpoint("tcp://127.0.0.1:*");
    const std::string pubEndpoint = pub->dataForOption(ZMQ_LAST_ENDPOINT).c_str();
    std::vector<double> latencies;
    latencies.reserve(200000);
    protocol::ZMQSubscriptionFeed stamped(context, [&](const std::string& text) {
        feed(text);
        const auto now = Clock::now().time_since_epoch().count();
        std::size_t at = 0;
        for (int f = 0; f < 10 && at != std::string::npos; ++f) at = text.find('\x04', at + 1);
        if (at == std::string::npos) return;
        const long long sent = std::atoll(text.c_str() + at + 1);
        latencies.push_back(static_cast<double>(now - sent) / 1e3);
    }, &state::PriceFeed::tickPriceFields);
    stamped.connectToEndpoint(pubEndpoint);
    stamped.SubscribeandUnsubscribe("SYM", protocol::ZMQSubscriptionFeed::kSubscribe);
    std::atomic<bool> sending{true};
    std::thread sender([&] {
        // Warm-up until the subscription reached the publisher.
        for (int i = 0; i < 50; ++i) {
            pub->sendData("SYM1\x04" "20240102103000\x04" "1\x04" "10835\x04" "4", 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        const double rate = 100000.0;
        auto begin = Clock::now();
        std::uint64_t n = 0;
        char buf[200];
        while (sending) {
            const double due = static_cast<double>(n) / rate;
            if (seconds(Clock::now() - begin) < due) continue;
            const long long stamp = static_cast<long long>(Clock::now().time_since_epoch().count());
            std::snprintf(buf, sizeof buf,
                          "SYM%d\x04" "20240102103000\x04" "1\x04" "10835\x04" "10830\x04" "10840\x04" "10900\x04"
                          "10800\x04" "10810\x04" "10820\x04%lld\x04" "4",
                          static_cast<int>(n % 200), stamp);
            pub->sendData(buf, 0);
            ++n;
        }
    });
    for (int i = 0; i < 200; ++i) instruments.add("SYM" + std::to_string(i));
    pumpUntil(*loop, [] { return false; }, 0.3);
    latencies.clear();
    pumpUntil(*loop, [] { return false; }, window);
    sending = false;
    sender.join();
    stamped.stop();
    loop->runUntilIdle();
    pub->close();
    std::sort(latencies.begin(), latencies.end());
    if (!latencies.empty()) {
        auto pct = [&](double p) { return latencies[static_cast<std::size_t>(p * static_cast<double>(latencies.size() - 1))]; };
        std::printf("latency PUB -> record at 100,000 ticks/s: %zu ticks, p50 %.0f us, p99 %.0f us, max %.0f us\n",
                    latencies.size(), pct(0.5), pct(0.99), latencies.back());
    }
    platform::MainExecutor::install(nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    platform::Log::setMinimumLevel(platform::LogLevel::Warning);
    const std::string mode = argc > 1 ? argv[1] : "";
    // "feed_bench client [seconds]": the client reader alone on the paced
    // publisher, for a profiler.
    if (mode == "client") {
        std::vector<std::string> codes;
        for (int i = 0; i < 200; ++i) codes.push_back("SYM" + std::to_string(i));
        PacedPublisher publisher(fixedTicks(codes, 10000));
        if (argc > 3) {
            const Rate raw = rawSubRate(publisher, codes, std::atof(argv[2]));
            std::printf("raw SUB %.0f msgs/s (%.0f ns CPU each)\n", raw.perSecond, raw.cpuNs);
            return 0;
        }
        const ClientRate client = clientRate(publisher, codes, argc > 2 ? std::atof(argv[2]) : 10);
        std::printf("client reader %.0f msgs/s (%.0f ns CPU each), %.0f/s applied\n", client.taken, client.cpuNs,
                    client.applied);
        return 0;
    }
    // "feed_bench e2e": the end-to-end figures only.
    if (mode != "e2e") decodeBench();
    endToEndBench();
    return 0;
}
