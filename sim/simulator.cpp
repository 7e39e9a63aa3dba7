#include "simulator.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <zmq.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <future>
#include <iostream>
#include <sstream>
#include <stdexcept>

#include "login_data.h"
#include "model/deployment_constants.h"
#include "sim_crypto.h"

namespace sim {

struct Simulator::Session {
    int id = 0;
    int fd = -1;
    std::string peer;
    Deframer deframer{1u << 20};
    bool loggedIn = false;
    bool loginDataSent = false;
    bool closing = false;
    std::string user;
    std::string password;
    std::string referenceId;
    std::string preKey;      // the key that opened the login envelope
    std::string sessionKey;  // after the login data
};

namespace {

constexpr const char* kLoggedInElsewhere = "You have logged in from another location.";

// The 44's text, padded with letters to `bytes` when a fault asks for a long one.
std::string loggedInElsewhereText(std::size_t bytes) {
    std::string text = kLoggedInElsewhere;
    if (bytes > text.size()) text.append(bytes - text.size(), 'x');
    return text;
}
// Login error codes of the refusal (type 47).
constexpr int kRefusedBadPassword = 10;
constexpr int kRefusedDisabled = 11;

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> out;
    for (std::string w; in >> w;) out.push_back(w);
    return out;
}

std::string restOf(const std::string& line, std::size_t wordsToSkip) {
    std::size_t p = 0;
    for (std::size_t i = 0; i < wordsToSkip; ++i) {
        p = line.find_first_not_of(' ', p);
        if (p == std::string::npos) return {};
        p = line.find(' ', p);
        if (p == std::string::npos) return {};
    }
    p = line.find_first_not_of(' ', p);
    return p == std::string::npos ? std::string() : line.substr(p);
}

// A message from command words: TYPE, then TAG=VALUE pairs.
bool messageOf(const std::vector<std::string>& w, std::size_t typeAt, WireMessage* m, std::string* error) {
    *m = WireMessage(std::atoi(w[typeAt].c_str()));
    for (std::size_t i = typeAt + 1; i < w.size(); ++i) {
        const auto eq = w[i].find('=');
        if (eq == std::string::npos) {
            *error = "expected TAG=VALUE: " + w[i];
            return false;
        }
        m->add(std::atoi(w[i].substr(0, eq).c_str()), w[i].substr(eq + 1));
    }
    return true;
}

int bindTcp(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) throw std::runtime_error("socket() failed");
    int one = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, deployment::kSimulatorHost, &addr.sin_addr);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(fd, 16) != 0) {
        ::close(fd);
        throw std::runtime_error("cannot listen on " + std::string(deployment::kSimulatorHost) + ":" +
                                 std::to_string(port));
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    return fd;
}

std::string endpoint(int port) {
    return "tcp://" + std::string(deployment::kSimulatorHost) + ":" + std::to_string(port);
}

}  // namespace

Simulator::Simulator(Scenario scenario, SimulatorOptions options)
    : options_(options),
      scenario_(std::move(scenario)),
      packedTables_(scenario_),
      market_(scenario_.instruments(), options.seed),
      desk_(scenario_, market_),
      dataService_(scenario_, market_) {
    sessionPort_ = options.portBase > 0 ? options.portBase : deployment::kSessionPort;
    feedPort_ = options.portBase > 0 ? options.portBase + 1 : deployment::kFeedPort;
    requestPort_ = options.portBase > 0 ? options.portBase + 2 : deployment::kRequestPort;
    news_ = std::make_unique<NewsFeed>(options.portBase > 0 ? options.portBase + deployment::kNewsPortOffset : deployment::kNewsPort);
    ticksPerSecond_ = options.ticksPerSecond;
    faults_.update([&](FaultState& f) {
        f.wrap = options.wrap;
        f.xmlLoginData = options.xmlLoginData;
    });
}

Simulator::~Simulator() { stop(); }

void Simulator::setLogSink(std::function<void(const std::string&)> sink) {
    std::lock_guard<std::mutex> lock(logMutex_);
    logSink_ = std::move(sink);
}

void Simulator::log(const std::string& line) {
    std::lock_guard<std::mutex> lock(logMutex_);
    if (logSink_) logSink_(line);
    else std::cerr << "trading-sim: " << line << std::endl;
}

void Simulator::start() {
    if (running_) return;
    listenFd_ = bindTcp(sessionPort_);
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) throw std::runtime_error("pipe() failed");
    wakeRead_ = fds[0];
    wakeWrite_ = fds[1];
    zmq_ = zmq_ctx_new();
    pub_ = zmq_socket(zmq_, ZMQ_PUB);
    router_ = zmq_socket(zmq_, ZMQ_ROUTER);
    int linger = 0, hwm = 200000;
    zmq_setsockopt(pub_, ZMQ_LINGER, &linger, sizeof linger);
    zmq_setsockopt(pub_, ZMQ_SNDHWM, &hwm, sizeof hwm);
    zmq_setsockopt(router_, ZMQ_LINGER, &linger, sizeof linger);
    if (zmq_bind(pub_, endpoint(feedPort_).c_str()) != 0 || zmq_bind(router_, endpoint(requestPort_).c_str()) != 0) {
        const std::string why = zmq_strerror(zmq_errno());
        stop();
        throw std::runtime_error("cannot bind the feed or request port (" + why + ")");
    }
    try {
        news_->start([this](const std::string& line) { log(line); }, [this] { return faults_.snapshot().newsShape; });
    } catch (const std::runtime_error&) {
        stop();
        throw;
    }
    running_ = true;
    ioThread_ = std::thread([this] { ioLoop(); });
    feedThread_ = std::thread([this] { feedLoop(); });
    requestThread_ = std::thread([this] { requestLoop(); });
}

