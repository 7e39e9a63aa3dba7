// One long server text in each place that shows one: a label (made with it,
// or given it later), a message box, an alert's informative text, a tooltip,
// and the cells of the watchlist, the news table and a kit table view, each
// offscreen with its paint. Prints the longest main-thread slice per place for
// texts of 1, 4 and 32 MB (goal: 100 ms). The baseline hands the same 1 MB
// text to Qt whole (a plain label, message box, tooltip and table cell), as
// the places did before they cut it. Then what a news body at the cap leaves
// resident once dropped, before and after its memory is given back. Then the
// hostile shapes: a 30 MB banner message, a 4 MB name in the printed
// statement's header and in a chat window's title, 4 MB dates in the
// statement's date-time column fit, and a text of "e" and 3,999 combining
// marks in a label and a table cell; beside each, Qt given the whole text as
// those places did before (the banner and fit at 4 MB). Last, a large
// watchlist's short codes made Qt texts through the rule, through its walk
// alone, and by plain QString::fromUtf8.
#include <QApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QHeaderView>
#include <QStandardItemModel>
#include <QTextCursor>
#include <QTextDocument>
#include <QTableView>
#include <QToolTip>
#include <algorithm>
#include <ctime>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>

#include "chat/chat_window_controller.h"
#include "kit/banner/app_user_notification_banner_controller.h"
#include "kit/common_alert.h"
#include "kit/plain_text.h"
#include "kit/qt_ui_services.h"
#include "kit/shown_text.h"
#include "kit/text_cell_delegate.h"
#include "model/item_details.h"
#include "model/item_type.h"
#include "news/news_table_controller.h"
#include "offscreen_bench.h"
#include "platform/free_memory.h"
#include "reports/account_statement_window_controller.h"
#include "reports/core/account_detail_text.h"
#include "reports/statement_table_controllers.h"
#include "state/data_service_answers.h"
#include "statement_bench_data.h"
#include "silent_ui.h"
#include "support/reference_data_test_access.h"
#include "support/session_test_access.h"
#include "table_bench.h"
#include "views/watchlist_table_controller.h"
#include "window_roads_bench.h"

namespace {

using Step = std::function<void()>;

// Milliseconds of the longest of `steps`, each followed by the events it posted (layout, paint).
double longestSlice(const std::vector<Step>& steps) {
    double longest = 0;
    for (const Step& step : steps) {
        QElapsedTimer timer;
        timer.start();
        step();
        QApplication::processEvents();
        longest = std::max(longest, double(timer.nsecsElapsed()) / 1e6);
    }
    return longest;
}

// One word of `bytes` letters: no blank to wrap at, the worst shape for a layout.
std::string serverText(std::size_t bytes) {
    std::string text(bytes, 'x');
    for (std::size_t i = 0; i < bytes; i += 64) text[i] = 'A' + char(i / 64 % 26);
    return text;
}

struct Places {
    Places(bench::TableContext& context, state::ReferenceData& data) : context_(context), data_(data) {}

