// Threads that end under the MinGW runtime after touching thread-locals, Qt's and their own.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <atomic>
#include <thread>

#include "platform/ThreadLocalCleanup.h"

namespace {

// Before any thread-local is touched, as main does.
const bool kOrdered = (orderThreadLocalCleanup(), true);

// What a thread-local still held when it was destroyed.
std::atomic<int> g_lastSeen{0};

struct Witness {
    int value = 0;
    ~Witness() { g_lastSeen = value; }
};

TEST(ThreadEnd, ThreadLocalsAreDestroyedIntact) {
    ASSERT_TRUE(kOrdered);
    for (int i = 1; i <= 20; ++i) {
        bool matched = false;
        std::thread([&matched, i] {
            // Qt keeps a JIT stack per thread that has matched a regular expression.
            static const QRegularExpression pattern(QStringLiteral("^(\\d{1,9})\\s*([smhd]?)$"));
            matched = pattern.match(QStringLiteral("15 m")).hasMatch();
            thread_local Witness witness;
            witness.value = i;
        }).join();
        EXPECT_TRUE(matched);
        EXPECT_EQ(g_lastSeen, i);
    }
}

}  // namespace
