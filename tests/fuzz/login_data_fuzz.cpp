// Fuzz target for the login reference data: the same bytes go through the
// compact loader and through the XML reader and table loader. Built with
// libFuzzer when fuzzing; otherwise the checked-in corpus is replayed.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "state/login_tables.h"
#include "state/reference_data.h"
#include "support/reference_data_test_access.h"

namespace {

void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    state::ReferenceData packed;
    const bool filled = state::fillPacked(packed, text);
    // A user is held exactly when the first record has text and no section is over its cap.
    const bool firstRecord = !text.substr(0, text.find_first_of("\x06\x07")).empty();
    require((packed.userInfo() != nullptr) == (filled && firstRecord));
    // Every record sits under the decimal form of its own converted id.
    for (const auto& [key, account] : packed.AccountDetailCollection())
        require(account && key == std::to_string(account->AccountId));
    for (const auto& [key, group] : packed.GroupDetailCollection()) {
        require(group && key == std::to_string(group->GroupId));
        for (const auto& [instrumentKey, instrument] : group->GroupInstrumentCollection)
            require(instrument && instrument->GroupId == group->GroupId &&
                    instrumentKey == std::to_string(instrument->InstrumentId));
    }
    for (const auto& [key, setting] : packed.SessionSettingCollection())
        require(setting && key == std::to_string(setting->settingsID));
    for (const auto& [key, message] : packed.loginInfoMessageCollection())
        require(message && message->ErrorCode > 0 && key == std::to_string(message->ErrorCode));

    state::ReferenceData xml;
    xml.parseXml(text);
    for (const auto& [name, table] : xml.TableDataCollection()) {
        require(name.find("Table") != std::string::npos);
        std::size_t row = 0;
        for (const auto& entry : table) require(entry.first == std::to_string(row++));
    }
    // Where the login's row reader takes the text, it hands over the rows parseXml stores.
    state::LoginTables rows;
    if (rows.read(text)) {
        for (const auto& [name, held] : xml.TableDataCollection()) {
            const auto& table = held;  // clang 14 cannot capture a structured binding
            auto stored = table.begin();
            rows.eachRow(name, [&](const state::TableRow& row) {
                require(stored != table.end());
                const auto a = row.columns(), b = stored->second.columns();
                require(std::equal(a.begin(), a.end(), b.begin(), b.end()));
                ++stored;
            });
            require(stored == table.end());
        }
    }
    // A second parse of the same text gives the same tables; filling lets them go.
    const std::size_t tables = xml.TableDataCollection().size();
    xml.parseXml(text);
    require(xml.TableDataCollection().size() == tables);
    xml.FillTableDetails();
    require(xml.TableDataCollection().empty());
    return 0;
}
