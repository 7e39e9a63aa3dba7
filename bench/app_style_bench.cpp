// The application's style against plain Fusion on the platform it is started
// on: the same window twice side by side, a toolbar over a tab widget holding
// a 500-row table at 1600x900 (names in several scripts), one in each style.
// Timed in turn, round by round: a tick (every cell changed, the table's
// repaint), a scroll by three rows (Qt moves the table and paints the new rows
// and the bar), and the whole window's repaint. Beside each time, the wake-ups a step costs: Qt's
// raster engine hands tall blended fills to its thread pool, whose threads
// wake for them and keep an idle client from sleeping, which the time alone
// does not show (a drawing change is judged by both). On xcb at scale 1 and 2:
//   QT_SCALE_FACTOR=2 xvfb-run -a -s "-screen 0 6700x1900x24" app_style_bench
#include <QAbstractTableModel>
#include <QApplication>
#include <QHeaderView>
#include <QMainWindow>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <memory>
#include <utility>
#include <vector>

#include "kit/app_style.h"
#include "kit/text_cell_delegate.h"
#include "kit/theme_manager.h"

namespace {

constexpr int kRows = 500;
constexpr int kColumns = 10;
constexpr int kRounds = 200;

const std::vector<QString>& names() {
    static const std::vector<QString> all = {
        QStringLiteral("Instrument %1"), QString::fromUtf16(u"\u9EC4\u91D1 %1"), QString::fromUtf16(u"\u0630\u0647\u0628 %1"),
        QString::fromUtf16(u"\u0417\u043E\u043B\u043E\u0442\u043E %1"), QString::fromUtf16(u"\u00CDndice %1"),
        QString::fromUtf16(u"\u09B8\u09CB\u09A8\u09BE %1")};
    return all;
}

class TickingModel : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : kRows; }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : kColumns; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == Qt::TextAlignmentRole && index.column() > 0)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        if (role != Qt::DisplayRole) return {};
        // Names in the scripts of the string tables: most are not Latin-1.
        if (index.column() == 0) return names()[std::size_t(index.row()) % names().size()].arg(index.row());
        return QString::number(1000 + index.row() * 0.25 + index.column() + tick_ * 0.01, 'f', 2);
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
        return section == 0 ? QStringLiteral("Instrument") : QStringLiteral("Figure %1").arg(section);
    }
    void tick() {
        ++tick_;
        emit dataChanged(index(0, 1), index(kRows - 1, kColumns - 1));
    }

private:
    int tick_ = 0;
};

struct Window {
    Window(QStyle* style, int left) {
        auto* bar = window.addToolBar(QStringLiteral("Main"));
        bar->setMovable(false);
        for (const char* name : {"Watchlist", "Positions", "Orders", "History"}) bar->addAction(name);
        auto* tabs = new QTabWidget;
        view = new QTableView;
        view->setModel(&model);
        view->setItemDelegate(new kit::TextCellDelegate(view));
        view->setAlternatingRowColors(true);
        view->setSelectionBehavior(QAbstractItemView::SelectRows);
        view->setWordWrap(false);
        view->horizontalHeader()->setStretchLastSection(true);
        for (int c = 0; c < kColumns; ++c) view->setColumnWidth(c, c == 0 ? 220 : 130);
        tabs->addTab(view, QStringLiteral("Watchlist"));
        tabs->addTab(new QWidget, QStringLiteral("Positions"));
        window.setCentralWidget(tabs);
        window.setPalette(kit::ThemeManager::palette(1));
        window.setStyle(style);
        for (QWidget* child : window.findChildren<QWidget*>()) child->setStyle(style);
        window.setGeometry(left, 0, 1600, 900);  // side by side: neither covers the other on the screen
        window.show();
        while (!window.windowHandle()->isExposed())
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QApplication::processEvents();
    }
    TickingModel model;
    QMainWindow window;
    QTableView* view = nullptr;
};

// Wake-ups (voluntary context switches) of this process's threads so far.
long wakeUps() {
    long total = 0;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream status(task.path() / "status");
        std::string line;
        while (std::getline(status, line))
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0) total += std::atol(line.c_str() + 24);
    }
    return total;
}

struct Step {
    double ms = 0, wakes = 0;  // median time, mean wake-ups
};

// Each step in each style, timed round by round, each first in every other
// round (the first pays for what the second then finds warm).
template <class A, class F>
std::pair<Step, Step> inTurn(A&& app, F&& fusion) {
    std::vector<double> appTimes, fusionTimes;
    long appWakes = 0, fusionWakes = 0;
    const auto time = [](auto&& step, int r, std::vector<double>& times, long& wakes) {
        const long w0 = wakeUps();
        const auto t0 = std::chrono::steady_clock::now();
        step(r);
        times.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
        wakes += wakeUps() - w0;
    };
    for (int r = 0; r < kRounds; ++r) {
        if (r % 2) time(fusion, r, fusionTimes, fusionWakes);
        time(app, r, appTimes, appWakes);
        if (r % 2 == 0) time(fusion, r, fusionTimes, fusionWakes);
    }
    const auto median = [](std::vector<double>& v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    return {{median(appTimes), double(appWakes) / kRounds}, {median(fusionTimes), double(fusionWakes) / kRounds}};
}

void print(const char* what, std::pair<Step, Step> appAndFusion) {
    const auto [app, fusion] = appAndFusion;
    std::printf("  %-26s Fusion %8.1f /s %5.1f wake-ups   app style %8.1f /s %5.1f wake-ups   app/Fusion time %.2f\n",
                what, 1000 / fusion.ms, fusion.wakes, 1000 / app.ms, app.wakes, app.ms / fusion.ms);
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const std::unique_ptr<QStyle> fusion{QStyleFactory::create(QStringLiteral("Fusion"))};
    kit::AppStyle app;
    Window fusionWindow(fusion.get(), 0), appWindow(&app, 1650);
    std::printf(
        "app style vs Fusion on %s, device pixel ratio %.2f, 1600x900, medians of %d rounds in turn; wake-ups "
        "of the process's threads (Qt's raster pool's and the main thread's) a step\n",
        qPrintable(QGuiApplication::platformName()), appWindow.window.devicePixelRatioF(), kRounds);
    const auto tick = [](Window& w) {
        return [&w](int) {
            w.model.tick();
            w.view->viewport()->repaint();
        };
    };
    print("tick (table repaint)", inTurn(tick(appWindow), tick(fusionWindow)));
    const auto scroll = [](Window& w) {
        return [&w](int r) {
            QScrollBar* bar = w.view->verticalScrollBar();
            bar->setValue((r * 3) % bar->maximum());
            QApplication::processEvents();  // Qt's scroll: the viewport moved, new rows and the bar painted
        };
    };
    print("scroll 3 rows", inTurn(scroll(appWindow), scroll(fusionWindow)));
    const auto whole = [](Window& w) { return [&w](int) { w.window.repaint(); }; };
    print("whole window repaint", inTurn(whole(appWindow), whole(fusionWindow)));
    return 0;
}
