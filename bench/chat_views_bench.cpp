// The chat windows offscreen: a conversation of 10,000 messages opened in the
// history window and scrolled to its end, and an inbox of 5,000 notices
// reloaded and repainted, each against a plain QTableView of the same texts,
// size and font repainted in the same run.
#include <QApplication>
#include <QScrollBar>
#include <QStandardItemModel>
#include <chrono>
#include <cstdio>

#include "chat/chat_message_window_controller.h"
#include "chat/message_table.h"
#include "chat/messages_window_controller.h"
#include "offscreen_bench.h"
#include "silent_ui.h"
#include "table_bench.h"

namespace {

const std::string C = "\x05";
const std::string R = "\x06";
constexpr int kMessages = 10000;
constexpr int kNotices = 5000;
constexpr int kRounds = 15;

std::string history() {
    std::string list;
    for (int i = 0; i < kMessages; ++i) {
        std::string text = "{\\rtf1 price " + std::to_string(i) + " caf\\'e9";
        for (int w = 0; w < i % 12; ++w) text += " and the spread widens again";  // one to four lines
        list += std::to_string(i) + C + (i % 3 ? "bob" : "alice") + C + text + "}" + C + "20261207120000" + C + "Bob Brown" + R;
    }
    return list;
}

std::string notices() {
    std::string list;
    for (int i = 0; i < kNotices; ++i)
        list += "desk" + C + "Rates for session " + std::to_string(i) + C + "alice" + C + "20261207090000" + C +
                std::to_string(i) + C + "notices/" + std::to_string(i) + C + "" + C + "Notice " + std::to_string(i) + C +
                "Desk" + R;
    return list;
}

// A plain table over the texts of `source`, with the same size, font and column widths.
struct PlainCopy {
    PlainCopy(const QTableView& real, bool wrapped) {
        const QAbstractItemModel& source = *real.model();
        model.setColumnCount(source.columnCount());
        for (int r = 0; r < source.rowCount(); ++r) {
            QList<QStandardItem*> row;
            for (int c = 0; c < source.columnCount(); ++c) row << new QStandardItem(source.index(r, c).data().toString());
            model.appendRow(row);
        }
        view.setModel(&model);
        view.setFont(real.font());
        view.setWordWrap(wrapped);
        for (int c = 0; c < source.columnCount(); ++c) view.setColumnWidth(c, real.columnWidth(c));
        view.resize(real.size());
        view.show();
        QApplication::processEvents();
    }
    QStandardItemModel model;
    QTableView view;
};

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenApp app(argc, argv);
    {
        bench::BenchPreferences preferences("chat_views_bench");
        bench::SilentUi ui;
        ui.login.setUserName("alice");
        auto session = state::BusinessBase::create(ui, ui);
        state::Chat& chat = state::SessionTestAccess::chat(*session);
        chat.CreateRoomforChat("r1");
        chat.FillRoomMessage(state::MessageFields(std::vector<std::string>{"10=616", "501=r1", "17=" + history()}));
        chat.FillRecentConversation(state::MessageFields(std::vector<std::string>{"10=627", "17=" + notices()}));
        bench::TableContext context(session, ui, preferences.manager);
        context.context.text = [](const std::string& key) { return key; };
        context.context.theme = [] { return std::int64_t(0); };
        std::printf("chat views, offscreen at 1600x900, median of %d rounds\n", kRounds);

        {
            chat::ChatMessageWindowController history(context.context);
            history.resize(1600, 900);
            history.show();
            chat::MessageTable* table = history.chatmessageTableView();
            const auto openAtEnd = [&](int) {
                history.showWindow("r1");
                table->scrollToBottom();
                table->viewport()->repaint();
            };
            openAtEnd(0);
            PlainCopy plain(*table, true);
            plain.view.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
            const auto plainAtEnd = [&](int) {
                plain.view.scrollToBottom();
                plain.view.viewport()->repaint();
            };
            const auto [open, baseline] = bench::interleavedMedians(kRounds, openAtEnd, plainAtEnd);
            std::printf(" history: %d messages (%d heights cached)\n", kMessages, table->cachedHeights());
            std::printf("  open + scroll to end + repaint  %8.3f ms; plain table scrolled + repaint %8.3f ms (%.1fx)\n", open,
                        baseline, open / baseline);
            // A new width refits every row once.
            const auto [refit, plainResize] = bench::interleavedMedians(
                kRounds,
                [&](int r) {
                    history.resize(1600 - (r % 2) * 200, 900);
                    QApplication::processEvents();
                    table->viewport()->repaint();
                },
                [&](int r) {
                    plain.view.resize(1600 - (r % 2) * 200, 900);
                    QApplication::processEvents();
                    plain.view.viewport()->repaint();
                });
            std::printf("  new width: refit + repaint      %8.3f ms; plain table resized + repaint %8.3f ms (%.1fx)\n", refit,
                        plainResize, refit / plainResize);
        }
        {
            // One 1 MB text: the answer that brings it, and each slice the conversation then takes.
            std::string big;
            while (big.size() < (1u << 20)) big += "the spread widens again near the close ";
            const std::string answer = "0" + C + "bob" + C + big + C + "20261207120000" + C + "Bob Brown" + R;
            chat.CreateRoomforChat("big");
            const auto t0 = std::chrono::steady_clock::now();
            chat.FillRoomMessage(state::MessageFields(std::vector<std::string>{"10=616", "501=big", "17=" + answer}));
            const double fill = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
            chat::ChatMessageWindowController window(context.context);
            window.resize(1600, 900);
            window.show();
            chat::MessageTable* table = window.chatmessageTableView();
            window.showWindow("big");
            QApplication::processEvents();
            PlainCopy plain(*table, true);
            const auto [open, baseline] = bench::interleavedMedians(
                kRounds,
                [&](int) {
                    window.showWindow("big");
                    table->viewport()->repaint();
                },
                [&](int) { plain.view.viewport()->repaint(); });
            const auto [tip, baselineTip] = bench::interleavedMedians(
                kRounds, [&](int) { (void)table->model()->index(0, 0).data(Qt::ToolTipRole); },
                [&](int) { (void)plain.model.index(0, 0).data(Qt::ToolTipRole); });
            const auto [refit, plainResize] = bench::interleavedMedians(
                kRounds,
                [&](int r) {
                    window.resize(1600 - (r % 2) * 200, 900);
                    QApplication::processEvents();
                    table->viewport()->repaint();
                },
                [&](int r) {
                    plain.view.resize(1600 - (r % 2) * 200, 900);
                    QApplication::processEvents();
                    plain.view.viewport()->repaint();
                });
            std::printf(" one text of %zu bytes (shown: %lld characters)\n", big.size(),
                        static_cast<long long>(table->model()->index(0, 0).data().toString().size()));
            std::printf("  answer filled (once)            %8.3f ms\n", fill);
            std::printf("  open + repaint                  %8.3f ms; plain wrapped table of the shown text %8.3f ms (%.1fx)\n",
                        open, baseline, open / baseline);
            std::printf("  tooltip text                    %8.3f ms; plain table's tooltip %8.3f ms\n", tip, baselineTip);
            std::printf("  new width: refit + repaint      %8.3f ms; plain table resized + repaint %8.3f ms (%.1fx)\n", refit,
                        plainResize, refit / plainResize);
        }
        {
            chat::MessagesWindowController inbox(context.context);
            inbox.resize(1600, 900);
            inbox.show();
            inbox.showWindow();
            QApplication::processEvents();
            QTableView* table = inbox.messagesTableView();
            PlainCopy plain(*table, false);
            const auto [reload, baseline] = bench::interleavedMedians(
                kRounds,
                [&](int) {
                    inbox.showWindow();
                    table->viewport()->repaint();
                },
                [&](int) { plain.view.viewport()->repaint(); });
            const auto [repaint, baseline2] = bench::interleavedMedians(
                kRounds, [&](int) { table->viewport()->repaint(); }, [&](int) { plain.view.viewport()->repaint(); });
            std::printf(" inbox: %d notices\n", table->model()->rowCount());
            std::printf("  reload + repaint                %8.3f ms; plain table repaint %8.3f ms (%.1fx)\n", reload, baseline,
                        reload / baseline);
            std::printf("  repaint alone                   %8.3f ms; plain table repaint %8.3f ms (%.1fx)\n", repaint,
                        baseline2, repaint / baseline2);
        }
    }
    return 0;
}
