// Scripted raw-client conversations with the simulator's TCP session.
#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <random>

#include "model/deployment_constants.h"
#include "raw_client.h"

using namespace rawclient;
using namespace std::chrono_literals;

namespace {

Fields ping() { return {{10, "1018"}, {20, "1"}, {21, "20261207101501"}}; }

}  // namespace

TEST(SimSession, LoginGetsPackedLoginDataThenAcceptanceAndPingsAreAnswered) {
    auto sim = startSimulator();
    TcpClient c(sim->sessionPort());
    const LoginResult r = login(c, "trader", "secret1");
    ASSERT_TRUE(r.accepted);

    // Tag order of the login data: type, reference id, server time, form, payload.
    std::vector<int> tags;
    for (const auto& f : r.loginData.fields) tags.push_back(f.first);
    EXPECT_EQ(tags, (std::vector<int>{10, 19, 21, 160, 1050}));
    EXPECT_EQ(r.loginData.get(160), "PACKED");
    EXPECT_EQ(r.loginData.get(21).size(), 14u);

    const auto sections = splitOn(r.text, '\x07');
    ASSERT_EQ(sections.size(), 22u);
    const auto user = splitOn(splitOn(sections[0], '\x06')[0], '\x05');
    ASSERT_EQ(user.size(), 16u);
    EXPECT_EQ(user[0], "11");
    EXPECT_EQ(user[11], std::to_string(sim->feedPort()));
    EXPECT_EQ(user[12], std::to_string(sim->requestPort()));
    // The three accounts of the multi-account user, each record ended by 0x06.
    const auto accounts = splitOn(sections[8], '\x06');
    ASSERT_EQ(accounts.size(), 4u);
    EXPECT_EQ(splitOn(accounts[0], '\x05')[0], "1001");
    EXPECT_EQ(splitOn(accounts[2], '\x05')[0], "1003");
    EXPECT_EQ(splitOn(accounts[0], '\x05').size(), 36u);
    EXPECT_GE(splitOn(sections[4], '\x06').size(), 21u);
    EXPECT_EQ(splitOn(splitOn(sections[4], '\x06')[0], '\x05').size(), 49u);

    c.sendEnvelope(ping(), r.sessionKey);
    const auto pong = c.expect(1019);
    ASSERT_TRUE(pong);
    EXPECT_EQ(pong->get(21).size(), 14u);
    c.sendEnvelope(ping(), r.sessionKey);
    EXPECT_TRUE(c.expect(1019));
}

TEST(SimSession, LoginDataAsXmlOnTheSwitch) {
    auto sim = startSimulator();
    ASSERT_EQ(sim->command("login-form xml"), "ok");
    TcpClient c(sim->sessionPort());
    const LoginResult r = login(c, "alice", "alice123");
    ASSERT_TRUE(r.accepted);
    EXPECT_NE(r.loginData.get(160), "PACKED");
    EXPECT_NE(r.text.find("<Table1>"), std::string::npos);
    EXPECT_NE(r.text.find("<hdserverPort>" + std::to_string(sim->requestPort()) + "</hdserverPort>"), std::string::npos);
    EXPECT_NE(r.text.find("<Table4>\n    <AccountId>2001</AccountId>"), std::string::npos);
    EXPECT_NE(r.text.find("<FND>2026-12-22T00:00:00+00:00</FND>"), std::string::npos);
    EXPECT_EQ(r.text.find("<Table4>\n    <AccountId>1001</AccountId>"), std::string::npos);  // not alice's
}

TEST(SimSession, WrongPasswordIsRefusedWith47AndNoLoginData) {
    auto sim = startSimulator();
    TcpClient c(sim->sessionPort());
    c.sendEnvelope({{10, "32"}, {23, "trader"}, {18, "wrong"}, {160, "PACKED"}}, c.key, true);
    const auto refusal = c.next();
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->type, 47);
    EXPECT_EQ(refusal->get(160), "PACKED");
    const auto text = payload(refusal->get(1050));
    ASSERT_TRUE(text);
    EXPECT_EQ(*text, std::string(16, '\x07') + "1\x05Invalid user name or password\x05" "10\x06");
    EXPECT_FALSE(c.next(300ms));  // no login data, no acceptance

    // A user held back for an old build: code 12 with the update address.
    TcpClient old(sim->sessionPort());
    old.sendEnvelope({{10, "32"}, {23, "olduser"}, {18, "old123"}}, old.key, true);
    const auto r12 = old.expect(47);
    ASSERT_TRUE(r12);
    EXPECT_EQ(payload(r12->get(1050)).value_or(""),
              std::string(16, '\x07') + "1\x05https://example.invalid/update\x05" "12\x06");
}

