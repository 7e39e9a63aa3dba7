// Chat answers: a room history of 10,000 RTF texts of 200 characters and a
// contact list of 5,000 users in 100 groups, each read into the session's chat
// against a plain split of the same body at its separators in the same run.
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/main_executor.h"
#include "silent_ui.h"
#include "support/session_test_access.h"

namespace {

using Clock = std::chrono::steady_clock;
const std::string C = "\x05";
const std::string R = "\x06";

std::string history() {
    std::string text = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Helvetica;}}\\pard\\f0\\fs24 ";
    while (text.size() < 180) text += "caf\\'e9 \\u20013?\\u25991? price ";
    text.resize(199);
    text += "}";
    std::string list;
    for (int i = 0; i < 10000; ++i)
        list += std::to_string(i) + C + "bob" + C + text + C + "20261207120000" + C + "Bob Brown" + R;
    return list;
}

std::vector<std::string> contacts() {
    std::string groups, users;
    for (int g = 0; g < 100; ++g) groups += "g" + std::to_string(g) + C + "Group " + std::to_string(g) + C + "0" + R;
    for (int u = 0; u < 5000; ++u)
        users += std::to_string(u) + C + "user" + std::to_string(u) + C + (u % 3 ? "Online" : "Away") + C + "" + C + "g" +
                 std::to_string(u % 100) + C + "1" + C + "" + C + "User " + std::to_string(u) + R;
    return {"10=618", "522=" + groups, "521=" + users};
}

// The baseline: every record of the body cut into its fields.
std::size_t plainSplit(std::string_view body) {
    std::size_t fields = 0;
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= body.size(); ++i) {
        if (i == body.size() || body[i] == '\x05' || body[i] == '\x06') {
            parts.emplace_back(body.substr(start, i - start));
            ++fields;
            start = i + 1;
        }
    }
    return fields + parts.size();
}

template <typename F>
double secondsOf(F&& body) {
    const auto start = Clock::now();
    body();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

volatile std::size_t gSink = 0;

}  // namespace

int main() {
    auto loop = std::make_shared<platform::ManualRunLoop>();
    platform::MainExecutor::install(loop);
    {
        bench::SilentUi ui;
        ui.login.setUserName("alice");
        auto session = state::BusinessBase::create(ui, ui);
        state::Chat& chat = state::SessionTestAccess::chat(*session);
        chat.CreateRoomforChat("r1");
        const std::string list = history();
        const std::vector<std::string> room = {"10=616", "501=r1", "17=" + list};
        const double read = secondsOf([&] { chat.FillRoomMessage(state::MessageFields(room)); });
        const double split = secondsOf([&] { gSink = gSink + plainSplit(list); });
        std::printf("616 history  10000 records (%.1f MB): read %.3f s (%zu held); plain split %.4f s; ratio %.0f\n",
                    list.size() / 1e6, read, chat.chatRoom("r1")->messages.size(), split, read / split);

        const auto list618 = contacts();
        const double filled = secondsOf([&] { chat.FillChatGroupsAndUsers(state::MessageFields(list618)); });
        const double split618 = secondsOf([&] { gSink = gSink + plainSplit(list618[1]) + plainSplit(list618[2]); });
        std::printf("618 contacts  5000 users, 100 groups: read %.4f s (%zu users); plain split %.4f s; ratio %.0f\n",
                    filled, chat.UserChatCollection().size(), split618, filled / split618);
        loop->runUntilIdle();
    }
    platform::MainExecutor::install(nullptr);
    return 0;
}