    double label(const QString& text, bool later) {
        std::unique_ptr<QLabel> label;
        return longestSlice({[&] {
                                 label.reset(later ? kit::plainLabel() : kit::plainLabel(text));
                                 if (later) kit::setShownText(*label, text);
                                 label->show();
                             },
                             [&] { label->repaint(); }});
    }
    double messageBox(const QString& text) {
        std::unique_ptr<QMessageBox> box;
        return longestSlice({[&] {
            box.reset(kit::plainMessageBox(QMessageBox::Information, "Bench", text));
            box->show();
        }});
    }
    double informative(const std::string& text) {
        std::unique_ptr<QMessageBox> alert;
        return longestSlice({[&] {
            alert = kit::CommonAlert::makeAlert(text, "You have been logged out", "OK");
            alert->show();
        }});
    }
    double toolTip(const QString& text) {
        QWidget anchor;
        anchor.show();
        const double slice = longestSlice({[&] { QToolTip::showText(QPoint(10, 10), kit::plainToolTip(text), &anchor); }});
        QToolTip::hideText();
        return slice;
    }
    double watchlist(const std::string& text) {
        auto& data = data_;
        auto type = std::make_shared<model::ItemType>();
        type->InstrumentTypeId = 1;
        type->InstrumentTypeName = "Shares";
        state::ReferenceDataTestAccess::ItemTypeCollection(data).set("1", type);
        auto item = std::make_shared<model::ItemDetails>();
        item->Code = "LONG";
        item->Name = text;
        item->InstrumentId = 1;
        item->InstrumentTypeId = 1;
        item->InstrumentTypeName = "Shares";
        item->DecimalPlaces = 2;
        item->Bid = item->Ask = 100;
        state::ReferenceDataTestAccess::ItemCollection(data).set(item->Code, item);
        state::ReferenceDataTestAccess::selectedSymbols(data) = {item->Code};
        std::unique_ptr<views::WatchlistTableController> table;
        return longestSlice({[&] {
                                 table = std::make_unique<views::WatchlistTableController>(context_.context);
                                 table->resize(1200, 400);
                                 table->show();
                             },
                             [&] { table->RefreshWatchlist(); },
                             [&] { table->repaint(); }});
    }
    double news(const std::string& text) {
        news::NewsTableController::Settings settings;
        settings.host.clear();  // nothing fetched: the answer is handed over below
        std::unique_ptr<news::NewsTableController> panel;
        // As the reader hands it over: built before the slice.
        std::string body = "<rss><channel><item><title>" + text +
                           "</title><pubDate>Mon, 07 Dec 2026</pubDate></item></channel></rss>";
        return longestSlice({[&] {
                                 panel = std::make_unique<news::NewsTableController>(context_.context, settings);
                                 panel->resize(1200, 400);
                                 panel->show();
                             },
                             [&] { panel->parseXml(std::move(body)); },
                             [&] { panel->newsTableView()->viewport()->repaint(); }});
    }
    // A kit table's cells (its delegate), or a plain view's (the style's) as the baseline.
    static double table(const QString& text, bool kit) {
        QStandardItemModel model(3, 2);
        for (int r = 0; r < 3; ++r) {
            model.setItem(r, 0, new QStandardItem(text));
            model.setItem(r, 1, new QStandardItem("1.2345"));
        }
        QTableView view;
        if (kit) view.setItemDelegate(new kit::TextCellDelegate(&view));
        view.setWordWrap(false);
        view.setModel(&model);
        view.resize(1200, 400);
        return longestSlice({[&] { view.show(); }, [&] { view.viewport()->repaint(); }});
    }

private:
    bench::TableContext& context_;
    state::ReferenceData& data_;
};

// Milliseconds of CPU this thread has used: what a busy machine does not stretch.
double threadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Resident megabytes of this process.
double residentMegabytes() {
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    long pages = 0, resident = 0;
    if (statm) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// A news body at the 32 MiB cap of short items, read and dropped: what stays
// resident, kept by the allocator and the XML reader's spares, then given back.
void newsMemory() {
    news::releaseReadingMemory();
    const double before = residentMegabytes();
    std::string body = "<rss><channel>";
    while (body.size() < 32 * 1024 * 1024 - 200)
        body += "<item><title>Gold climbs as the dollar eases</title><pubDate>Mon, 07 Dec 2026</pubDate></item>";
    body += "</channel></rss>";
    const double built = residentMegabytes();
    std::size_t items = news::readNews(std::move(body)).size();
    const double kept = residentMegabytes();
    std::printf("(resident: %.0f MB before, %.0f with the body, %.0f read and dropped)\n", before, built, kept);
    news::releaseReadingMemory();
    std::printf("news body at the cap (%zu items) read and dropped: +%.0f MB resident, +%.0f MB after giving it back\n",
                items, kept - before, residentMegabytes() - before);
}

struct Quiet : kit::SoundOutput, kit::SystemNotifier {
    void play(const std::string&) override {}
    void show(const QString&, const QString&) override {}
};

// The update banner of a 30 MB login message on its road (the session's
// banner, with the message and its address, to the banner centre), shown, then
// closed: resident beside the text's size. Goal: two texts more than before
// while it shows, one after Close (the session's record keeps the message).
void bannerMemory(platform::Preferences& store) {
    const auto quiet = std::make_shared<Quiet>();
    kit::QtUiServices::Parts parts;
    parts.sound = quiet;
    parts.notifier = quiet;
    parts.bannerTiming = {1, 1};
    kit::QtUiServices ui(store, "bench", parts);
    const auto runUntil = [](const std::function<bool()>& done) {
        QElapsedTimer timer;
        timer.start();
        while (!done() && timer.elapsed() < 5000) {
            QApplication::processEvents(QEventLoop::AllEvents, 20);
            QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    };
    // The update banner as the session delivers it: the message, and the address its action opens.
    const auto deliver = [&](const std::string& text) {
        {
            state::Banner banner;
            banner.title = "App Updates Available";
            banner.informativeText = text;
            banner.hasActionButton = true;
            banner.dismissDelayTime = -1;
            banner.userInfo = {{"AppDownloadURL", text}};
            ui.deliverBanner(banner);
        }
        QPointer<kit::AppUserNotificationBannerController> shown =
            ui.customUserNotificationCenter().notificationBannerController();
        runUntil([&] { return !shown || shown->phase() == kit::BannerLifecycle::Phase::Shown; });
        return shown;
    };
    const auto close = [&](QPointer<kit::AppUserNotificationBannerController> shown) {
        if (shown) shown->otherButtonAction();
        runUntil([&] { return !shown; });
    };
    close(deliver(serverText(1200)));  // a plain login's banner: what a first banner sets up stays
    platform::releaseFreeMemory();
    const double before = residentMegabytes();
    const std::size_t megabytes = 30;
    const std::string record = serverText(megabytes << 20);
    const auto shown = deliver(record);
    const double showing = residentMegabytes();
    close(shown);
    const double closed = residentMegabytes();
    std::printf("banner %zu MB resident: +%.1f MB while shown, +%.1f MB after Close (goal +%zu, +%zu; %.0f MB before)\n",
                megabytes, showing - before, closed - before, 2 * megabytes, megabytes, before);
}

// The hostile shapes, each on its place's own road.
struct Shapes {
    explicit Shapes(kit::WindowContext& context, state::BusinessBase& session) : context_(context), session_(session) {}

    static double banner(std::string text) {
        kit::AppUserNotification note;
        note.title = "App Updates Available";
        note.informativeText = std::move(text);
        note.feature.lineBreakMode = 0;  // wrapped: measured for its height
        std::unique_ptr<kit::AppUserNotificationBannerController> banner;
        return longestSlice({[&] {
            banner = std::make_unique<kit::AppUserNotificationBannerController>(std::move(note), nullptr, nullptr);
            banner->presentBanner();
        }});
    }
    // The header block as both print roads take it: made, inserted, laid out.
    static double printHeader(const std::string& name) {
        const auto key = [](const std::string& k) { return k; };
        QTextDocument document;
        return longestSlice({[&] {
            const std::string block = reports::accountDetailString({1001, {}, {}}, {}, name, key);
            QTextCursor(&document).insertText(QString::fromStdString(block));
            (void)document.size();
        }});
    }
    double windowTitle(const std::string& name) {
        std::unique_ptr<chat::ChatWindowController> window;
        return longestSlice({[&] {
                                 window = std::make_unique<chat::ChatWindowController>(context_);
                                 window->userSelectedAtIndex("bob", name);
                                 window->show();
                             },
                             [&] { window->repaint(); }});
    }
    // A statement of 20 open positions dated with `date`: the first fill and
    // the longest event-loop pass of the column fit after it.
    double dateTimeFit(const std::string& date) {
        std::string xml = "<NewDataSet>" + bench::statementInstrument(1);
        for (int i = 0; i < 20; ++i) {
            std::string row = bench::statementOpenPosition(i, 1);
            const std::string dated = "<PositionDate>2026-11-05T14:07:09.123</PositionDate>";
            row.replace(row.find(dated), dated.size(), "<PositionDate>" + date + "</PositionDate>");
            xml += row;
        }
        xml += "</NewDataSet>";
        reports::AccountStatementWindowController window(context_);
        window.windowDidAppear();
        window.resize(1600, 900);
        window.detailsButtonClicked();
        window.show();
        QApplication::processEvents();
        state::SessionTestAccess::dataServiceAnswers(session_).processDSResponse(
            std::move(xml), std::nullopt, "getdsaccountstatement", protocol::RequestKind{1023, "getdsaccountstatement", 0, 0});
        const double fill = longestSlice({[&] { window.accountStatementUpdate(); }});
        double fit = 0, fitCpu = 0;
        while (window.fitPending()) {
            const double cpu = threadCpuMs();
            fit = std::max(fit, longestSlice({[] { QApplication::sendPostedEvents(); }}));
            fitCpu = std::max(fitCpu, threadCpuMs() - cpu);
        }
        const auto* open = window.openPositionHistoryTableController;
        qsizetype widest = 0;
        for (int c = 0; c < open->columnCount(); ++c) widest = std::max(widest, open->text(0, c).size());
        std::printf("(date fit: %d rows, the longest cell shown %lld units; first fill %.1f ms, longest fit pass %.1f ms,"
                    " %.1f ms of the main thread's CPU)\n",
                    open->rowCount(), (long long)widest, fill, fit, fitCpu);
        return std::max(fill, fit);
    }

private:
    kit::WindowContext& context_;
    state::BusinessBase& session_;
};

// "e" and 3,999 combining acute accents.
QString markPile() { return "e" + QString(3999, QChar(0x0301)); }

void hostileShapes(kit::WindowContext& context, state::BusinessBase& session, Places& places) {
    Shapes shapes(context, session);
    const std::string fourMegabytes = serverText(4 * 1024 * 1024);
    const double figures[] = {Shapes::banner(serverText(30 * 1024 * 1024)), Shapes::printHeader(fourMegabytes),
                              shapes.windowTitle(fourMegabytes), shapes.dateTimeFit(fourMegabytes),
                              places.label(markPile(), true), Places::table(markPile(), true)};
    std::printf("\nhostile shapes, longest main-thread slice, ms (goal 100)\n");
    std::printf("%-12s %-12s %-12s %-14s %-12s %-12s %8s\n", "banner 30MB", "header 4MB", "title 4MB", "date fit 4MB",
                "marks label", "marks cell", "longest");
    std::printf("%-12.1f %-12.1f %-12.1f %-14.1f %-12.1f %-12.1f %8.1f\n", figures[0], figures[1], figures[2], figures[3],
                figures[4], figures[5], *std::max_element(std::begin(figures), std::end(figures)));
}

// The same shapes as the places took them before: Qt given the whole text.
void hostileBaseline() {
    const QString text = QString::fromStdString(serverText(4 * 1024 * 1024));
    QFont font = QApplication::font();
    font.setPointSizeF(11);
    const QFontMetrics metrics(font);
    const double banner = longestSlice({[&] {
        (void)metrics.horizontalAdvance(text);
        (void)metrics.boundingRect(QRect(0, 0, 320, 1 << 24), Qt::TextWordWrap, text);
    }});
    QTextDocument document;
    const double header = longestSlice({[&] {
        QTextCursor(&document).insertText(text);
        (void)document.size();
    }});
    QWidget window;
    const double title = longestSlice({[&] {
        window.setWindowTitle(text);
        window.show();
    }});
    const double fit = longestSlice({[&] { (void)QFontMetrics(QApplication::font()).horizontalAdvance(text); }});
    const double label = longestSlice({[&] {
        QLabel plain;
        plain.setTextFormat(Qt::PlainText);
        plain.setText(markPile());
        plain.show();
        QApplication::processEvents();
    }});
    const double cell = Places::table(markPile(), false);
    std::printf("baseline, whole: banner measure (4 MB) %.0f ms, header %.0f ms, title %.0f ms, one date cell measured "
                "%.0f ms, marks label %.0f ms, marks cell %.0f ms\n",
                banner, header, title, fit, label, cell);
}

// What Qt costs given the whole text.
void baseline(const QString& text) {
    const double label = longestSlice({[&] {
        QLabel plain;
        plain.setTextFormat(Qt::PlainText);
        plain.setText(text);
        plain.show();
        QApplication::processEvents();
    }});
    const double box = longestSlice({[&] {
        QMessageBox alert(QMessageBox::Information, "Bench", "You have been logged out");
        alert.setInformativeText(text);
        alert.show();
        QApplication::processEvents();
    }});
    QWidget anchor;
    anchor.show();
    const double tip = longestSlice({[&] { QToolTip::showText(QPoint(10, 10), text, &anchor); }});
    QToolTip::hideText();
    const double cells = Places::table(text, false);
    std::printf("baseline, 1 MB whole: label %.0f ms, alert %.0f ms, tooltip %.0f ms, table cells %.0f ms\n", label,
                box, tip, cells);
}

}  // namespace

namespace {

// A large watchlist's codes, each made a Qt text as a combo or a cell makes
// it: through the rule (plain ASCII as it is), through the rule's walk alone,
// and the plain baseline, QString::fromUtf8 with no rule.
void shortTexts() {
    std::vector<std::string> codes;
    for (int i = 0; i < 65220; ++i) codes.push_back("SYM" + std::to_string(i) + (i % 3 ? ".FX" : ""));
    const auto rate = [&codes](const std::function<QString(const std::string&)>& make) {
        qsizetype sum = 0;
        QElapsedTimer timer;
        timer.start();
        for (const std::string& code : codes) sum += make(code).size();
        const double ms = static_cast<double>(timer.nsecsElapsed()) / 1e6;
        return sum > 0 ? ms : -1.0;
    };
    for (int round = 0; round < 3; ++round) {
        const double rule = rate([](const std::string& c) { return kit::shownText(c); });
        const double walk = rate([](const std::string& c) {
            const std::u16string shown = model::shownUtf16(c);
            return QString::fromUtf16(shown.data(), qsizetype(shown.size()));
        });
        const double plain = rate([](const std::string& c) { return QString::fromUtf8(c.data(), qsizetype(c.size())); });
        const auto perMs = [&codes](double ms) { return static_cast<double>(codes.size()) / ms; };
        std::printf("%zu codes made Qt texts, codes a ms: the rule %.0f (%.1f ms), its walk alone %.0f (%.1f ms), "
                    "baseline fromUtf8 %.0f (%.1f ms); rule / baseline %.2f\n",
                    codes.size(), perMs(rule), rule, perMs(walk), walk, perMs(plain), plain, perMs(rule) / perMs(plain));
    }
}

}  // namespace

int main(int argc, char** argv) {
    // --no-baseline: without Qt given the whole text; --shapes: the hostile shapes only;
    // --short: a watchlist's codes only.
    const std::string option = argc > 1 ? argv[1] : "";
    const bool withBaseline = option != "--no-baseline", everyPlace = option != "--shapes";
    bench::OffscreenApp app(argc, argv);
    if (option == "--short") {  // the short texts only
        shortTexts();
        return 0;
    }
    {
        bench::BenchPreferences preferences("server_text_bench");
        bench::SilentUi ui;
        auto session = state::BusinessBase::create(ui, ui);
        bench::TableContext context(session, ui, preferences.manager);
        context.context.text = [](const std::string& key) { return key; };
        context.context.theme = [] { return std::int64_t(1); };
        Places places(context, state::SessionTestAccess::referenceData(*session));
        if (!everyPlace) {
            hostileShapes(context.context, *session, places);
            bannerMemory(preferences.store);
            return 0;
        }
        std::printf("longest main-thread slice per place, ms (goal 100)\n");
        std::printf("%-6s %8s %8s %8s %8s %8s %9s %8s %8s %8s\n", "text", "label", "label+", "msgbox", "alert",
                    "tooltip", "watchlist", "news", "table", "longest");
        for (const std::size_t megabytes : {1, 4, 32}) {
            const std::string utf8 = serverText(megabytes * 1024 * 1024);
            const QString text = QString::fromStdString(utf8);
            const double figures[] = {places.label(text, false), places.label(text, true), places.messageBox(text),
                                      places.informative(utf8), places.toolTip(text), places.watchlist(utf8),
                                      places.news(utf8), Places::table(text, true)};
            std::printf("%3zu MB %8.1f %8.1f %8.1f %8.1f %8.1f %9.1f %8.1f %8.1f %8.1f\n", megabytes, figures[0],
                        figures[1], figures[2], figures[3], figures[4], figures[5], figures[6], figures[7],
                        *std::max_element(std::begin(figures), std::end(figures)));
        }
        std::printf("(label+: the text set on a plain label after it was made, with setShownText)\n");
        newsMemory();
        if (withBaseline) baseline(QString::fromStdString(serverText(1024 * 1024)));
        hostileShapes(context.context, *session, places);
        bannerMemory(preferences.store);
        if (withBaseline) hostileBaseline();
        bench::windowRoads(context.context, session, serverText(4 * 1024 * 1024), longestSlice);
        if (withBaseline) bench::wholeComboBaseline(serverText(1024 * 1024), longestSlice);
        shortTexts();
    }
    return 0;
}
