// A session with no connection and the window context the statement window is
// made with, for the benches that drive that window offscreen.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "model/language_string.h"
#include "offscreen_bench.h"
#include "reports/account_statement_window_controller.h"
#include "silent_ui.h"
#include "state/data_service_answers.h"
#include "support/session_test_access.h"
#include "table_bench.h"

namespace bench {

struct StatementWindowHost {
    explicit StatementWindowHost(const std::string& name)
        : preferences(name), session(makeSession(ui)), tables(session, ui, preferences.manager) {
        context.text = [](const std::string& key) { return model::LanguageString::stringforSelectedLanguage(0, key); };
        context.theme = [] { return std::int64_t{0}; };
    }

    // A statement window at 1600x900 on its details page, shown.
    std::unique_ptr<reports::AccountStatementWindowController> openWindow() {
        auto window = std::make_unique<reports::AccountStatementWindowController>(context);
        window->windowDidAppear();
        window->resize(1600, 900);
        window->detailsButtonClicked();
        window->show();
        return window;
    }

    // The session's answer to a statement request.
    void answer(const std::optional<std::string>& xml) {
        state::SessionTestAccess::dataServiceAnswers(*session).processDSResponse(
            xml, std::nullopt, "getdsaccountstatement", protocol::RequestKind{1023, "getdsaccountstatement", 0, 0});
    }

    BenchPreferences preferences;
    SilentUi ui;
    std::shared_ptr<state::BusinessBase> session;
    TableContext tables;
    kit::WindowContext& context = tables.context;

private:
    static std::shared_ptr<state::BusinessBase> makeSession(SilentUi& ui) {
        state::SessionParts parts;
        parts.outgoing = [](const protocol::RequestMessage&) { return true; };
        return state::BusinessBase::create(ui, ui, std::move(parts));
    }
};

}  // namespace bench
