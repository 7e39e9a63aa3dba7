#pragma once
// The window roads of a server text, each given one 4 MB text: the deposit
// window's gateway combo (listed, opened, chosen), the offset sheet's title,
// close-all's rows, the watchlist editor's cells, a chart's title and a pie's
// legend. Prints the longest main-thread slice of each (goal 100 ms), and a
// combo given the whole 1 MB text as those roads did before.
#include <QComboBox>
#include <cstdio>

#include "charts/chart_controller.h"
#include "charts/pie_chart_controller.h"
#include "funds/deposit_request_window_controller.h"
#include "funds/funds_form.h"
#include "kit/window_context.h"
#include "model/order.h"
#include "support/order_book_test_access.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "trading/close_all_window_controller.h"
#include "trading/offset_position_window_controller.h"
#include "views/add_remove_window_controller.h"

namespace bench {

template <typename Slice>
void windowRoads(kit::WindowContext& context, const std::shared_ptr<state::BusinessBase>& session, const std::string& text,
                 Slice longestSlice) {
    auto& book = state::SessionTestAccess::orderBook(*session);
    auto& open = state::OrderBookTestAccess::OpenOrderCollection(book);
    auto position = std::make_shared<model::Order>();
    position->OpenPositionId = position->ItemCode = position->AccountNumber = text;
    position->RemainingQty = position->OrderPrice = "1";
    open.push_back(position);

    state::SessionTestAccess::dataServiceAnswers(*session).processDSResponse(
        "9\x05" + text + "\x05" "0\x05" "0\x05" "0\x05" "0\x05" "0\x06", std::nullopt, "paygategetsettings",
        protocol::RequestKind{1023, "paygategetsettings", 0, 0});
    std::unique_ptr<funds::DepositRequestWindowController> deposit;
    const double gateway = longestSlice({[&] {
                                             deposit = std::make_unique<funds::DepositRequestWindowController>(context, nullptr);
                                             deposit->windowDidAppear();
                                             deposit->loadPaymentGateway();
                                             deposit->show();
                                         },
                                         [&] { deposit->paymentGatewayComboBox->showPopup(); },
                                         [&] {
                                             deposit->paymentGatewayComboBox->hidePopup();
                                             deposit->paymentGatewayComboBox->setCurrentIndex(0);
                                         }});
    deposit.reset();

    std::unique_ptr<trading::OffsetPositionWindowController> offset;
    const double title = longestSlice({[&] {
        offset = std::make_unique<trading::OffsetPositionWindowController>(context);
        offset->setPosition(text);
        offset->show();
    }});
    offset.reset();

    std::unique_ptr<trading::CloseAllWindowController> closer;
    const double rows = longestSlice({[&] {
                                          closer = std::make_unique<trading::CloseAllWindowController>(context);
                                          closer->windowDidAppear();
                                          closer->show();
                                      },
                                      [&] { closer->repaint(); }});
    closer.reset();
    open.clear();

    auto& types = state::ReferenceDataTestAccess::symbolTypeCollection(state::SessionTestAccess::referenceData(*session));
    types.set("Shares", text + ":" + text);
    std::unique_ptr<views::AddRemoveWindowController> editor;
    const double cells = longestSlice({[&] {
                                           editor = std::make_unique<views::AddRemoveWindowController>(context);
                                           editor->showWindow();
                                           editor->show();
                                       },
                                       [&] { editor->repaint(); }});
    editor.reset();
    types.erase("Shares");

    std::unique_ptr<charts::ChartController> chart;
    const double chartTitle = longestSlice({[&] {
                                                chart = std::make_unique<charts::ChartController>(session, session);
                                                chart->resize(800, 450);
                                                chart->setValue(text, "1#0");
                                                chart->show();
                                            },
                                            [&] { chart->repaint(); }});
    chart.reset();

    std::unique_ptr<charts::PieChartController> pie;
    const double legend = longestSlice({[&] {
                                            pie = std::make_unique<charts::PieChartController>();
                                            pie->resize(600, 400);
                                            model::PieChartDictionary data;
                                            data.PieChartTitle = {text, "Other"};
                                            data.PieChartData = {1, 2};
                                            pie->setPieChartData(data);
                                            pie->show();
                                        },
                                        [&] { pie->repaint(); }});
    pie.reset();

    std::printf("\nwindow roads, 4 MB text, longest main-thread slice, ms (goal 100)\n");
    std::printf("%-14s %-12s %-14s %-14s %-12s %-12s\n", "deposit combo", "offset title", "close-all rows",
                "editor cells", "chart title", "pie legend");
    std::printf("%-14.1f %-12.1f %-14.1f %-14.1f %-12.1f %-12.1f\n", gateway, title, rows, cells, chartTitle, legend);
}

// A combo given the whole text, listed and opened, as the gateway combo was.
template <typename Slice>
void wholeComboBaseline(const std::string& text, Slice longestSlice) {
    QComboBox combo;
    const double whole = longestSlice({[&] {
                                           combo.addItem(QString::fromStdString(text));
                                           combo.show();
                                       },
                                       [&] { combo.showPopup(); }});
    std::printf("baseline, a combo given the whole %zu MB text: %.0f ms\n", text.size() >> 20, whole);
}

}  // namespace bench
