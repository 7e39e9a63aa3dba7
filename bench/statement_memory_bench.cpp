// What a large account statement leaves resident once a small one replaced
// it: the statement window offscreen on its details page, a 16 MiB answer
// (open and settled positions) shown and fitted, then a small answer. Prints
// the resident size and the heap in use after the window opened, with the
// large statement, and after the small one (before and after malloc_trim).
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QTableView>
#include <cstdio>
#include <string>

#include "statement_bench_data.h"
#include "statement_window_host.h"

namespace {

constexpr std::size_t kLargeBytes = 16u * 1024u * 1024u - 4096u;
constexpr int kInstruments = 50;

// `tree`: with a comment, which only the element tree reads.
std::string statementOf(std::size_t bytes, bool tree = false) {
    std::string xml = tree ? "<!-- read as a tree --><NewDataSet>" : "<NewDataSet>";
    for (int i = 1; i <= kInstruments; ++i) xml += bench::statementInstrument(i);
    for (int i = 0; xml.size() + 1024 < bytes; ++i)
        xml += bench::statementOpenPosition(i, 1 + i % kInstruments) + bench::statementSettledPosition(i, 1 + i % kInstruments);
    return xml + "</NewDataSet>";
}

struct Memory {
    double resident;  // MB
    double heap;      // MB in use by malloc
};

Memory memory() {
    long pages = 0, resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(statm);
    }
    const struct mallinfo2 info = mallinfo2();
    return {double(resident) * double(sysconf(_SC_PAGESIZE)) / 1048576.0,
            double(info.uordblks + info.hblkhd) / 1048576.0};
}

void print(const char* what, const Memory& m, const Memory& base) {
    std::printf("  %-40s resident %6.0f MB (%+5.0f)   heap in use %6.0f MB (%+5.0f)\n", what, m.resident,
                m.resident - base.resident, m.heap, m.heap - base.heap);
}

}  // namespace

int main(int argc, char** argv) {
    bench::OffscreenApp app(argc, argv);
    bench::StatementWindowHost host("statement_memory_bench");
    const auto opened = host.openWindow();
    reports::AccountStatementWindowController& window = *opened;
    const auto answer = [&](std::string xml) {
        std::optional<std::string> text(std::move(xml));
        host.answer(text);
        window.flushPendingFit();
        for (QTableView* view : window.tableViews) {
            view->scrollToBottom();
            view->viewport()->repaint();
        }
        text.reset();  // the answer's bytes go as the message that carried them goes
        QApplication::processEvents();
    };
    answer(statementOf(64 * 1024));
    malloc_trim(0);
    const Memory base = memory();
    std::printf("statement window at 1600x900 on its details page\n");
    print("window open, a small statement shown", base, base);
    for (const bool tree : {false, true}) {
        std::string large = statementOf(kLargeBytes, tree);
        std::printf("a %.1f MiB statement %s, then a small one\n", double(large.size()) / 1048576.0,
                    tree ? "read as an element tree (a comment in it)" : "of the usual shape");
        answer(std::move(large));
        std::printf("  (%d open and %d settled rows shown)\n", window.tableViews[0]->model()->rowCount(),
                    window.tableViews[2]->model()->rowCount());
        print("the large statement shown", memory(), base);
        answer(statementOf(64 * 1024));
        print("a small statement after it", memory(), base);
        malloc_trim(0);
        print("the same after malloc_trim", memory(), base);
    }
    return 0;
}