void Simulator::stop() {
    const bool wasRunning = running_.exchange(false);
    if (wasRunning && wakeWrite_ >= 0) {
        const char c = 'x';
        [[maybe_unused]] auto n = ::write(wakeWrite_, &c, 1);
    }
    if (ioThread_.joinable()) ioThread_.join();
    if (feedThread_.joinable()) feedThread_.join();
    if (requestThread_.joinable()) requestThread_.join();
    news_->stop();
    for (auto& [id, s] : sessions_)
        if (s->fd >= 0) ::close(s->fd);
    sessions_.clear();
    if (pub_) zmq_close(pub_);
    if (router_) zmq_close(router_);
    if (zmq_) zmq_ctx_term(zmq_);
    pub_ = router_ = zmq_ = nullptr;
    for (int* fd : {&listenFd_, &wakeRead_, &wakeWrite_})
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
}

void Simulator::post(std::function<void()> task) {
    {
        std::lock_guard<std::mutex> lock(postMutex_);
        posted_.push_back(std::move(task));
    }
    const char c = 'p';
    [[maybe_unused]] auto n = ::write(wakeWrite_, &c, 1);
}

std::string Simulator::runOnIo(std::function<std::string()> task) {
    if (!running_) return "error the simulator is not running";
    auto promise = std::make_shared<std::promise<std::string>>();
    auto future = promise->get_future();
    post([promise, task] { promise->set_value(task()); });
    if (future.wait_for(std::chrono::seconds(10)) != std::future_status::ready) return "error timed out";
    try {
        return future.get();
    } catch (const std::future_error&) {  // stopped before the task ran
        return "error the simulator stopped";
    }
}

// ---------------------------------------------------------------- TCP session

void Simulator::ioLoop() {
    auto lastTriggerCheck = std::chrono::steady_clock::now();
    while (running_) {
        std::vector<pollfd> fds;
        fds.push_back({wakeRead_, POLLIN, 0});
        fds.push_back({listenFd_, POLLIN, 0});
        std::vector<int> ids;
        for (auto& [id, s] : sessions_) {
            fds.push_back({s->fd, POLLIN, 0});
            ids.push_back(id);
        }
        ::poll(fds.data(), fds.size(), 100);
        if (!running_) break;
        if (fds[0].revents & POLLIN) {
            char buf[256];
            while (::read(wakeRead_, buf, sizeof buf) > 0) {
            }
        }
        std::vector<std::function<void()>> tasks;
        {
            std::lock_guard<std::mutex> lock(postMutex_);
            tasks.swap(posted_);
        }
        for (auto& t : tasks) t();
        if (fds[1].revents & POLLIN) {
            sockaddr_in addr{};
            socklen_t len = sizeof addr;
            const int fd = ::accept4(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len, SOCK_CLOEXEC);
            if (fd >= 0) {
                int one = 1;
                ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
                timeval tv{5, 0};
                ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
                auto s = std::make_unique<Session>();
                s->id = nextSessionId_++;
                s->fd = fd;
                char ip[INET_ADDRSTRLEN] = {};
                ::inet_ntop(AF_INET, &addr.sin_addr, ip, sizeof ip);
                s->peer = std::string(ip) + ":" + std::to_string(ntohs(addr.sin_port));
                log("session " + std::to_string(s->id) + " connected from " + s->peer);
                sessions_[s->id] = std::move(s);
            }
        }
        for (std::size_t i = 0; i < ids.size(); ++i) {
            if (!(fds[i + 2].revents & (POLLIN | POLLHUP | POLLERR))) continue;
            auto it = sessions_.find(ids[i]);
            if (it != sessions_.end()) readSession(*it->second);
        }
        for (auto it = sessions_.begin(); it != sessions_.end();) {
            if (it->second->fd < 0) it = sessions_.erase(it);
            else ++it;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now - lastTriggerCheck > std::chrono::milliseconds(200)) {
            lastTriggerCheck = now;
            checkTriggers();
        }
    }
}

void Simulator::closeSession(Session& s) {
    if (s.fd < 0) return;
    log("session " + std::to_string(s.id) + " closed");
    ::close(s.fd);
    s.fd = -1;
    s.loggedIn = false;
}

void Simulator::readSession(Session& s) {
    char buf[65536];
    const ssize_t n = ::recv(s.fd, buf, sizeof buf, 0);
    if (n <= 0) {
        closeSession(s);
        return;
    }
    if (s.closing) return;  // waiting for the client to hang up
    bool overflow = false;
    const auto frames = s.deframer.feed(std::string(buf, static_cast<std::size_t>(n)), &overflow);
    if (overflow) log("session " + std::to_string(s.id) + ": unterminated frame over 1 MB dropped");
    for (const auto& f : frames) {
        if (s.fd < 0 || s.closing) break;
        handleFrame(s, f);
    }
}

void Simulator::handleFrame(Session& s, const std::string& frameText) {
    const auto m = WireMessage::parse(frameText);
    if (!m) {
        log("session " + std::to_string(s.id) + ": malformed frame dropped (" + std::to_string(frameText.size()) +
            " bytes)");
        return;
    }
    if (m->type() == 76) return handleEnvelope(s, *m);
    log("session " + std::to_string(s.id) + ": plain message of type " + std::to_string(m->type()) +
        " dropped; requests travel in envelopes");
}

