// Linked into every ONE_THREAD test program: when the tests end, the process
// runs on its one thread, the claim for which the ThreadSanitizer tree leaves
// the program out.
#include <gtest/gtest.h>

#include <filesystem>

namespace {

class OneThread : public ::testing::Environment {
public:
    void TearDown() override {
        std::size_t threads = 0;
        for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
            (void)task;
            ++threads;
        }
        EXPECT_EQ(threads, 1u) << "a program marked ONE_THREAD runs more than one thread";
    }
};

[[maybe_unused]] ::testing::Environment* const kOneThread = ::testing::AddGlobalTestEnvironment(new OneThread);

}  // namespace
