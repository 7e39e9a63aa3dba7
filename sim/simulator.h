#pragma once
// The loopback trading server: the TCP session, the ZeroMQ price feed (PUB) and the
// ZeroMQ request channel, all on 127.0.0.1.
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "chat_peer.h"
#include "data_service.h"
#include "fault_board.h"
#include "funds_desk.h"
#include "login_data.h"
#include "market.h"
#include "news_feed.h"
#include "order_desk.h"
#include "received_log.h"
#include "scenario.h"
#include "wire_message.h"

namespace sim {

struct SimulatorOptions {
    int portBase = 0;             // 0: the deployment's ports; otherwise base, base + 1, base + 2, base + 3
    double ticksPerSecond = 4;    // per instrument; 0 publishes only on command
    int depthEvery = 4;           // a depth message after every n-th tick of an instrument
    double statusSeconds = 5;     // an instrument-status message this often; 0 never
    std::uint64_t seed = 1;
    bool xmlLoginData = false;
    Wrap wrap = Wrap::Plain;
};

class Simulator {
public:
    Simulator(Scenario scenario, SimulatorOptions options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Binds the four ports (the news feed's last) and starts serving; throws std::runtime_error when a port is taken.
    void start();
    void stop();

    int sessionPort() const { return sessionPort_; }
    int feedPort() const { return feedPort_; }
    int requestPort() const { return requestPort_; }
    int newsPort() const { return news_->port(); }

    // One text command (see commandHelp()); returns "ok ..." or "error ...".
    std::string command(const std::string& line);
    static std::string commandHelp();

    // Log lines go here (default: standard error, prefixed "trading-sim: ").
    void setLogSink(std::function<void(const std::string&)> sink);
    FaultBoard& faults() { return faults_; }
    std::uint64_t ticksPublished() const { return ticksPublished_.load(); }

private:
    struct Session;
    struct Command;
    using Words = std::vector<std::string>;

    // The text commands, one handler each (command() checks the words first).
    static const Command* findCommand(const std::string& name);
    std::string helpCommand(const Words& w, const std::string& line);
    std::string faultCommand(const Words& w, const std::string& line);
    std::string settingCommand(const Words& w, const std::string& line);
    std::string userSessionsCommand(const Words& w, const std::string& line);
    std::string summaryCommand(const Words& w, const std::string& line);
    std::string sendCommand(const Words& w, const std::string& line);
    std::string feedStatusCommand(const Words& w, const std::string& line);
    std::string nextAnswerCommand(const Words& w, const std::string& line);
    std::string feedTextCommand(const Words& w, const std::string& line);
    std::string partialFillCommand(const Words& w, const std::string& line);
    std::string ticksCommand(const Words& w, const std::string& line);
    std::string countsCommand(const Words& w, const std::string& line);
    std::string keysCommand(const Words& w, const std::string& line);
    std::string chartRequestsCommand(const Words& w, const std::string& line);
    std::string chartKeysCommand(const Words& w, const std::string& line);
    std::string receivedCommand(const Words& w, const std::string& line);
    std::string sessionsCommand(const Words& w, const std::string& line);

    void log(const std::string& line);
    void ioLoop();
    void feedLoop();
    void requestLoop();
    void post(std::function<void()> task);
    std::string runOnIo(std::function<std::string()> task);

    void readSession(Session& s);
    void handleFrame(Session& s, const std::string& frameText);
    void handleEnvelope(Session& s, const WireMessage& envelope);
    void handleLogin(Session& s, const WireMessage& m);
    void handleDemoRegistration(Session& s, const WireMessage& m);
    void handlePasswordChange(Session& s, const WireMessage& m);
    void sendToSession(Session& s, const WireMessage& m);
    void sendToUser(const std::string& user, const WireMessage& m);
    void writeBytes(Session& s, const std::string& bytes);
    std::string compress(const std::string& text);
    void closeSession(Session& s);
    void checkTriggers();

    void publish(void* socket, const std::string& text);

    SimulatorOptions options_;
    Scenario scenario_;
    LoginData::PackedTables packedTables_;  // of scenario_
    Market market_;
    OrderDesk desk_;
    FundsDesk fundsDesk_;  // io thread only
    ChatPeer chat_;
    DataService dataService_;
    std::mutex stateMutex_;  // scenario_, desk_ and dataService_
    FaultBoard faults_;
    ReceivedLog received_;

    int sessionPort_ = 0, feedPort_ = 0, requestPort_ = 0;
    int listenFd_ = -1;
    int wakeRead_ = -1, wakeWrite_ = -1;
    void* zmq_ = nullptr;
    void* pub_ = nullptr;
    void* router_ = nullptr;
    std::atomic<bool> running_{false};
    std::thread ioThread_, feedThread_, requestThread_;
    std::unique_ptr<NewsFeed> news_;

    std::mutex postMutex_;
    std::vector<std::function<void()>> posted_;
    std::map<int, std::unique_ptr<Session>> sessions_;  // io thread only
    int nextSessionId_ = 1;
    long long nextReferenceId_ = 424201;
    int nextDemoUser_ = 1;
    std::vector<std::string> issuedKeys_;  // session keys of earlier logins, for relogins
    // User -> the key that opened each of the user's logins ("shipped" or the session key).
    std::map<std::string, std::vector<std::string>> loginKeys_;

    std::mutex feedMutex_;
    std::vector<std::string> feedQueue_;  // texts to publish at once
    std::atomic<double> ticksPerSecond_{4};
    std::atomic<std::uint64_t> ticksPublished_{0};
    std::atomic<std::uint64_t> lastLoginBytes_{0};  // of the last login data sent, before compression

    std::mutex logMutex_;
    std::function<void(const std::string&)> logSink_;
};

}  // namespace sim
