// The bulk sheets against the simulator: the close-all sheet opened from the
// open positions table, every position ticked, one refused by the server, the
// others closed; the offset sheet of 70001 against its two opposite positions.
#include <gtest/gtest.h>

#include <QTableWidget>

#include "integration/app_window_fixture.h"
#include "trading/close_all_window_controller.h"
#include "trading/offset_position_window_controller.h"
#include "views/open_position_table_controller.h"

namespace {

using kit::testing::runUntil;

class CloseAllSimTest : public integration::LoggedInWindowTest {
protected:
    CloseAllSimTest() : LoggedInWindowTest("close_all_sim") {}
};

TEST_F(CloseAllSimTest, ARefusedPositionShowsRedTheOthersClose) {
    QPushButton* button = main->openPositions()->closeAllButton();
    ASSERT_TRUE(runUntil([&] { return button->isEnabled(); }));
    button->click();
    auto* sheet = dynamic_cast<trading::CloseAllWindowController*>(main->keptWindow("CloseAllWindowController"));
    ASSERT_TRUE(sheet && sheet->isVisible());
    EXPECT_TRUE(main->isSheetAttached());
    std::size_t positions = state::viewOf(*session).getOpenOrderCollection().size();
    ASSERT_EQ(sheet->selection().count(), positions);
    EXPECT_EQ(sheet->closeAllButton->text().toStdString(), integration::tr("0243"));
    // The delivery position of CDVM has no sell permission to close with: left out.
    QAbstractItemModel* rows = sheet->closeAllRows;
    for (int r = 0; r < rows->rowCount(); ++r)
        if (rows->index(r, 2).data().toString() == "70008")
            rows->setData(rows->index(r, 0), Qt::Unchecked, Qt::CheckStateRole);
    ASSERT_EQ(sheet->selection().count(), --positions);

    ASSERT_EQ(sim->command("fault close-refuse 70002").rfind("ok", 0), 0u);
    sheet->closeAllButton->click();
    const auto answered = [&] {
        if (sheet->statusRows().size() != positions) return false;
        for (const auto& row : sheet->statusRows())
            if (row.orderDetails == integration::tr("0531")) return false;
        return true;
    };
    ASSERT_TRUE(runUntil(answered, 10000));
    for (const auto& row : sheet->statusRows()) {
        SCOPED_TRACE(row.orderNo);
        const bool refused = row.orderNo == "70002";
        EXPECT_EQ(row.orderDetails == integration::tr("90300"), !refused);
        EXPECT_EQ(row.statusColor->red, (refused ? trading::kStatusRed : trading::kStatusGreen).red);
    }
    sheet->resize(sheet->minimumSize());
    kit::testing::saveScreenshot(sheet, "close-all-sim-status-dark");
    sheet->closeModal();
    EXPECT_FALSE(main->isSheetAttached());
}

TEST_F(CloseAllSimTest, OffsetAgainstTwoOppositePositionsClosesTheSheet) {
    const auto rowOf = [&](const std::string& id) {
        const auto open = state::viewOf(*session).getOpenOrderCollection();
        for (std::size_t i = 0; i < open.size(); ++i)
            if (open[i]->OpenPositionId == id) return static_cast<int>(i);
        return -1;
    };
    const int row = rowOf("70001");
    ASSERT_TRUE(runUntil([&] { return row >= 0 && main->openPositions()->model()->rowCount() > row; }));
    main->openPositions()->offsetPositionButtonClicked(row);
    auto* sheet = dynamic_cast<trading::OffsetPositionWindowController*>(main->keptWindow("OffsetPositionWindowController"));
    ASSERT_TRUE(sheet && sheet->isVisible());
    std::vector<std::string> ids;
    for (const auto& r : sheet->selection().rows()) ids.push_back(r.postionId);
    ASSERT_EQ(ids, (std::vector<std::string>{"70006", "70007"}));
    sheet->hitCheckbox(0);
    sheet->hitCheckbox(1);
    ASSERT_TRUE(sheet->QuantitySelectedAtIndex(0, "1"));
    ASSERT_TRUE(sheet->QuantitySelectedAtIndex(1, "0.5"));
    sheet->offsetButton->click();
    ASSERT_TRUE(runUntil([&] { return !sheet->isVisible(); }, 10000));
    EXPECT_TRUE(runUntil([&] { return rowOf("70006") < 0 && rowOf("70007") < 0; }, 10000));
    EXPECT_GE(rowOf("70001"), 0);  // 1.5 of its 2 lots offset
}

}  // namespace
