#pragma once
// A scripted raw client for the simulator: plain sockets, libzmq and its own OpenSSL
// and zlib calls, so that it shares no code with the simulator's side.
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "sim/simulator.h"

namespace rawclient {

using Fields = std::vector<std::pair<int, std::string>>;

std::string frame(const Fields& fields);  // ASCII bodies only
std::string encrypt(const std::string& plain, const std::string& password);
std::optional<std::string> decrypt(const std::string& cipher, const std::string& password);
std::string base64(const std::string& data);
std::optional<std::string> unbase64(const std::string& text);
std::optional<std::string> gunzip(const std::string& data);
std::string sessionKey(const std::string& joined);  // pads with "*" to 32, SHA-512, Base64
// decodes tag 1050: Base64, drop 4 bytes, inflate
std::optional<std::string> payload(const std::string& base64);

// One received message: type and fields in order.
struct Message {
    int type = 0;
    Fields fields;
    std::string raw;  // the frame text between 0x01 and 0x02
    std::string get(int tag) const;
    bool has(int tag) const;
};
std::optional<Message> parse(const std::string& frameText);
// Every piece between the separators, empty ones included.
std::vector<std::string> splitOn(const std::string& s, char sep);

class TcpClient {
public:
    explicit TcpClient(int port);
    ~TcpClient();
    void sendRaw(const std::string& bytes);
    // Sends the frame in a type-76 envelope; initial adds tags 1153 and 1132.
    void sendEnvelope(const Fields& fields, const std::string& key, bool initial = false);
    // Next message, with envelopes (76) and compressed messages (105) opened; nullopt on time-out.
    std::optional<Message> next(std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));
    // Skips messages until one of this type arrives.
    std::optional<Message> expect(int type, std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));
    // True when the server closed the connection within the time.
    bool closedWithin(std::chrono::milliseconds timeout);
    std::vector<std::string> chunks;  // the reads as they came, for the split tests
    std::vector<int> wireTypes;       // types of the frames as received, before unwrapping
    std::string key;                  // current key for opening the server's envelopes

private:
    int fd_ = -1;
    std::string buffer_;
    std::vector<Message> ready_;
    bool eof_ = false;
    void unwrap(const Message& m);
};

// Logs in: sends the login envelope, reads 33 and 18, switches to the session key.
struct LoginResult {
    Message loginData;
    std::string text;  // decompressed login data
    std::string sessionKey;
    bool accepted = false;
};
LoginResult login(TcpClient& c, const std::string& user, const std::string& password);

// The simulator's log lines, kept for the tests.
struct LogCapture {
    std::mutex mutex;
    std::vector<std::string> lines;
    bool contains(const std::string& text);
};

// A simulator of the default scenario on free ports, with no automatic ticks or status.
// scenarioJson: a scenario's text instead of the default file.
std::unique_ptr<sim::Simulator> startSimulator(sim::SimulatorOptions options = {},
                                               std::shared_ptr<LogCapture> log = nullptr,
                                               const std::string& scenarioJson = "");

// The request channel: one REQ socket.
class ReqClient {
public:
    explicit ReqClient(int port);
    ~ReqClient();
    // Sends one frame; answers the reply parts joined, or nullopt on time-out.
    std::optional<std::string> ask(const std::string& frameText, int* parts = nullptr,
                                   std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));

private:
    void* ctx_;
    void* sock_;
};

class SubClient {
public:
    SubClient(int port, const std::vector<std::string>& topics);
    ~SubClient();
    std::optional<std::string> next(std::chrono::milliseconds timeout = std::chrono::milliseconds(3000));

private:
    void* ctx_;
    void* sock_;
};

}  // namespace rawclient