void Simulator::handleEnvelope(Session& s, const WireMessage& env) {
    const std::string tag = "session " + std::to_string(s.id) + ": ";
    const auto raw = SimCrypto::base64Decode(env.get(27));
    if (!raw || raw->empty()) {
        log(tag + "envelope dropped: tag 27 is not Base64");
        return;
    }
    std::vector<std::string> keys;
    if (s.loginDataSent) {
        keys.push_back(s.sessionKey);
    } else if (!s.preKey.empty()) {
        keys.push_back(s.preKey);
    } else {
        keys.push_back(deployment::kSecurityKey);
        keys.insert(keys.end(), issuedKeys_.rbegin(), issuedKeys_.rend());
    }
    std::optional<WireMessage> inner;
    std::string usedKey;
    for (const auto& key : keys) {
        const auto plain = SimCrypto::decrypt(*raw, key);
        if (!plain) continue;
        const auto frames = Deframer().feed(*plain);
        if (frames.size() != 1) continue;
        inner = WireMessage::parse(frames.front());
        if (inner) {
            usedKey = key;
            break;
        }
    }
    if (!inner) {
        log(tag + "envelope dropped: it does not decrypt with the " +
            std::string(s.loginDataSent ? "session key" : "shipped key or an earlier session key"));
        return;
    }
    if (!s.loginDataSent) s.preKey = usedKey;
    const int type = inner->type();
    switch (type) {
        case 32: return handleLogin(s, *inner);
        case 1026: return handleDemoRegistration(s, *inner);
        default: break;
    }
    if (!s.loggedIn) {
        log(tag + "message of type " + std::to_string(type) + " before login dropped");
        return;
    }
    // The funds mode as the request is recorded: a test that switches it once
    // it sees the request never changes this request's answer.
    const std::string fundsMode = type == 93 || type == 693 ? faults_.snapshot().fundsAnswer : std::string();
    if (type != 1018) received_.add(s.user, std::to_string(type));
    switch (type) {
        case 1018: {
            WireMessage pong(1019);
            pong.add(21, packedNow());
            sendToSession(s, pong);
            return;
        }
        case 37: return handlePasswordChange(s, *inner);
        case 93:
        case 693: {
            // Separators shown as "|", so the request reads on one line.
            std::string shown = inner->body();
            for (char& c : shown)
                if (c >= 0x01 && c <= 0x07) c = '|';
            log(tag + "funds request " + shown);
            for (const auto& m : fundsDesk_.handle(*inner, fundsMode)) sendToSession(s, m);
            return;
        }
        case 60:
        case 72:
        case 77:
        case 82:
        case 1052: {
            std::vector<WireMessage> out;
            {
                std::lock_guard<std::mutex> lock(stateMutex_);
                desk_.refuseCloses(faults_.snapshot().closeRefuse);
                out = desk_.handle(*inner, s.user);
            }
            for (const auto& m : out) sendToSession(s, m);
            return;
        }
        default:
            if (ChatPeer::isChatRequest(type)) {
                for (const auto& m : chat_.handle(*inner, s.user)) sendToSession(s, m);
                return;
            }
            log(tag + "message of type " + std::to_string(type) + " ignored");
    }
}

void Simulator::handleLogin(Session& s, const WireMessage& m) {
    const std::string tag = "session " + std::to_string(s.id) + ": ";
    if (s.loggedIn) {
        log(tag + "second login on one connection ignored");
        return;
    }
    const std::string user = m.get(23), password = m.get(18);
    const FaultState f = faults_.snapshot();
    UserRecord record;
    bool known = false;
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        if (const UserRecord* u = scenario_.findUser(user)) {
            record = *u;
            known = true;
        }
    }
    int refuse = 0;
    std::string refuseText;
    if (!known || record.password != password) {
        refuse = static_cast<int>(jsonInteger(scenario_.root(), "badPasswordCode", kRefusedBadPassword));
        refuseText = "Invalid user name or password";
    } else if (record.refuseCode > 0) {
        refuse = record.refuseCode;
        refuseText = record.refuseMessage;
    } else if (!jsonBool(record.info, "userenabled", true)) {
        refuse = kRefusedDisabled;
        refuseText = "User disabled";
    }
    if (refuse) {
        log(tag + "login of '" + user + "' refused with code " + std::to_string(refuse));
        WireMessage no(47);
        no.add(160, f.xmlLoginData ? "XML" : deployment::kPackedDataFormat);
        no.add(1050, compress(f.xmlLoginData ? "<NewDataSet />" : LoginData::refusal(refuse, refuseText)));
        sendToSession(s, no);
        return;
    }
    // One session per user: the earlier one is told and closed.
    for (auto& [id, other] : sessions_) {
        if (other.get() == &s || !other->loggedIn || other->user != user || other->closing) continue;
        WireMessage elsewhere(44);
        elsewhere.add(105, loggedInElsewhereText(f.logoutReasonBytes));
        sendToSession(*other, elsewhere);
        if (other->fd >= 0) ::shutdown(other->fd, SHUT_WR);
        other->closing = true;
        other->loggedIn = false;
        log("session " + std::to_string(other->id) + ": '" + user + "' logged in elsewhere");
    }
    s.user = user;
    s.password = password;
    s.referenceId = std::to_string(nextReferenceId_++);
    const std::string serverTime = packedNow();
    s.sessionKey = SimCrypto::sessionKey(user, password, s.referenceId, serverTime);
    std::string payload;
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        const LoginPorts ports{feedPort_, requestPort_};
        payload = f.xmlLoginData ? LoginData::xml(scenario_, record, ports) : packedTables_.packed(scenario_, record, ports);
    }
    if (f.loginCutBytes && f.loginCutBytes < payload.size()) payload.resize(f.loginCutBytes);
    lastLoginBytes_ = payload.size();
    WireMessage data(33);
    data.add(19, s.referenceId).add(21, serverTime).add(160, f.xmlLoginData ? "XML" : deployment::kPackedDataFormat);
    data.add(1050, compress(payload));
    sendToSession(s, data);
    s.loginDataSent = true;
    s.loggedIn = true;
    issuedKeys_.push_back(s.sessionKey);
    if (issuedKeys_.size() > 64) issuedKeys_.erase(issuedKeys_.begin());
    loginKeys_[user].push_back(s.preKey == deployment::kSecurityKey ? std::string("shipped") : s.preKey);
    sendToSession(s, WireMessage(18));
    log(tag + "'" + user + "' logged in, reference id " + s.referenceId);
}

