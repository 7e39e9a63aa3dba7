#include "raw_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#include <openssl/evp.h>
#include <openssl/sha.h>
#include <zlib.h>
#include <zmq.h>

#include <cstdlib>
#include <stdexcept>

#include "model/deployment_constants.h"
#include "port_base.h"

namespace rawclient {

std::vector<std::string> splitOn(const std::string& s, char sep) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (true) {
        const auto p = s.find(sep, start);
        out.push_back(s.substr(start, p == std::string::npos ? std::string::npos : p - start));
        if (p == std::string::npos) return out;
        start = p + 1;
    }
}

std::string frame(const Fields& fields) {
    std::string body;
    for (const auto& [tag, value] : fields) body += std::to_string(tag) + "=" + value + "\x03";
    std::string out = "\x01";
    out += std::to_string(body.size());
    out += '\x03';
    out += body;
    out += '\x02';
    return out;
}

namespace {
void deriveKey(const std::string& password, unsigned char key[32]) {
    const std::string salt = deployment::makeSalt(password.size() + 1);  // ASCII passwords
    PKCS5_PBKDF2_HMAC_SHA1(password.data(), static_cast<int>(password.size()),
                           reinterpret_cast<const unsigned char*>(salt.data()), static_cast<int>(salt.size()), 1000,
                           32, key);
}
}  // namespace

std::string encrypt(const std::string& plain, const std::string& password) {
    unsigned char key[32];
    deriveKey(password, key);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_EncryptInit_ex(ctx, EVP_aes_256_cbc(), nullptr, key, key);
    std::string out(plain.size() + 32, '\0');
    int a = 0, b = 0;
    EVP_EncryptUpdate(ctx, reinterpret_cast<unsigned char*>(out.data()), &a,
                      reinterpret_cast<const unsigned char*>(plain.data()), static_cast<int>(plain.size()));
    EVP_EncryptFinal_ex(ctx, reinterpret_cast<unsigned char*>(out.data()) + a, &b);
    EVP_CIPHER_CTX_free(ctx);
    out.resize(static_cast<std::size_t>(a + b));
    return out;
}

std::optional<std::string> decrypt(const std::string& cipher, const std::string& password) {
    unsigned char key[32];
    deriveKey(password, key);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    EVP_DecryptInit_ex(ctx, EVP_aes_256_cbc(), nullptr, key, key);
    std::string out(cipher.size() + 32, '\0');
    int a = 0, b = 0;
    bool ok = EVP_DecryptUpdate(ctx, reinterpret_cast<unsigned char*>(out.data()), &a,
                                reinterpret_cast<const unsigned char*>(cipher.data()),
                                static_cast<int>(cipher.size())) == 1 &&
              EVP_DecryptFinal_ex(ctx, reinterpret_cast<unsigned char*>(out.data()) + a, &b) == 1;
    EVP_CIPHER_CTX_free(ctx);
    if (!ok) return std::nullopt;
    out.resize(static_cast<std::size_t>(a + b));
    return out;
}

std::string base64(const std::string& data) {
    std::string out(4 * ((data.size() + 2) / 3) + 1, '\0');
    const int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                  reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()));
    out.resize(static_cast<std::size_t>(n));
    return out;
}

std::optional<std::string> unbase64(const std::string& text) {
    if (text.size() % 4 != 0) return std::nullopt;
    std::string out(text.size() / 4 * 3 + 3, '\0');
    const int n = EVP_DecodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                  reinterpret_cast<const unsigned char*>(text.data()), static_cast<int>(text.size()));
    if (n < 0) return std::nullopt;
    std::size_t len = static_cast<std::size_t>(n);
    if (!text.empty() && text.back() == '=') --len;
    if (text.size() > 1 && text[text.size() - 2] == '=') --len;
    out.resize(len);
    return out;
}

std::optional<std::string> gunzip(const std::string& data) {
    z_stream zs{};
    if (inflateInit2(&zs, 47) != Z_OK) return std::nullopt;
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    zs.avail_in = static_cast<uInt>(data.size());
    std::string out;
    char buf[8192];
    int rc;
    do {
        zs.next_out = reinterpret_cast<Bytef*>(buf);
        zs.avail_out = sizeof buf;
        rc = inflate(&zs, Z_NO_FLUSH);
        out.append(buf, sizeof buf - zs.avail_out);
    } while (rc == Z_OK && (zs.avail_in > 0 || zs.avail_out == 0));
    inflateEnd(&zs);
    if (rc != Z_STREAM_END) return std::nullopt;
    return out;
}

