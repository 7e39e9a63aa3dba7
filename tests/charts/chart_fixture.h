#pragma once
// A chart on a session whose requests are kept, not sent; answers are handed
// to the session as the request channel would.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <memory>
#include <string>
#include <vector>

#include "kit/qt_main_executor.h"
#include "kit/qt_test_app.h"
#include "charts/chart_controller.h"
#include "protocol/message_base.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "state/recording_ui_services.h"

namespace charts::testing {

class ChartFixture : public ::testing::Test {
protected:
    void SetUp() override {
        executor = kit::QtMainExecutor::install();
        state::SessionParts parts;
        parts.outgoing = [this](const protocol::RequestMessage& r) {
            auto m = protocol::MessageBase::decodeFrame(r.message.substr(1, r.message.size() - 2));
            if (!m) return true;
            const auto& tags = m->messageDataDictionary();
            requests.push_back(tags.get(12).value_or("") + "^" + tags.get(83).value_or("") + "/" + tags.get(1025).value_or(""));
            requestIds.push_back(tags.get(20).value_or(""));
            return true;
        };
        session = state::BusinessBase::create(ui, ui, std::move(parts));
        gold = addItem("GOLD", 2, 1800.0);
        addItem("SILVER", 3, 24.5);
        addItem("OIL", 2, 80.0);
        addItem("EURUSD", 5, 1.1);
    }
    void TearDown() override {
        charts.clear();
        session.reset();
        platform::MainExecutor::install(nullptr);
    }
    std::shared_ptr<model::ItemDetails> addItem(const std::string& code, int decimals, double price) {
        auto item = std::make_shared<model::ItemDetails>();
        item->Code = code;
        item->DecimalPlaces = decimals;
        item->Last = price;
        item->Bid = price - 0.5;
        item->Ask = price + 0.5;
        item->UpdateTime = "03/09/2026 10:00:00";
        state::ReferenceDataTestAccess::ItemCollection(state::SessionTestAccess::referenceData(*session)).set(code, item);
        return item;
    }
    ChartController& chart() {
        charts.push_back(std::make_unique<ChartController>(session, session));
        charts.back()->resize(800, 450);
        return *charts.back();
    }
    // The request channel's answer to a chart request.
    void answer(const std::string& text) {
        state::SessionTestAccess::dataServiceAnswers(*session).fillChartData(text, state::servicesOf(*session).requestId(), std::nullopt);
        kit::testing::runFor(20);
    }
    QImage render(ChartController& c, QSize size = {800, 450}) {
        QImage image(size, QImage::Format_RGB32);
        QPainter painter(&image);
        c.graph()->render(painter, QRectF(QPointF(0, 0), size));
        return image;
    }

    state::testing::RecordingUi ui;
    std::shared_ptr<kit::QtMainExecutor> executor;
    std::shared_ptr<state::BusinessBase> session;
    std::shared_ptr<model::ItemDetails> gold;
    std::vector<std::string> requests;  // "CODE^INTERVAL/BARS" of each chart request
    std::vector<std::string> requestIds;  // its tag 20
    std::vector<std::unique_ptr<ChartController>> charts;
};

// An answer of `n` bars a minute apart from 03/09/26 09:00, closes rising from `first` by `step`.
inline std::string minuteAnswer(const std::string& key, int n, double first = 1800, double step = 0.5) {
    std::string d, t, c, h, l, o;
    for (int i = 0; i < n; ++i) {
        const char* sep = i ? "," : "";
        const double close = first + step * i + (i % 3 == 0 ? -1.5 : 0.75);
        const double open = first + step * i;
        char tt[16];
        std::snprintf(tt, sizeof tt, "%02d:%02d:00", 9 + i / 60 % 24, i % 60);
        d.append(sep).append("03/09/26");
        t.append(sep).append(tt);
        c.append(sep).append(std::to_string(close));
        h.append(sep).append(std::to_string(std::max(open, close) + 1.25));
        l.append(sep).append(std::to_string(std::min(open, close) - 1.0));
        o.append(sep).append(std::to_string(open));
    }
    return "<1041~" + key + "~" + std::to_string(n) + ">" + d + "#" + t + "#" + c + "#" + h + "#" + l + "#" + o + "<END>";
}

}  // namespace charts::testing