void Simulator::handleDemoRegistration(Session& s, const WireMessage& m) {
    if (s.loggedIn) {
        log("session " + std::to_string(s.id) + ": demo registration on a logged-in connection ignored");
        return;
    }
    const std::string shape = faults_.snapshot().demoAnswer;
    UserRecord user;
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        const Json& tmpl = jsonMember(scenario_.root(), "demoAccount");
        AccountRecord account;
        account.id = static_cast<int>(jsonInteger(tmpl, "AccountId", 880000)) + nextDemoUser_;
        account.groupId = static_cast<int>(jsonInteger(tmpl, "GroupId"));
        const double deposit = std::atof(m.get(564).c_str());
        account.balance = deposit > 0 && deposit <= 1e9 ? deposit : jsonNumber(tmpl, "Balance", 10000);
        account.record = tmpl;
        scenario_.addAccount(account);
        user.name = "demo" + std::to_string(nextDemoUser_);
        static const char kAlphabet[] = "abcdefghjkmnpqrstuvwxyz23456789";
        std::mt19937 rng(static_cast<unsigned>(options_.seed + static_cast<unsigned>(nextDemoUser_)));
        for (int i = 0; i < 8; ++i) user.password += kAlphabet[rng() % (sizeof kAlphabet - 1)];
        if (shape == "slashed") {
            user.name += "/a#b";
            user.password.replace(2, 2, "/#");
        }
        if (shape == "markup") user.name += "<a href=\"file:///x\">x</a><img src=/nonexistent.png>";
        user.userId = 900000 + nextDemoUser_;
        user.accounts = {account.id};
        user.info = jsonMember(scenario_.root(), "demoUser");
        ++nextDemoUser_;
        scenario_.addUser(user);
    }
    loginKeys_[user.name].push_back(s.preKey == deployment::kSecurityKey ? std::string("shipped") : s.preKey);
    WireMessage answer(1027);
    answer.add(23, user.name).add(shape == "no-password" ? 103 : 18, user.password);
    sendToSession(s, answer);
    if (s.fd >= 0) ::shutdown(s.fd, SHUT_WR);
    s.closing = true;
    log("session " + std::to_string(s.id) + ": demo user '" + user.name + "' created for " + m.get(1152));
}

void Simulator::handlePasswordChange(Session& s, const WireMessage& m) {
    const std::string oldPassword = m.get(104), newPassword = m.get(103);
    bool ok = false;
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        const UserRecord* u = scenario_.findUser(s.user);
        ok = u && u->password == oldPassword && !newPassword.empty() &&
             newPassword.find_first_of("\x01\x02\x03\x04\x05\x06\x07") == std::string::npos;
        if (ok) scenario_.setPassword(s.user, newPassword);
    }
    WireMessage answer(38);
    answer.add(23, s.user).add(17, ok ? "success" : "failure");
    if (ok) answer.add(103, newPassword);
    sendToSession(s, answer);
}

std::string Simulator::compress(const std::string& text) {
    std::string mode;
    faults_.update([&](FaultState& f) {
        mode = f.badCompressed;
        f.badCompressed.clear();
    });
    if (mode == "short") return SimCrypto::base64Encode("ab");
    std::string payload = SimCrypto::compressPayload(text);
    if (mode == "truncated") {
        auto raw = SimCrypto::base64Decode(payload);
        if (raw) payload = SimCrypto::base64Encode(raw->substr(0, 4 + (raw->size() - 4) / 2));
    }
    return payload;
}

void Simulator::sendToSession(Session& s, const WireMessage& m) {
    if (s.fd < 0) return;
    FaultState f;
    faults_.update([&](FaultState& st) {
        f = st;
        if (st.wrap == Wrap::Envelope) st.badEnvelope = false;
    });
    std::string bytes;
    switch (f.wrap) {
        case Wrap::Plain: bytes = m.frame(); break;
        case Wrap::Envelope: {
            const std::string& key = s.loginDataSent ? s.sessionKey : s.preKey;
            std::string inner = m.frame();
            std::string text;
            // The receiver cuts tag 27 at a second "27=", which Base64 can hold at its end;
            // an extra start byte, which the receiver skips, changes the cipher text.
            for (int attempt = 0; attempt < 4; ++attempt) {
                const auto enc = SimCrypto::encrypt(inner, key.empty() ? deployment::kSecurityKey : key);
                text = enc ? SimCrypto::base64Encode(*enc) : std::string();
                if (text.find("27=") == std::string::npos) break;
                inner.insert(inner.begin(), kFrameStart);
            }
            if (f.badEnvelope) text = "%%not-base64%%";
            bytes = WireMessage(76).add(27, text).frame();
            break;
        }
        case Wrap::Compressed: bytes = WireMessage(105).add(1050, compress(m.frame())).frame(); break;
    }
    writeBytes(s, bytes);
}