TEST(SimSession, SecondLoginOfTheSameUserSends44ToTheFirst) {
    auto sim = startSimulator();
    TcpClient first(sim->sessionPort());
    ASSERT_TRUE(login(first, "alice", "alice123").accepted);
    TcpClient second(sim->sessionPort());
    const LoginResult r2 = login(second, "alice", "alice123");
    ASSERT_TRUE(r2.accepted);
    const auto elsewhere = first.expect(44);
    ASSERT_TRUE(elsewhere);
    EXPECT_FALSE(elsewhere->get(105).empty());
    EXPECT_TRUE(first.closedWithin(2s));
    second.sendEnvelope(ping(), r2.sessionKey);
    EXPECT_TRUE(second.expect(1019));
}

TEST(SimSession, AfterTheLoginDataOnlyTheSessionKeyIsAccepted) {
    auto log = std::make_shared<LogCapture>();
    auto sim = startSimulator({}, log);
    TcpClient c(sim->sessionPort());
    const LoginResult r = login(c, "trader", "secret1");
    ASSERT_TRUE(r.accepted);
    c.sendEnvelope(ping(), deployment::kSecurityKey);
    EXPECT_FALSE(c.next(400ms));
    EXPECT_TRUE(log->contains("does not decrypt with the session key"));
    c.sendEnvelope(ping(), r.sessionKey);
    EXPECT_TRUE(c.expect(1019));
}

TEST(SimSession, ARelogsInWithTheEarlierSessionKey) {
    auto sim = startSimulator();
    std::string key;
    {
        TcpClient c(sim->sessionPort());
        const LoginResult r = login(c, "alice", "alice123");
        ASSERT_TRUE(r.accepted);
        key = r.sessionKey;
    }
    TcpClient again(sim->sessionPort());
    again.key = key;  // the client keeps the session key for later logins
    EXPECT_TRUE(login(again, "alice", "alice123").accepted);
}

TEST(SimSession, SessionMessagesInEnvelopesOrCompressedOnTheSwitch) {
    auto sim = startSimulator();
    ASSERT_EQ(sim->command("wrap envelope"), "ok");
    {
        TcpClient c(sim->sessionPort());
        const LoginResult r = login(c, "trader", "secret1");
        ASSERT_TRUE(r.accepted);  // 33 opened with the shipped key, 18 with the session key
        c.sendEnvelope(ping(), r.sessionKey);
        ASSERT_TRUE(c.expect(1019));
        EXPECT_EQ(c.wireTypes, (std::vector<int>{76, 76, 76}));
    }
    ASSERT_EQ(sim->command("wrap compressed"), "ok");
    TcpClient c(sim->sessionPort());
    ASSERT_TRUE(login(c, "alice", "alice123").accepted);
    EXPECT_EQ(c.wireTypes, (std::vector<int>{105, 105}));
}

TEST(SimSession, MalformedInputIsLoggedAndDroppedAndTheSessionGoesOn) {
    auto log = std::make_shared<LogCapture>();
    auto sim = startSimulator({}, log);
    TcpClient c(sim->sessionPort());
    const LoginResult r = login(c, "trader", "secret1");
    ASSERT_TRUE(r.accepted);
    c.sendRaw(std::string("\x01") + "5\x03garbage\x02");
    c.sendRaw(frame({{10, "76"}, {27, "***"}}));
    c.sendRaw(std::string("\x01") + "12\x03" + "10=1018\x03" "20=");  // cut short, then a new frame
    c.sendEnvelope(ping(), r.sessionKey);
    EXPECT_TRUE(c.expect(1019));
    EXPECT_TRUE(log->contains("malformed frame dropped"));
    EXPECT_TRUE(log->contains("tag 27 is not Base64"));
}

TEST(SimSession, FaultsSplitWritesAfterTheStartByteAndInsideACharacter) {
    auto sim = startSimulator();
    TcpClient c(sim->sessionPort());
    const LoginResult r = login(c, "trader", "secret1");
    ASSERT_TRUE(r.accepted);
    c.chunks.clear();
    ASSERT_EQ(sim->command("fault split 1"), "ok");
    c.sendEnvelope(ping(), r.sessionKey);
    ASSERT_TRUE(c.expect(1019));
    ASSERT_GE(c.chunks.size(), 2u);
    EXPECT_EQ(c.chunks[0], "\x01");

    ASSERT_EQ(sim->command("fault split 0"), "ok");
    ASSERT_EQ(sim->command("fault split-utf8 on"), "ok");
    c.chunks.clear();
    // Sent from another thread: the command returns only after both pieces went out.
    auto sent = std::async(std::launch::async, [&] { return sim->command("send trader 44 105=Zürich"); });
    const auto m = c.expect(44);
    EXPECT_EQ(sent.get(), "ok");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->get(105), "Zürich");
    ASSERT_GE(c.chunks.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(c.chunks[0].back()), 0xC3u);  // first byte of "ü"
}

