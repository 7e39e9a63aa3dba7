// Fuzz target for the data-service answers (1024) routed to their fillers and
// for chart answers (1041) with the chart parser. The first line of the input
// names the request ("getopenpositions", "getcancelledorders:10" with its
// statement type, or "chart"), the rest is the answer's text. Built with
// libFuzzer when fuzzing; otherwise the corpus is replayed.
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "charts/core/chart_answer.h"
#include "fuzz/fuzz_session.h"
#include "model/message_checker.h"
#include "protocol/msg_type.h"
#include "state/data_service_answers.h"

namespace {

using fuzz::require;

void checkChart(fuzz::FuzzSession& fs, const std::string& answer) {
    // A component of its own, so that each input starts with no stored answer.
    auto& s = *fs.session;
    state::DataServiceAnswers answers(state::servicesOf(s), state::SessionTestAccess::referenceData(s),
                                      state::SessionTestAccess::orderBook(s), state::SessionTestAccess::funds(s),
                                      state::SessionTestAccess::chat(s), state::SessionTestAccess::feedChannels(s));
    answers.fillChartData(answer, 1, protocol::RequestKind{static_cast<std::int32_t>(protocol::MsgType::ChartDataRequest), "chart", 0, 0});
    fs.idle();
    // The session and the chart read the same key from the header.
    require(answers.chartDataCollection().size() <= 1);
    for (const auto& [key, stored] : answers.chartDataCollection())
        require(stored == answer && charts::chartKeyOfAnswer(stored) == key);

    charts::ChartBars bars;
    const std::string text = model::MessageChecker::removeTags(answer);
    const std::size_t closes = charts::parseChartAnswer(text, bars);
    require(closes == bars.Symdata.size() && closes == bars.biddata.size() && closes == bars.askdata.size());
    for (const auto* column : {&bars.Symdata, &bars.high, &bars.low, &bars.open}) {
        require(column->size() <= text.size());
        for (double v : *column) require(std::isnan(v) || std::isfinite(v));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t newline = input.find('\n');
    if (newline == std::string_view::npos) return 0;
    const std::string_view request = input.substr(0, newline);
    const std::string answer(input.substr(newline + 1));
    fuzz::FuzzSession fs;
    if (request == "chart") {
        checkChart(fs, answer);
        return 0;
    }
    const std::size_t colon = request.find(':');
    protocol::RequestKind kind{static_cast<std::int32_t>(protocol::MsgType::DataServiceRequest),
                               std::string(request.substr(0, colon)), 0, 0};
    if (colon != std::string_view::npos)
        std::from_chars(request.data() + colon + 1, request.data() + request.size(), kind.dsrequestType);
    // No payload: a resource download saves nothing.
    state::SessionTestAccess::dataServiceAnswers(*fs.session).processDSResponse(answer, std::nullopt, kind.name, kind);
    fs.idle();
    fs.checkHeld();
    return 0;
}