std::optional<std::string> payload(const std::string& b64) {
    auto raw = unbase64(b64);
    if (!raw || raw->size() < 4) return std::nullopt;
    return gunzip(raw->substr(4));
}

std::string sessionKey(const std::string& joined) {
    std::string text = joined;
    while (text.size() < 32) text += '*';
    unsigned char digest[64];
    SHA512(reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest);
    return base64(std::string(reinterpret_cast<char*>(digest), 64));
}

std::string Message::get(int tag) const {
    std::string v;
    for (const auto& f : fields)
        if (f.first == tag) v = f.second;
    return v;
}

bool Message::has(int tag) const {
    for (const auto& f : fields)
        if (f.first == tag) return true;
    return false;
}

std::optional<Message> parse(const std::string& text) {
    Message m;
    m.raw = text;
    std::size_t start = text.find('\x03');
    if (start == std::string::npos) return std::nullopt;
    ++start;
    while (start < text.size()) {
        std::size_t end = text.find('\x03', start);
        if (end == std::string::npos) end = text.size();
        const std::string field = text.substr(start, end - start);
        const auto eq = field.find('=');
        if (eq == std::string::npos) return std::nullopt;
        m.fields.emplace_back(std::atoi(field.substr(0, eq).c_str()), field.substr(eq + 1));
        start = end + 1;
    }
    if (m.fields.empty()) return std::nullopt;
    m.type = std::atoi(m.fields.front().second.c_str());
    return m;
}

TcpClient::TcpClient(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(static_cast<std::uint16_t>(port));
    ::inet_pton(AF_INET, "127.0.0.1", &addr.sin_addr);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
        throw std::runtime_error("cannot connect to the simulator");
    key = deployment::kSecurityKey;
}

TcpClient::~TcpClient() {
    if (fd_ >= 0) ::close(fd_);
}

void TcpClient::sendRaw(const std::string& bytes) { ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL); }

void TcpClient::sendEnvelope(const Fields& fields, const std::string& password, bool initial) {
    Fields env = {{10, "76"}, {27, base64(encrypt(frame(fields), password))}};
    if (initial) {
        env.emplace_back(1153, "2");
        env.emplace_back(1132, "2");
    }
    sendRaw(frame(env));
}

void TcpClient::unwrap(const Message& m) {
    if (m.type == 76) {
        auto raw = unbase64(m.get(27));
        auto plain = raw ? decrypt(*raw, key) : std::nullopt;
        if (!plain) {
            ready_.push_back(m);  // left for the test to see
            return;
        }
        std::size_t s = plain->find_last_of('\x01');
        if (s == std::string::npos || plain->back() != '\x02') return ready_.push_back(m);
        if (auto inner = parse(plain->substr(s + 1, plain->size() - s - 2))) unwrap(*inner);
        return;
    }
    if (m.type == 105) {
        auto text = payload(m.get(1050));
        if (!text || text->size() < 2 || text->front() != '\x01') return ready_.push_back(m);
        if (auto inner = parse(text->substr(1, text->size() - 2))) unwrap(*inner);
        return;
    }
    ready_.push_back(m);
}

std::optional<Message> TcpClient::next(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (ready_.empty()) {
        // Frames already buffered.
        const auto s = buffer_.find('\x01');
        const auto e = s == std::string::npos ? std::string::npos : buffer_.find('\x02', s);
        if (e != std::string::npos) {
            const std::string text = buffer_.substr(s + 1, e - s - 1);
            buffer_.erase(0, e + 1);
            if (auto m = parse(text)) {
                wireTypes.push_back(m->type);
                unwrap(*m);
            }
            continue;
        }
        if (eof_) return std::nullopt;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
        char buf[65536];
        const ssize_t n = ::recv(fd_, buf, sizeof buf, 0);
        if (n <= 0) {
            eof_ = true;
            continue;
        }
        chunks.emplace_back(buf, static_cast<std::size_t>(n));
        buffer_.append(buf, static_cast<std::size_t>(n));
    }
    Message m = ready_.front();
    ready_.erase(ready_.begin());
    return m;
}

std::optional<Message> TcpClient::expect(int type, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (true) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return std::nullopt;
        auto m = next(left);
        if (!m) return std::nullopt;
        if (m->type == type) return m;
    }
}

bool TcpClient::closedWithin(std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!eof_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        next(left);
    }
    return true;
}

