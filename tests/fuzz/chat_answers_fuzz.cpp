// Fuzz target for the chat answers (types 601 to 680) through the session's
// dispatcher, and the resource download answer. Each line of the input is one
// message: its type, then its "tag=value" fields, separated by "|"; a line
// "download|<row>|<payload>" is a download answer for a row the client asked
// for ("gold.svg" or "holidays.ics") or any other. Built with libFuzzer when
// fuzzing; otherwise the corpus is replayed.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "fuzz/fuzz_session.h"
#include "model/file_resource.h"
#include "platform/runtime.h"
#include "state/chat.h"
#include "state/data_service_answers.h"
#include "state/resource_files.h"
#include "support/chat_test_access.h"

namespace {

constexpr std::size_t kMaxMessages = 32;
const char* const kAsked[] = {"gold.svg", "holidays.ics"};

bool isChatAnswer(std::string_view type) {
    if (type.size() != 3 || type.find_first_not_of("0123456789") != std::string_view::npos) return false;
    const int value = std::stoi(std::string(type));
    return value >= 601 && value <= 680;
}

// The resources folder, under a folder of this process's own.
const std::string& resourcesFolder() {
    static const std::string folder = [] {
        ::setenv("XDG_DATA_HOME", fuzz::privateFolder("chat_answers_fuzz").c_str(), 1);
        return *state::ResourceFiles::resourcesFolder();
    }();
    return folder;
}

// Only names the client asked for, and the merged calendar, are in the folder.
void checkFolder(const std::string& folder) {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        const std::string name = entry.path().filename().string();
        fuzz::require(name == kAsked[0] || name == kAsked[1] || name == state::ResourceFiles::kMergedCalendarName);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession fs;
    const std::string& folder = resourcesFolder();
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
    auto& chat = state::SessionTestAccess::chat(*fs.session);
    state::ChatTestAccess::clear(chat);
    auto& reference = state::SessionTestAccess::referenceData(*fs.session);
    auto& asked = state::ReferenceDataTestAccess::requestedDownloads(reference);
    asked = {kAsked[0], kAsked[1]};

    std::size_t messages = 0;
    for (std::string_view line : fuzz::split(std::string_view(reinterpret_cast<const char*>(data), size), '\n')) {
        if (++messages > kMaxMessages) break;
        auto fields = fuzz::split(line, '|');
        if (fields.front() == "download" && fields.size() >= 2) {
            const std::optional<std::string> payload =
                fields.size() > 2 ? std::optional<std::string>(fields[2]) : std::nullopt;
            state::SessionTestAccess::dataServiceAnswers(*fs.session).fillResourceDownload(fields[1], payload);
            platform::shutdown();  // the I/O queue writes the file, then the main thread hears of it
            fs.idle();
            continue;
        }
        if (!isChatAnswer(fields.front())) continue;
        const int type = std::stoi(std::string(fields.front()));
        fields.erase(fields.begin());
        fs.deliver(type, fields);
    }
    for (const auto& [key, room] : chat.ChatRoomCollection()) fuzz::require(room != nullptr);
    for (const auto& [key, user] : chat.UserChatCollection()) fuzz::require(user != nullptr);
    for (const auto& [key, queue] : chat.ChatQueueCollection()) fuzz::require(queue != nullptr);
    checkFolder(folder);
    asked.clear();
    fs.checkHeld();
    return 0;
}
