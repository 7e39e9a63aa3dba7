#pragma once
// Minimal order handling: new, offset, edit, cancel, bulk, close-all and close-hedged
// requests answered with the order-status, execution, settlement and account-summary
// messages, and working orders filled when the price reaches them.
#include <string>
#include <utility>
#include <vector>

#include "market.h"
#include "scenario.h"
#include "wire_message.h"

namespace sim {

class OrderDesk {
public:
    // Ids of new records continue after the largest numeric ids of the scenario.
    OrderDesk(Scenario& scenario, Market& market);

    // Answers one order request of a logged-in user; the messages go to that user.
    std::vector<WireMessage> handle(const WireMessage& request, const std::string& user);
    // Positions that a close-positions request refuses from now on.
    void refuseCloses(std::vector<std::string> positionIds) { refusedCloses_ = std::move(positionIds); }
    // Fills the working orders whose price has been reached: (account id, message) pairs.
    std::vector<std::pair<int, WireMessage>> checkTriggers();

    // Fills `qty` of a held working order at the market now (status 22 with the
    // rest, then the position it opens); the rest stays pending. Nothing, and
    // the reason in `error`, for an unknown order or a quantity not below the rest.
    std::vector<WireMessage> partialFill(const std::string& pendingId, double qty, std::string* error);

    WireMessage accountSummary(int accountId) const;
    // The user who owns an account ("" when none).
    std::string ownerOf(int accountId) const;

private:
    std::vector<std::string> refusedCloses_;
    struct Result {
        std::vector<WireMessage> messages;
        std::vector<int> accounts;  // accounts whose summary follows
        void touch(int account);
    };

    void newOrder(const WireMessage& m, int account, double qty, int requestId, Result& r);
    void offset(const std::string& positionId, double qty, int requestId, const std::string& user, Result& r);
    void editBracket(const WireMessage& m, const std::string& user, Result& r);
    void editWorking(const WireMessage& m, const std::string& user, Result& r);
    void closePositions(const WireMessage& m, const std::string& user, Result& r);
    void closeHedged(const WireMessage& m, const std::string& user, Result& r);
    void reject(const WireMessage& m, int requestId, int reason, const std::string& pendingId,
                const std::string& liquidate, Result& r);

    // Closes qty of a position at the market; appends the messages.
    void closeAtMarket(PositionRecord& p, double qty, int requestId, Result& r, double price = 0);
    // Request id 0: a fill by the market, answering no request.
    void fill(PendingOrderRecord order, double price, int requestId, Result& r);
    // Opens the position a fill of `qty` of the order makes, with its brackets.
    void openPosition(const PendingOrderRecord& o, double qty, double price, int requestId, Result& r);
    void addBracketLegs(const PositionRecord& p, double limit, double stop, int requestId, Result& r);
    void cancelLegs(const std::string& positionId, int requestId, Result& r);

    WireMessage orderStatus(int status, const PendingOrderRecord& o, int requestId) const;
    WireMessage execution(const PositionRecord& p, int requestId) const;

    bool ownsAccount(const std::string& user, int account) const;
    bool canOpen(int accountId) const;   // trading status Normal and access Trade
    bool canClose(int accountId) const;  // also Close Position Only and Equity Hit, access Close Only
    double freeMargin(int accountId) const;
    PositionRecord* findPosition(const std::string& id);
    PendingOrderRecord* findPending(const std::string& id);
    std::string nextId(long long& counter) { return std::to_string(counter++); }
    double marketPrice(int instrumentId, bool buy) const;
    double commissionPerLot(int account, int instrumentId) const;

    Scenario& scenario_;
    Market& market_;
    long long nextPending_ = 50001;
    long long nextPosition_ = 70001;
    long long nextExecution_ = 60001;
    long long nextSettlement_ = 90001;
    long long nextTicket_ = 40001;
    long long nextCancel_ = 30001;
};

// Wire codes of the order enumerations.
int orderTypeWire(int type);   // 1 -> 29, 2 -> 30, 3 -> 31
int orderTypeFromWire(int wire);  // 0 when unknown
int deliveryWire(int mode);    // 1 -> 51 ...
int timeInForceWire(int tif);  // 1 -> 47, 2 -> 48, 5 -> 54
int tradingStatusWire(int status);  // 1 -> 814 ...

}  // namespace sim
