#include <gtest/gtest.h>

#include <QApplication>
#include <cstdio>
#include <cstring>
#include <memory>

#include "tests/xvfb/XvfbServer.h"

// Widget tests that need real input events: a private Xvfb for the whole run and the xcb
// platform on it. Listing the tests needs neither.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    XvfbServer server;
    if (!server.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.error()));
        return 1;
    }
    qputenv("DISPLAY", server.display());
    qputenv("QT_QPA_PLATFORM", "xcb");
    int result = 0;
    {
        QApplication app(argc, argv);
        result = RUN_ALL_TESTS();
    }
    server.stop();
    return result;
}