TEST(SimSession, FaultsSilenceAndCloseMidFrame) {
    auto sim = startSimulator();
    TcpClient c(sim->sessionPort());
    const LoginResult r = login(c, "trader", "secret1");
    ASSERT_TRUE(r.accepted);
    ASSERT_EQ(sim->command("fault silent on"), "ok");
    c.sendEnvelope(ping(), r.sessionKey);
    EXPECT_FALSE(c.next(400ms));
    ASSERT_EQ(sim->command("fault silent off"), "ok");
    ASSERT_EQ(sim->command("fault close-mid-frame on"), "ok");
    c.chunks.clear();
    c.sendEnvelope(ping(), r.sessionKey);
    EXPECT_TRUE(c.closedWithin(2s));
    ASSERT_FALSE(c.chunks.empty());
    EXPECT_EQ(c.chunks.back().find('\x02'), std::string::npos);
}

TEST(SimSession, FaultsBadEnvelopeAndBadCompressedPayloads) {
    auto sim = startSimulator();
    ASSERT_EQ(sim->command("wrap envelope"), "ok");
    TcpClient c(sim->sessionPort());
    const LoginResult r = login(c, "trader", "secret1");
    ASSERT_TRUE(r.accepted);
    ASSERT_EQ(sim->command("fault bad-envelope on"), "ok");
    c.sendEnvelope(ping(), r.sessionKey);
    const auto bad = c.next();
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->type, 76);  // left unopened
    EXPECT_FALSE(unbase64(bad->get(27)));
    c.sendEnvelope(ping(), r.sessionKey);
    EXPECT_TRUE(c.expect(1019));  // the fault fires once

    ASSERT_EQ(sim->command("wrap plain"), "ok");
    ASSERT_EQ(sim->command("fault bad-compressed truncated"), "ok");
    TcpClient t(sim->sessionPort());
    t.sendEnvelope({{10, "32"}, {23, "alice"}, {18, "alice123"}}, t.key, true);
    const auto data = t.expect(33);
    ASSERT_TRUE(data);
    EXPECT_FALSE(payload(data->get(1050)));  // the stream is cut short
    ASSERT_EQ(sim->command("fault bad-compressed short"), "ok");
    TcpClient s(sim->sessionPort());
    s.sendEnvelope({{10, "32"}, {23, "trader"}, {18, "secret1"}}, s.key, true);
    const auto shortData = s.expect(33);
    ASSERT_TRUE(shortData);
    EXPECT_LT(unbase64(shortData->get(1050)).value_or("xxxxx").size(), 4u);
}

TEST(SimSession, PasswordChangeAndDemoRegistration) {
    auto sim = startSimulator();
    TcpClient c(sim->sessionPort());
    const LoginResult r = login(c, "alice", "alice123");
    ASSERT_TRUE(r.accepted);
    c.sendEnvelope({{10, "37"}, {23, "alice"}, {104, "nope"}, {103, "new-pass"}, {20, "1"}}, r.sessionKey);
    auto no = c.expect(38);
    ASSERT_TRUE(no);
    EXPECT_EQ(no->get(17), "failure");
    EXPECT_FALSE(no->has(103));
    c.sendEnvelope({{10, "37"}, {23, "alice"}, {104, "alice123"}, {103, "new-pass"}, {20, "1"}}, r.sessionKey);
    auto yes = c.expect(38);
    ASSERT_TRUE(yes);
    EXPECT_EQ(yes->get(17), "success");
    EXPECT_EQ(yes->get(103), "new-pass");

    TcpClient demo(sim->sessionPort());
    demo.sendEnvelope({{10, "1026"}, {1152, "a@example.invalid"}, {1033, "Trade"}, {564, "5000"}}, demo.key, true);
    const auto created = demo.expect(1027);
    ASSERT_TRUE(created);
    EXPECT_TRUE(demo.closedWithin(2s));
    TcpClient fresh(sim->sessionPort());
    const LoginResult d = login(fresh, created->get(23), created->get(18));
    ASSERT_TRUE(d.accepted);
    const auto account = splitOn(splitOn(d.text, '\x07')[8], '\x05');
    EXPECT_EQ(account[4], "5000");  // the chosen deposit
}

TEST(SimSession, RandomBytesOnBothChannelsNeverStopTheSimulator) {
    auto sim = startSimulator();
    std::mt19937 rng(7);
    const std::string alphabet = std::string("\x01\x02\x03=0123456789ABCxyz/+", 22);
    {
        TcpClient noise(sim->sessionPort());
        for (int i = 0; i < 300; ++i) {
            std::string chunk;
            const int n = 1 + static_cast<int>(rng() % 200);
            for (int k = 0; k < n; ++k) chunk += alphabet[rng() % alphabet.size()];
            if (i % 10 == 0) chunk = frame({{10, "76"}, {27, base64(chunk)}});  // envelopes that do not decrypt
            noise.sendRaw(chunk);
        }
        EXPECT_FALSE(noise.next(200ms));
    }
    ReqClient req(sim->requestPort());
    for (int i = 0; i < 50; ++i) {
        std::string junk;
        for (int k = 0; k < 40; ++k) junk += alphabet[rng() % alphabet.size()];
        ASSERT_TRUE(req.ask(junk)) << i;  // every request gets an answer
    }
    TcpClient c(sim->sessionPort());
    EXPECT_TRUE(login(c, "trader", "secret1").accepted);
}
