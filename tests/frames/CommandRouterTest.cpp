#include <gtest/gtest.h>

#include <string>

#include "frames/CommandRouter.h"

namespace {

// Three links as view, document and frame: the first that knows a command takes it.
struct Chain {
    std::string log;
    bool viewCopyEnabled = false;
    CommandRouter router;

    Chain() {
        router.Append({[](unsigned id) { return id == 1 || id == 2; },
                       [this](unsigned id) { return id != 2 || viewCopyEnabled; },
                       [this](unsigned id) { log += "view" + std::to_string(id) + ";"; }});
        router.Append({[](unsigned id) { return id == 2 || id == 3; },
                       {},
                       [this](unsigned id) { log += "doc" + std::to_string(id) + ";"; }});
        router.Append({[](unsigned id) { return id == 4; }, [](unsigned) { return false; },
                       [this](unsigned id) { log += "frame" + std::to_string(id) + ";"; }});
    }
};

TEST(CommandRouter, FirstLinkThatKnowsTheCommandDecides) {
    Chain c;
    EXPECT_TRUE(c.router.Route(1));
    EXPECT_TRUE(c.router.Route(3));
    // The view knows 2 but has it disabled: the document behind it does not get it either.
    EXPECT_FALSE(c.router.IsEnabled(2));
    EXPECT_FALSE(c.router.Route(2));
    c.viewCopyEnabled = true;
    EXPECT_TRUE(c.router.Route(2));
    EXPECT_EQ(c.log, "view1;doc3;view2;");
}

TEST(CommandRouter, UnknownAndDisabledCommandsDoNothing) {
    Chain c;
    EXPECT_FALSE(c.router.IsEnabled(99));
    EXPECT_FALSE(c.router.Route(99));
    EXPECT_FALSE(c.router.IsEnabled(4));
    EXPECT_FALSE(c.router.Route(4));
    EXPECT_TRUE(c.router.IsEnabled(3)) << "a link without an enabling rule is always enabled";
    EXPECT_EQ(c.log, "");
}

}  // namespace
