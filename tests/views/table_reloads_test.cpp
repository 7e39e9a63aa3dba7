// The main window's tables reload once per turn, on a change of their own list.
#include <gtest/gtest.h>

#include <QTimer>
#include <functional>
#include <memory>

#include "kit/fake_context.h"
#include "kit/qt_main_executor.h"
#include "kit/qt_test_app.h"
#include "orders/order_mananger.h"
#include "views/cancelled_order_table_controller.h"
#include "views/executed_position_table_controller.h"
#include "views/journal_table_controller.h"
#include "views/open_position_table_controller.h"
#include "views/pending_order_table_controller.h"
#include "views/positions_fixture.h"
#include "views/settled_position_table_controller.h"

namespace views {
namespace {

// Counts the table's whole reloads.
template <typename Table>
class Counted : public Table {
public:
    template <typename... Args>
    explicit Counted(Args&&... args) : Table(std::forward<Args>(args)...) {}
    int reloads = 0;

protected:
    void didReload() override {
        ++reloads;
        Table::didReload();
    }
};

struct Reloads {
    std::unique_ptr<kit::TableControllerBase> table;
    std::function<int()> count;
};

template <typename Table, typename... Args>
Reloads counted(Args&&... args) {
    auto* table = new Counted<Table>(std::forward<Args>(args)...);
    return {std::unique_ptr<kit::TableControllerBase>(table), [table] { return table->reloads; }};
}

// A hundred pending orders in one slice reload the pending table once, the
// journal they write once, and no other table; a line written here shows too.
TEST(TableReloads, AListChangedAHundredTimesReloadsItsTableOnce) {
    auto executor = kit::QtMainExecutor::install();
    testing::PositionsSession s;
    s.position("70001", model::Order::kBuy, "2");
    orders::OrderMananger manager{*s.session, *s.session, s.data(), state::SessionTestAccess::orderBook(*s.session),
                                  *s.session};
    kit::testing::FakeContext fake{*s.session, *s.session, manager, s.session};
    std::vector<Reloads> tables;
    tables.push_back(counted<OpenPositionTableController>(fake.context, true));
    tables.push_back(counted<PendingOrderTableController>(fake.context));
    tables.push_back(counted<CancelledOrderTableController>(fake.context));
    tables.push_back(counted<SettledPositionTableController>(fake.context, true));
    tables.push_back(counted<ExecutedPositionTableController>(fake.context));
    tables.push_back(counted<JournalTableController>(fake.context));
    std::vector<int> before;
    for (const Reloads& r : tables) before.push_back(r.count());

    for (int i = 0; i < 100; ++i) {
        const std::string id = "79=" + std::to_string(9000 + i);
        state::SessionTestAccess::checkNewMessage(
            *s.session, state::IncomingMessage::ofFields(62, {"10=62", "73=28", "12=GOLD", "34=1001", id}));
    }
    const auto reloaded = [&](std::size_t i) { return tables[i].count() - before[i]; };
    ASSERT_TRUE(kit::testing::runUntil([&] { return reloaded(1) > 0 && reloaded(5) > 0; }));
    bool turned = false;  // a later turn of the event loop: a second reload would have run
    QTimer::singleShot(0, [&] { turned = true; });
    ASSERT_TRUE(kit::testing::runUntil([&] { return turned; }));
    for (std::size_t i = 0; i < tables.size(); ++i) EXPECT_EQ(reloaded(i), i == 1 || i == 5) << i;
    EXPECT_EQ(tables[1].table->rowCount(), 100);

    // The line an order sent writes shows in the journal without a server message.
    const int rows = tables[5].table->rowCount();
    auto order = std::make_shared<model::Order>();  // as it was sent
    order->ItemCode = "GOLD";
    order->AccountNumber = "1001";
    order->OrderQty = "1";
    order->RequestId = 7;
    manager.ShowNewOrderMessages(order, 0);
    EXPECT_TRUE(kit::testing::runUntil([&] { return tables[5].table->rowCount() == rows + 1; }));
    tables.clear();
    platform::MainExecutor::install(nullptr);
}

}  // namespace
}  // namespace views
