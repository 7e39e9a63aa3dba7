#pragma once
// With MEMORY_TRACE set, a thread samples the resident size every
// millisecond and, at each new high, the allocator's figures (glibc's
// mallinfo2); the main thread names the slice it runs. At the end it prints
// the high with the slice that ran then, so a bench's peak can be placed.
#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

namespace bench {

class MemoryTrace {
public:
    MemoryTrace() {
        if (!std::getenv("MEMORY_TRACE")) return;
        thread_ = std::thread([this] { run(); });
    }
    ~MemoryTrace() {
        if (!thread_.joinable()) return;
        stop_ = true;
        thread_.join();
    }
    MemoryTrace(const MemoryTrace&) = delete;
    MemoryTrace& operator=(const MemoryTrace&) = delete;

    bool on() const { return thread_.joinable(); }
    // The slice now running (a static text: it is read on the sampling thread).
    void slice(const char* what) {
        slice_.store(what, std::memory_order_relaxed);
        if (on() && std::getenv("MEMORY_TRACE_SLICES")) sliceResident_ = resident();
    }
    // A slice ended: with MEMORY_TRACE_SLICES, one that moved the resident size by 1 MB or more is printed.
    void sliceEnded(const char* what, int eventType, double ms) {
        slice_.store("between slices", std::memory_order_relaxed);
        if (!on() || !std::getenv("MEMORY_TRACE_SLICES")) return;
        const double moved = (static_cast<double>(resident()) - static_cast<double>(sliceResident_)) / (1024.0 * 1024.0);
        if (moved >= 1 || moved <= -1)
            std::fprintf(stderr, "slice %.1f ms, event %d to %s: resident %+.1f MB to %.1f MB\n", ms, eventType, what,
                         moved, static_cast<double>(resident()) / (1024.0 * 1024.0));
    }

    void print() {
        if (!on()) return;
        stop_ = true;
        thread_.join();
        const auto mb = [](std::size_t b) { return static_cast<double>(b) / (1024.0 * 1024.0); };
        std::printf("  memory high %.1f MB resident at %.3f s, in \"%s\": heap in use %.1f MB (%.1f MB mapped apart), "
                    "free in the heap %.1f MB, trimmable at the top %.1f MB\n",
                    mb(high_), highSeconds_, highSlice_ ? highSlice_ : "-", mb(info_.uordblks + info_.hblkhd),
                    mb(info_.hblkhd), mb(info_.fordblks), mb(info_.keepcost));
    }

private:
    static std::size_t resident() {
        long pages = 0, resident = 0;
        if (FILE* f = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
            std::fclose(f);
        }
        return static_cast<std::size_t>(resident * sysconf(_SC_PAGESIZE));
    }
    void run() {
        const auto start = std::chrono::steady_clock::now();
        while (!stop_) {
            const std::size_t bytes = resident();
            if (bytes > high_) {
                // MEMORY_TRACE_SMAPS names a file that gets the memory map near the high.
                if (const char* path = std::getenv("MEMORY_TRACE_SMAPS"); path && bytes > savedMap_ + kMapStep) {
                    savedMap_ = bytes;
                    copyFile("/proc/self/smaps", path);
                }
                high_ = bytes;
                highSlice_ = slice_.load(std::memory_order_relaxed);
                highSeconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                info_ = mallinfo2();
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    static void copyFile(const char* from, const char* to) {
        FILE* in = std::fopen(from, "r");
        FILE* out = in ? std::fopen(to, "w") : nullptr;
        char buffer[1 << 16];
        for (std::size_t n; out && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) std::fwrite(buffer, 1, n, out);
        if (out) std::fclose(out);
        if (in) std::fclose(in);
    }
    static constexpr std::size_t kMapStep = 512 * 1024;

    std::thread thread_;
    std::size_t savedMap_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<const char*> slice_{nullptr};
    std::size_t sliceResident_ = 0;
    std::size_t high_ = 0;
    const char* highSlice_ = nullptr;
    double highSeconds_ = 0;
    struct mallinfo2 info_ {};
};

}  // namespace bench
