#include <gtest/gtest.h>
#include <poll.h>

#include <thread>

#include "platform/WakeSignal.h"

namespace {

bool handleReadable(const WakeSignal& wake) {
    pollfd p{wake.handle(), POLLIN, 0};
    return ::poll(&p, 1, 0) == 1 && (p.revents & POLLIN);
}

TEST(WakeSignal, StaysRaisedUntilClearedHoweverOftenRaised) {
    WakeSignal wake;
    ASSERT_GE(wake.handle(), 0);
    EXPECT_FALSE(wake.isRaised());
    EXPECT_FALSE(handleReadable(wake));

    for (int raises : {1, 3, 1000}) {
        for (int i = 0; i < raises; ++i) wake.raise();
        EXPECT_TRUE(wake.isRaised()) << raises;
        EXPECT_TRUE(handleReadable(wake)) << raises;
        EXPECT_TRUE(wake.isRaised()) << "looking does not clear it";
        wake.clear();
        EXPECT_FALSE(wake.isRaised()) << raises;
        EXPECT_FALSE(handleReadable(wake)) << raises;
    }
    wake.clear();  // clearing a clear signal changes nothing
    EXPECT_FALSE(wake.isRaised());
}

TEST(WakeSignal, ARaiseFromAnotherThreadEndsAPollOnTheHandle) {
    WakeSignal wake;
    std::thread raiser([&] { wake.raise(); });
    pollfd p{wake.handle(), POLLIN, 0};
    EXPECT_EQ(::poll(&p, 1, 60000), 1);
    raiser.join();
    EXPECT_TRUE(wake.isRaised());
}

}  // namespace