void Simulator::sendToUser(const std::string& user, const WireMessage& m) {
    for (auto& [id, s] : sessions_)
        if (s->loggedIn && !s->closing && s->user == user) sendToSession(*s, m);
}

void Simulator::writeBytes(Session& s, const std::string& bytes) {
    FaultState f;
    faults_.update([&](FaultState& st) {
        f = st;
        st.closeMidFrame = false;
    });
    if (f.silent) return;
    auto sendAll = [&](const char* p, std::size_t n) {
        while (n > 0 && s.fd >= 0) {
            const ssize_t w = ::send(s.fd, p, n, MSG_NOSIGNAL);
            if (w <= 0) {
                log("session " + std::to_string(s.id) + ": write failed");
                closeSession(s);
                return;
            }
            p += w;
            n -= static_cast<std::size_t>(w);
        }
    };
    if (f.closeMidFrame) {
        sendAll(bytes.data(), bytes.size() / 2);
        log("session " + std::to_string(s.id) + ": closed in the middle of a frame");
        closeSession(s);
        return;
    }
    std::vector<std::size_t> cuts;
    for (std::size_t c : f.splitOffsets)
        if (c > 0 && c < bytes.size()) cuts.push_back(c);
    if (f.splitUtf8) {
        for (std::size_t i = 0; i < bytes.size(); ++i)
            if (static_cast<unsigned char>(bytes[i]) >= 0xC0) {
                if (i + 1 < bytes.size()) cuts.push_back(i + 1);
                break;
            }
    }
    std::sort(cuts.begin(), cuts.end());
    cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
    std::size_t from = 0;
    for (std::size_t c : cuts) {
        sendAll(bytes.data() + from, c - from);
        from = c;
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
    }
    sendAll(bytes.data() + from, bytes.size() - from);
}

void Simulator::checkTriggers() {
    std::vector<std::pair<int, WireMessage>> out;
    std::vector<std::string> owners;
    {
        std::lock_guard<std::mutex> lock(stateMutex_);
        out = desk_.checkTriggers();
        for (const auto& o : out) owners.push_back(desk_.ownerOf(o.first));
    }
    for (std::size_t i = 0; i < out.size(); ++i) sendToUser(owners[i], out[i].second);
}

// ---------------------------------------------------------------- feed

void Simulator::publish(void* socket, const std::string& text) {
    zmq_send(socket, text.data(), text.size(), 0);
}

void Simulator::feedLoop() {
    using clock = std::chrono::steady_clock;
    const std::size_t n = market_.size();
    std::vector<int> counts(n, 0);
    std::size_t next = 0, nextStatus = 0;
    auto nextTick = clock::now();
    auto nextStatusAt = clock::now() + std::chrono::milliseconds(500);
    std::time_t cachedSecond = 0;
    std::string timeText;
    while (running_) {
        std::vector<std::string> queued;
        {
            std::lock_guard<std::mutex> lock(feedMutex_);
            queued.swap(feedQueue_);
        }
        for (const auto& t : queued) publish(pub_, t);
        const double rate = ticksPerSecond_.load() * static_cast<double>(n);
        const auto now = clock::now();
        if (options_.statusSeconds > 0 && n > 0 && now >= nextStatusAt) {
            nextStatusAt = now + std::chrono::milliseconds(static_cast<long long>(options_.statusSeconds * 1000));
            const auto& ins = scenario_.instruments()[nextStatus++ % n];
            publish(pub_, Market::status(ins.code, static_cast<int>(jsonInteger(*ins.record, "TradingStatusId", 1)),
                                         ins.sessionSettingId));
        }
        if (rate <= 0 || n == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            nextTick = clock::now();
            continue;
        }
        const auto interval = std::chrono::duration_cast<clock::duration>(std::chrono::duration<double>(1.0 / rate));
        if (now - nextTick > std::chrono::seconds(1)) nextTick = now;  // fell behind: do not burst
        const bool withBase = !faults_.snapshot().tickWithoutBase;
        int burst = 0;
        while (nextTick <= clock::now() && burst < 20000) {
            const std::time_t sec = std::time(nullptr);
            if (sec != cachedSecond) {
                cachedSecond = sec;
                timeText = packedNow();
            }
            const std::size_t i = next++ % n;
            market_.step(i);
            publish(pub_, market_.tick(i, timeText, withBase));
            ++ticksPublished_;
            if (options_.depthEvery > 0 && ++counts[i] % options_.depthEvery == 0) publish(pub_, market_.depth(i));
            nextTick += interval;
            ++burst;
        }
        const auto wait = nextTick - clock::now();
        std::this_thread::sleep_for(std::min<clock::duration>(std::max<clock::duration>(wait, clock::duration::zero()),
                                                              std::chrono::milliseconds(10)));
    }
}

// ---------------------------------------------------------------- request channel

