#pragma once
// The simulator's world: users, accounts, groups, instruments and the orders that
// exist at login, read from a JSON scenario file.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "json_fields.h"

namespace sim {

struct UserRecord {
    std::string name;
    std::string password;
    int userId = 0;
    std::vector<int> accounts;
    int refuseCode = 0;          // > 0: every login of this user is refused with this code
    std::string refuseMessage;   // for code 12: the update address
    std::string loginMessage;    // the login-information text sent with the login data
    Json info;                   // the user record's own columns
};

struct InstrumentRecord {
    int id = 0;
    std::string code;
    std::string name;
    int typeId = 0;
    int decimals = 2;
    double tickSize = 0.01;
    double contractSize = 1;
    double price = 1;        // starting mid price
    int sessionSettingId = 0;
    int marketId = 0;
    // The JSON it was read from. A scaled copy shares its source's, whose id,
    // code and name are the source's.
    std::shared_ptr<const Json> record = std::make_shared<const Json>();
    bool scaledCopy = false;
};

// A group's terms for one instrument: a row of "groupInstruments", or a scaled
// copy of one with its own row id and instrument.
struct GroupInstrumentRecord {
    int groupId = 0;
    int instrumentId = 0;
    long long rowId = 0;  // "groupdetailsid"
    // The JSON it was read from; a scaled copy shares its source row's.
    std::shared_ptr<const Json> record = std::make_shared<const Json>();
    bool scaledCopy = false;
};

struct AccountRecord {
    int id = 0;
    int groupId = 0;
    double balance = 0;
    int tradingStatus = 1;
    Json record;
};

struct PositionRecord {
    std::string id;
    int accountId = 0;
    int instrumentId = 0;
    bool isBuy = true;
    double initialQty = 0;
    double qty = 0;
    double price = 0;
    double commission = 0;
    std::string date;  // yyyyMMddHHmmss
    std::string pendingOrderId;
    std::string executionId;
    std::string ticketId;
    int deliveryMode = 1;
    int orderType = 1;
    double storage = 0;
    std::string valueDate;
    std::string expiryDate;
};

struct PendingOrderRecord {
    std::string id;
    std::string ticketId;
    int accountId = 0;
    int instrumentId = 0;
    bool isBuy = true;
    int orderType = 2;  // 1 market, 2 limit, 3 stop
    double qty = 0;
    double remaining = 0;
    double price = 0;
    double limitPrice = 0;
    double stopPrice = 0;
    int deliveryMode = 1;
    int timeInForce = 1;
    std::string expiry;
    std::string date;
    std::string refPositionIdOfBracket;
    int requestId = 0;
};

struct SettledRecord {
    std::string id;
    int accountId = 0;
    int instrumentId = 0;
    std::string refPositionId;
    std::string closingPositionId;
    double qty = 0;
    double pl = 0;
    std::string date;
    bool isBuy = true;
    double openPrice = 0;
    double closePrice = 0;
    std::string openDate;
    std::string closeDate;
    int deliveryMode = 1;
};

struct CancelledRecord {
    std::string id;
    double qty = 0;
    std::string ticketId;
    std::string pendingOrderId;
    int instrumentId = 0;
    int accountId = 0;
    int reason = 0;
    std::string date;
    bool isBuy = true;
    int deliveryMode = 1;
    int orderType = 2;
    double price = 0;
};

class Scenario {
public:
    // Throws std::runtime_error with a clear message on a file that cannot be used.
    static Scenario load(const std::string& path);
    static Scenario fromText(const std::string& json);
    static Scenario fromJson(Json root);

    // The scenario as read; a scaled scenario's copies are only in the records.
    const Json& root() const { return root_; }
    const std::vector<UserRecord>& users() const { return users_; }
    const std::vector<InstrumentRecord>& instruments() const { return instruments_; }
    const std::vector<AccountRecord>& accounts() const { return accounts_; }
    const std::vector<GroupInstrumentRecord>& groupInstruments() const { return groupInstruments_; }

    const UserRecord* findUser(const std::string& name) const;
    const InstrumentRecord* instrumentById(int id) const;
    const InstrumentRecord* instrumentByCode(const std::string& code) const;
    const AccountRecord* account(int id) const;
    AccountRecord* account(int id);
    // Group instrument record (JSON) of a group and an instrument; null value when absent.
    const Json& groupInstrument(int groupId, int instrumentId) const;

    // Throws std::runtime_error on a code or decimals that cannot be used, or an
    // id or code already listed.
    InstrumentRecord& addInstrument(InstrumentRecord instrument);
    void addGroupInstrument(GroupInstrumentRecord row);
    // Room for this many instruments and group-instrument rows in all.
    void reserve(std::size_t instruments, std::size_t groupInstruments);

    std::vector<PositionRecord> positions;
    std::vector<PositionRecord> closedPositions;  // closed during the session, for the executed search
    std::vector<PendingOrderRecord> pendingOrders;
    std::vector<SettledRecord> settled;
    std::vector<CancelledRecord> cancelled;

    // Users made at run time (demo registration, password changes).
    UserRecord& addUser(UserRecord user);
    AccountRecord& addAccount(AccountRecord account);
    bool setPassword(const std::string& user, const std::string& password);

private:
    void index();

    Json root_;
    std::unordered_map<std::uint64_t, std::size_t> groupInstrumentAt_;  // (group, instrument) -> row
    // Row of the first record with each key.
    std::unordered_map<std::string, std::size_t> userAt_, instrumentAtCode_;
    std::unordered_map<int, std::size_t> instrumentAt_, accountAt_;
    std::vector<UserRecord> users_;
    std::vector<InstrumentRecord> instruments_;
    std::vector<AccountRecord> accounts_;
    std::vector<GroupInstrumentRecord> groupInstruments_;
};

// The margin an account's open positions hold: each position's quantity times
// its group instrument's margin per lot (intraday, BTST, sell or initial, as
// the client reads them), and the larger side of each instrument alone.
struct AccountMargins {
    double used = 0;
    double oneSide = 0;
};
AccountMargins accountMargins(const Scenario& scenario, int accountId);

// Current local time as yyyyMMddHHmmss.
std::string packedNow();
// "%.*f" of a number.
std::string fixed(double value, int decimals);
// Shortest plain text of a quantity or amount ("1", "2.5").
std::string plain(double value);

}  // namespace sim
