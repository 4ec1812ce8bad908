#include <gtest/gtest.h>

#include "app/CommandLineInfo.h"

namespace {

struct LineCase {
    QStringList args;
    CCommandLineInfo::ShellCommand command;
    const char* file;
    const char* printer;
    const char* driver;
    const char* port;
};

class CommandLine : public testing::TestWithParam<LineCase> {};

TEST_P(CommandLine, TakesItsSwitchesAndFileName) {
    const LineCase& c = GetParam();
    const CCommandLineInfo info = ParseCommandLine(c.args);
    EXPECT_EQ(info.m_shellCommand, c.command);
    EXPECT_EQ(info.m_fileName, QString::fromUtf8(c.file));
    EXPECT_EQ(info.m_printerName, QString::fromUtf8(c.printer));
    EXPECT_EQ(info.m_driverName, QString::fromUtf8(c.driver));
    EXPECT_EQ(info.m_portName, QString::fromUtf8(c.port));
}

using C = CCommandLineInfo;
INSTANTIATE_TEST_SUITE_P(
    Table, CommandLine,
    testing::Values(LineCase{{}, C::FileNew, "", "", "", ""},
                    LineCase{{"форма.txt"}, C::FileOpen, "форма.txt", "", "", ""},
                    // only the first plain word is the file
                    LineCase{{"a.txt", "b.txt"}, C::FileOpen, "a.txt", "", "", ""},
                    LineCase{{"/p", "a.txt"}, C::FilePrint, "a.txt", "", "", ""},
                    LineCase{{"a.txt", "-P"}, C::FilePrint, "a.txt", "", "", ""},
                    LineCase{{"/pt", "a.txt", "Office", "drv", "lp0"},
                             C::FilePrintTo,
                             "a.txt",
                             "Office",
                             "drv",
                             "lp0"},
                    LineCase{{"/PT", "a.txt", "Office"}, C::FilePrintTo, "a.txt", "Office", "", ""},
                    // a switch the program does not know changes nothing
                    LineCase{{"-nologo"}, C::FileNew, "", "", "", ""},
                    LineCase{{"/dde"}, C::FileDDE, "", "", "", ""},
                    LineCase{{"/Embedding"}, C::FileNothing, "", "", "", ""},
                    LineCase{{"/Unregister"}, C::AppUnregister, "", "", "", ""},
                    // a lone slash or dash is a word, as the framework takes it
                    LineCase{{"-"}, C::FileOpen, "-", "", "", ""},
                    // an absolute path is a file, unless it is exactly a switch's name
                    LineCase{{"/tmp/form"}, C::FileOpen, "/tmp/form", "", "", ""},
                    LineCase{{"/p", "/tmp/p"}, C::FilePrint, "/tmp/p", "", "", ""}));

}  // namespace