void Simulator::requestLoop() {
    while (running_) {
        zmq_pollitem_t item{router_, 0, ZMQ_POLLIN, 0};
        if (zmq_poll(&item, 1, 50) <= 0) continue;
        std::vector<std::string> parts;
        while (true) {
            zmq_msg_t msg;
            zmq_msg_init(&msg);
            if (zmq_msg_recv(&msg, router_, ZMQ_DONTWAIT) < 0) {
                zmq_msg_close(&msg);
                break;
            }
            parts.emplace_back(static_cast<const char*>(zmq_msg_data(&msg)), zmq_msg_size(&msg));
            const bool more = zmq_msg_more(&msg);
            zmq_msg_close(&msg);
            if (!more) break;
        }
        // Routing envelope: identity frames up to the empty delimiter.
        std::size_t delimiter = 0;
        while (delimiter < parts.size() && !parts[delimiter].empty()) ++delimiter;
        if (delimiter == 0 || delimiter >= parts.size()) {
            log("request channel: message without a routing envelope dropped");
            continue;
        }
        std::string body;
        for (std::size_t i = delimiter + 1; i < parts.size(); ++i) body += parts[i];
        const FaultState f = faults_.snapshot();
        std::vector<std::string> reply;
        const auto frames = Deframer().feed(body);
        std::optional<WireMessage> request;
        if (!frames.empty()) request = WireMessage::parse(frames.front());
        if (!request) {
            log("request channel: malformed request dropped (" + std::to_string(body.size()) + " bytes); empty reply");
        } else {
            if (request->get(151) == "getfinancialtransactions")
                log("request channel: financial transactions of kind \"" + request->get(551) + "\"");
            if (request->type() == 1023)
                received_.add(request->get(23), request->get(151) + (request->has(34) ? ":" + request->get(34) : "") +
                                                    (request->has(551) ? ":" + request->get(551) : ""));
            else if (request->type() != 1002)
                received_.add(request->get(23), std::to_string(request->type()));
            if (request->type() == 1023 && request->get(151) == "getexecutedpositions")
                log("request channel: executed positions from '" + request->get(575) + "' to '" + request->get(576) + "'");
            std::lock_guard<std::mutex> lock(stateMutex_);
            reply = dataService_.answer(*request, f);
            if (reply.empty()) log("request channel: request of type " + std::to_string(request->type()) + " not served");
        }
        std::string chosen;
        faults_.update([&chosen](FaultState& st) { chosen.swap(st.nextAnswer); });
        if (!chosen.empty()) {
            log("request channel: answered with the chosen frame");
            reply = {chosen};
        }
        if (f.neverAnswer) {
            log("request channel: request left unanswered");
            continue;
        }
        if (reply.empty()) reply.push_back(std::string());
        for (std::size_t i = 0; i <= delimiter; ++i) zmq_send(router_, parts[i].data(), parts[i].size(), ZMQ_SNDMORE);
        for (std::size_t i = 0; i < reply.size(); ++i)
            zmq_send(router_, reply[i].data(), reply[i].size(), i + 1 < reply.size() ? ZMQ_SNDMORE : 0);
    }
}

// ---------------------------------------------------------------- commands

std::string Simulator::commandHelp() {
    return "commands:\n"
           "  help                               this list\n"
           "  fault NAME VALUE                   switch a fault (names below)\n"
           "    split OFFSETS                    split every TCP write at these byte offsets (\"1,7\"; \"0\" none)\n"
           "    split-utf8 on|off                split every TCP write inside its first multi-byte character\n"
           "    silent on|off                    send nothing on the TCP session (pings unanswered)\n"
           "    close-mid-frame on               the next TCP write stops half-way and the session closes\n"
           "    bad-envelope on                  the next envelope carries a tag 27 that is not Base64\n"
           "    bad-compressed short|truncated   the next compressed payload is 2 bytes, or cut in half\n"
           "    malformed-rows on|off            table answers carry short and non-numeric rows\n"
           "    tick-without-base on|off         ticks with an empty base field\n"
           "    ds-answer normal|empty|error     every table answer is \"\" or \"ERROR\"\n"
           "    never-answer on|off              the request channel answers nothing\n"
           "    statement-text on|off            account statements answered with text that is not XML\n"
           "    funds-answer MODE                normal, error (master error 5), bad-beneficiary (801 credits 0),\n"
           "                                     unanswered, duplicate (master twice), unknown (status and result\n"
           "                                     of a request never opened), short-result (three-field result)\n"
           "                                     or amount-cent (801 books the amounts a cent higher)\n"
           "    chart-shape normal|short|no-closes  chart answers whole, with short sections, or without closes\n"
           "    addedituac failure|normal        access edits answer \"failure\" and change nothing\n"
           "    demo-answer normal|slashed|no-password|markup  demo users named with \"/\" and \"#\", a link and an\n"
           "                                     image, or a 1027 without 18\n"
           "    close-refuse ID[,ID...]|none     a close-positions request refuses these positions (62 status 25)\n"
           "    news MODE                        the news port's answers: normal, huge-chunk (40,000 chunk-size\n"
           "                                     lines of fffffffffffffffe), many-children (an item of 80,000\n"
           "                                     distinct children, about 1 MB), drip (one byte each 0.2 s),\n"
           "                                     large-title (one item titled with 31 MB of letters) or\n"
           "                                     endless-trailer (a chunked answer whose trailer never ends)\n"
           "    logout-reason BYTES              the text of 44 (logged in elsewhere) padded to BYTES (0: normal)\n"
           "    login-cut BYTES                  login data cut to its first BYTES before it is compressed (0: normal)\n"
           "  wrap plain|envelope|compressed     how session messages travel\n"
           "  login-form packed|xml              form of the login data\n"
           "  elsewhere USER                     send 44 (logged in elsewhere) to USER's session\n"
           "  relogin USER [close]               send 1028 (relogin request) to USER's session, then close it\n"
           "  summary ACCOUNT                    send 1045 (account summary) to the account's user\n"
           "  send USER TYPE [TAG=VALUE ...]     send any message to USER's session\n"
           "  feed-status TYPE [TAG=VALUE ...]   publish \"IS;\" and the frame of any message\n"
           "  next-answer TYPE [TAG=VALUE ...]   answer the next request-channel request with this frame\n"
           "  keys USER                          the key that opened each login of USER (shipped or session);\n"
           "                                     for a demo user first the key of its registration\n"
           "  status CODE [STATUS] [SETTING]     publish \"IS;\" for an instrument\n"
           "  broadcast TEXT                     publish \"*#bm#*:\" and the text\n"
           "  tick CODE                          publish one tick and one depth of an instrument now\n"
           "  partial-fill PENDINGID QTY         fill QTY of a working order at the market now; the rest stays\n"
           "  ticks RATE                         ticks per second per instrument (0 stops them)\n"
           "  counts                             ticks published so far and bytes of the last login data\n"
           "  sessions                           list the TCP sessions\n"
           "  chart-requests KEY                 how many chart requests for KEY (\"GOLD^O\") came in\n"
           "  chart-keys KEY,KEY...              answer the next chart requests with these keys' bars, one each\n"
           "  received USER                      what USER's client sent: session types, request names[:tag 34]\n"
           "  quit                               stop the simulator\n";
}