LoginResult login(TcpClient& c, const std::string& user, const std::string& password) {
    LoginResult r;
    c.sendEnvelope({{10, "32"}, {23, user}, {18, password}, {20, "0"}, {19, "1"}, {563, "TradingClient"},
                    {114, "0.1.0"}, {105, "127.0.0.1"}, {1018, "host#1.0"}, {504, "tester"}, {160, "PACKED"},
                    {21, "20261207101500"}},
                   c.key, true);
    auto data = c.expect(33);
    if (!data) return r;
    r.loginData = *data;
    r.text = payload(data->get(1050)).value_or("");
    r.sessionKey = sessionKey(user + password + data->get(19) + data->get(21));
    c.key = r.sessionKey;
    r.accepted = c.expect(18).has_value();
    return r;
}

bool LogCapture::contains(const std::string& text) {
    std::lock_guard<std::mutex> lock(mutex);
    for (const auto& l : lines)
        if (l.find(text) != std::string::npos) return true;
    return false;
}

std::unique_ptr<sim::Simulator> startSimulator(sim::SimulatorOptions options, std::shared_ptr<LogCapture> log,
                                               const std::string& scenarioJson) {
    options.ticksPerSecond = options.ticksPerSecond == 4 ? 0 : options.ticksPerSecond;
    if (options.statusSeconds == 5) options.statusSeconds = 0;
    for (int attempt = 0; attempt < 20; ++attempt) {
        options.portBase = simtest::freePortBase();
        auto s = std::make_unique<sim::Simulator>(
            scenarioJson.empty() ? sim::Scenario::load(SIM_DEFAULT_SCENARIO) : sim::Scenario::fromText(scenarioJson),
            options);
        if (log) s->setLogSink([log](const std::string& line) {
            std::lock_guard<std::mutex> lock(log->mutex);
            log->lines.push_back(line);
        });
        else s->setLogSink([](const std::string&) {});
        try {
            s->start();
            return s;
        } catch (const std::runtime_error&) {
        }
    }
    throw std::runtime_error("no free ports for the simulator");
}

ReqClient::ReqClient(int port) : ctx_(zmq_ctx_new()), sock_(zmq_socket(ctx_, ZMQ_REQ)) {
    int linger = 0;
    zmq_setsockopt(sock_, ZMQ_LINGER, &linger, sizeof linger);
    zmq_connect(sock_, ("tcp://127.0.0.1:" + std::to_string(port)).c_str());
}

ReqClient::~ReqClient() {
    zmq_close(sock_);
    zmq_ctx_term(ctx_);
}

std::optional<std::string> ReqClient::ask(const std::string& frameText, int* parts, std::chrono::milliseconds timeout) {
    zmq_send(sock_, frameText.data(), frameText.size(), 0);
    zmq_pollitem_t item{sock_, 0, ZMQ_POLLIN, 0};
    if (zmq_poll(&item, 1, static_cast<long>(timeout.count())) <= 0) return std::nullopt;
    std::string reply;
    int count = 0;
    while (true) {
        zmq_msg_t msg;
        zmq_msg_init(&msg);
        zmq_msg_recv(&msg, sock_, 0);
        reply.append(static_cast<const char*>(zmq_msg_data(&msg)), zmq_msg_size(&msg));
        ++count;
        const bool more = zmq_msg_more(&msg);
        zmq_msg_close(&msg);
        if (!more) break;
    }
    if (parts) *parts = count;
    return reply;
}

SubClient::SubClient(int port, const std::vector<std::string>& topics)
    : ctx_(zmq_ctx_new()), sock_(zmq_socket(ctx_, ZMQ_SUB)) {
    int linger = 0;
    zmq_setsockopt(sock_, ZMQ_LINGER, &linger, sizeof linger);
    zmq_connect(sock_, ("tcp://127.0.0.1:" + std::to_string(port)).c_str());
    for (const auto& t : topics) zmq_setsockopt(sock_, ZMQ_SUBSCRIBE, t.data(), t.size());
}

SubClient::~SubClient() {
    zmq_close(sock_);
    zmq_ctx_term(ctx_);
}

std::optional<std::string> SubClient::next(std::chrono::milliseconds timeout) {
    zmq_pollitem_t item{sock_, 0, ZMQ_POLLIN, 0};
    if (zmq_poll(&item, 1, static_cast<long>(timeout.count())) <= 0) return std::nullopt;
    zmq_msg_t msg;
    zmq_msg_init(&msg);
    zmq_msg_recv(&msg, sock_, 0);
    std::string text(static_cast<const char*>(zmq_msg_data(&msg)), zmq_msg_size(&msg));
    zmq_msg_close(&msg);
    return text;
}

}  // namespace rawclient
