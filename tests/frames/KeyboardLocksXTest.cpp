#include <gtest/gtest.h>

#include <QTest>
#include <array>

#include "frames/KeyboardLockPane.h"
#include "tests/xvfb/XKeys.h"

namespace {

struct LockCase {
    const char* key;  // the X key name xdotool presses
    LockKey lock;
    const char* text;
};

void PrintTo(const LockCase& c, std::ostream* os) {
    *os << c.key;
}

class KeyboardLocksOnX : public testing::TestWithParam<LockCase> {};

// No window of ours is shown, so no key event reaches the program: the panes learn of the keys
// from the server's keyboard notifications alone, as they do for keys pressed in another
// program.
TEST_P(KeyboardLocksOnX, PaneFollowsTheKeyPressedElsewhere) {
    const LockCase c = GetParam();
    std::array panes{KeyboardLockPane(LockKey::Caps), KeyboardLockPane(LockKey::Num),
                     KeyboardLockPane(LockKey::Scroll)};
    for (const auto& pane : panes) ASSERT_EQ(pane.text(), "");
    ASSERT_EQ(queryLockState(c.lock), LockState::Off) << "the server tells the state";
    const auto& pane = panes[static_cast<int>(c.lock)];

    ASSERT_TRUE(sendKeys(c.key));
    EXPECT_TRUE(QTest::qWaitFor([&] { return pane.text() == c.text; }, 5000)) << c.key;
    for (const auto& other : panes) {
        if (&other == &pane) continue;
        EXPECT_EQ(other.text(), "") << c.key;
    }

    ASSERT_TRUE(sendKeys(c.key));
    EXPECT_TRUE(QTest::qWaitFor([&] { return pane.text().isEmpty(); }, 5000)) << c.key;
}

// Xvfb's keyboard map, as most, gives Scroll_Lock no lock action: its indicator never lights.
INSTANTIATE_TEST_SUITE_P(Keys, KeyboardLocksOnX,
                         testing::Values(LockCase{"Caps_Lock", LockKey::Caps, "CAP"},
                                         LockCase{"Num_Lock", LockKey::Num, "NUM"}),
                         [](const auto& info) { return std::string(info.param.key); });

}  // namespace