// A command's name, the words it needs (its name included; fewer answer
// "error usage: " and the usage) and its handler.
struct Simulator::Command {
    const char* name;
    std::size_t words;
    const char* usage;
    std::string (Simulator::*run)(const Words& w, const std::string& line);
};

const Simulator::Command* Simulator::findCommand(const std::string& name) {
    static const Command kCommands[] = {
        {"help", 1, "", &Simulator::helpCommand},
        {"fault", 3, "fault NAME VALUE", &Simulator::faultCommand},
        {"wrap", 2, "wrap VALUE", &Simulator::settingCommand},
        {"login-form", 2, "login-form VALUE", &Simulator::settingCommand},
        {"elsewhere", 2, "elsewhere USER", &Simulator::userSessionsCommand},
        {"relogin", 2, "relogin USER", &Simulator::userSessionsCommand},
        {"summary", 2, "summary ACCOUNT", &Simulator::summaryCommand},
        {"send", 3, "send USER TYPE [TAG=VALUE ...]", &Simulator::sendCommand},
        {"feed-status", 2, "feed-status TYPE [TAG=VALUE ...]", &Simulator::feedStatusCommand},
        {"next-answer", 2, "next-answer TYPE [TAG=VALUE ...]", &Simulator::nextAnswerCommand},
        {"status", 2, "status CODE", &Simulator::feedTextCommand},
        {"tick", 2, "tick CODE", &Simulator::feedTextCommand},
        {"broadcast", 1, "", &Simulator::feedTextCommand},
        {"partial-fill", 3, "partial-fill PENDINGID QTY", &Simulator::partialFillCommand},
        {"ticks", 2, "ticks RATE", &Simulator::ticksCommand},
        {"counts", 1, "", &Simulator::countsCommand},
        {"keys", 2, "keys USER", &Simulator::keysCommand},
        {"chart-requests", 2, "chart-requests KEY", &Simulator::chartRequestsCommand},
        {"chart-keys", 2, "chart-keys KEY,KEY...", &Simulator::chartKeysCommand},
        {"received", 2, "received USER", &Simulator::receivedCommand},
        {"sessions", 1, "", &Simulator::sessionsCommand},
    };
    for (const Command& c : kCommands)
        if (name == c.name) return &c;
    return nullptr;
}

std::string Simulator::command(const std::string& line) {
    const Words w = words(line);
    if (w.empty()) return "error empty command";
    const Command* c = findCommand(w[0]);
    if (!c) return "error unknown command " + w[0] + " (try help)";
    if (w.size() < c->words) return std::string("error usage: ") + c->usage;
    return (this->*c->run)(w, line);
}

std::string Simulator::helpCommand(const Words&, const std::string&) { return commandHelp(); }

std::string Simulator::faultCommand(const Words& w, const std::string&) {
    if (w[1] == "split" && w[2] == "0") {
        faults_.update([](FaultState& f) { f.splitOffsets.clear(); });
        return "ok";
    }
    std::string error;
    return faults_.set(w[1], w[2], &error) ? "ok" : "error " + error;
}

// "wrap" and "login-form".
std::string Simulator::settingCommand(const Words& w, const std::string&) {
    std::string error;
    return faults_.set(w[0], w[1], &error) ? "ok" : "error " + error;
}

// "elsewhere" and "relogin" to every session of the user.
std::string Simulator::userSessionsCommand(const Words& w, const std::string&) {
    const std::string user = w[1];
    const bool elsewhere = w[0] == "elsewhere";
    const bool thenClose = !elsewhere && w.size() > 2 && w[2] == "close";
    return runOnIo([this, user, elsewhere, thenClose] {
        int count = 0;
        for (auto& [id, s] : sessions_) {
            if (!s->loggedIn || s->closing || s->user != user) continue;
            WireMessage m(elsewhere ? 44 : 1028);
            if (elsewhere) m.add(105, loggedInElsewhereText(faults_.snapshot().logoutReasonBytes));
            sendToSession(*s, m);
            if (thenClose) {
                // Closed as a server closes after its last word: what was sent arrives first.
                if (s->fd >= 0) ::shutdown(s->fd, SHUT_WR);
                s->closing = true;
                s->loggedIn = false;
            }
            ++count;
        }
        return count ? "ok " + std::to_string(count) : "error no session of " + user;
    });
}

