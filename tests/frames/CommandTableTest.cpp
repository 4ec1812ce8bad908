#include <gtest/gtest.h>

#include <string>

#include "frames/CommandTable.h"

// A command runs only when someone registered it and it is enabled now; its state is asked at
// the moment, not remembered.
TEST(CommandTable, RunsOnlyRegisteredEnabledCommands) {
    std::string log;
    bool copyEnabled = false;
    CommandTable table;
    table.add(1, [&] { log += "new;"; });
    table.add(
        2, [&] { log += "copy;"; }, [&] { return copyEnabled; });

    struct Case {
        unsigned id;
        bool enabled;
    };
    for (const Case& c : {Case{1, true}, Case{2, false}, Case{3, false}}) {
        EXPECT_EQ(table.isEnabled(c.id), c.enabled) << c.id;
        EXPECT_EQ(table.run(c.id), c.enabled) << c.id;
    }
    EXPECT_EQ(log, "new;");
    copyEnabled = true;
    EXPECT_TRUE(table.run(2));
    EXPECT_EQ(log, "new;copy;");
    EXPECT_FALSE(table.contains(3));
}