std::string Simulator::summaryCommand(const Words& w, const std::string&) {
    const int account = std::atoi(w[1].c_str());
    return runOnIo([this, account] {
        WireMessage m;
        std::string owner;
        {
            std::lock_guard<std::mutex> lock(stateMutex_);
            if (!scenario_.account(account)) return std::string("error unknown account");
            m = desk_.accountSummary(account);
            owner = desk_.ownerOf(account);
        }
        sendToUser(owner, m);
        return std::string("ok");
    });
}

std::string Simulator::sendCommand(const Words& w, const std::string&) {
    WireMessage m;
    std::string error;
    if (!messageOf(w, 2, &m, &error)) return "error " + error;
    const std::string user = w[1];
    return runOnIo([this, user, m] {
        sendToUser(user, m);
        return std::string("ok");
    });
}

std::string Simulator::feedStatusCommand(const Words& w, const std::string&) {
    WireMessage m;
    std::string error;
    if (!messageOf(w, 1, &m, &error)) return "error " + error;
    std::lock_guard<std::mutex> lock(feedMutex_);
    feedQueue_.push_back("IS;" + m.frame());
    return "ok";
}

std::string Simulator::nextAnswerCommand(const Words& w, const std::string&) {
    WireMessage m;
    std::string error;
    if (!messageOf(w, 1, &m, &error)) return "error " + error;
    faults_.update([&m](FaultState& st) { st.nextAnswer = m.frame(); });
    return "ok";
}

// "status", "tick" and "broadcast": texts for the feed.
std::string Simulator::feedTextCommand(const Words& w, const std::string& line) {
    std::vector<std::string> texts;
    if (w[0] == "broadcast") {
        texts.push_back("*#bm#*:" + restOf(line, 1));
    } else {
        const int idx = market_.index(w[1]);
        if (idx < 0) return "error unknown instrument " + w[1];
        if (w[0] == "status") {
            const auto& ins = scenario_.instruments()[static_cast<std::size_t>(idx)];
            const int status = w.size() > 2 ? std::atoi(w[2].c_str()) : 1;
            const int setting = w.size() > 3 ? std::atoi(w[3].c_str()) : ins.sessionSettingId;
            texts.push_back(Market::status(w[1], status, setting));
        } else {
            market_.step(static_cast<std::size_t>(idx));
            texts.push_back(market_.tick(static_cast<std::size_t>(idx), packedNow(), !faults_.snapshot().tickWithoutBase));
            texts.push_back(market_.depth(static_cast<std::size_t>(idx)));
        }
    }
    std::lock_guard<std::mutex> lock(feedMutex_);
    feedQueue_.insert(feedQueue_.end(), texts.begin(), texts.end());
    return "ok";
}

std::string Simulator::partialFillCommand(const Words& w, const std::string&) {
    char* end = nullptr;
    const double qty = std::strtod(w[2].c_str(), &end);
    if (*end != '\0') return "error QTY must be a number";
    const std::string id = w[1];
    return runOnIo([this, id, qty] {
        std::vector<WireMessage> out;
        std::string owner, why;
        {
            std::lock_guard<std::mutex> lock(stateMutex_);
            out = desk_.partialFill(id, qty, &why);
            if (!out.empty()) owner = desk_.ownerOf(std::atoi(out.front().get(34).c_str()));
        }
        if (out.empty()) return "error " + why;
        for (const WireMessage& m : out) sendToUser(owner, m);
        return std::string("ok");
    });
}

std::string Simulator::ticksCommand(const Words& w, const std::string&) {
    char* end = nullptr;
    const double rate = std::strtod(w[1].c_str(), &end);
    if (*end != '\0' || !(rate >= 0) || !std::isfinite(rate)) return "error RATE must be a number >= 0";
    ticksPerSecond_ = rate;
    return "ok";
}

std::string Simulator::countsCommand(const Words&, const std::string&) {
    return "ok ticks " + std::to_string(ticksPublished_.load()) + " login-bytes " + std::to_string(lastLoginBytes_.load());
}

std::string Simulator::keysCommand(const Words& w, const std::string&) {
    const std::string user = w[1];
    return runOnIo([this, user] {
        std::string out = "ok";
        for (const std::string& key : loginKeys_[user]) out += " " + key;
        return out;
    });
}

std::string Simulator::chartRequestsCommand(const Words& w, const std::string&) {
    std::lock_guard<std::mutex> lock(stateMutex_);
    return "ok " + std::to_string(dataService_.chartRequests(w[1]));
}

std::string Simulator::chartKeysCommand(const Words& w, const std::string&) {
    std::vector<std::string> keys;
    for (std::size_t start = 0; start <= w[1].size();) {
        std::size_t comma = w[1].find(',', start);
        if (comma == std::string::npos) comma = w[1].size();
        if (comma > start) keys.push_back(w[1].substr(start, comma - start));
        start = comma + 1;
    }
    std::lock_guard<std::mutex> lock(stateMutex_);
    dataService_.answerChartsUnder(std::move(keys));
    return "ok";
}

std::string Simulator::receivedCommand(const Words& w, const std::string&) {
    std::string out = "ok";
    for (const auto& entry : received_.of(w[1])) out += " " + entry;
    return out;
}

std::string Simulator::sessionsCommand(const Words&, const std::string&) {
    return runOnIo([this] {
        std::string out = "ok " + std::to_string(sessions_.size());
        for (auto& [id, s] : sessions_)
            out += std::string(" ") + std::to_string(id) + ":" + (s->loggedIn ? s->user : std::string("-"));
        return out;
    });
}

}  // namespace sim
