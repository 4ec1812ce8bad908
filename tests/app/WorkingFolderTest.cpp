#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "app/WorkingFolder.h"

namespace {

// Only an installed program started in its own folder moves, to the documents (made if need be).
TEST(WorkingFolder, AnInstalledProgramLeavesItsOwnFolderForTheDocuments) {
    QTemporaryDir dir;
    const QString program = dir.filePath("Program Files/Tabulon");
    const QString elsewhere = dir.filePath("forms");
    const QString documents = dir.filePath("home/Documents");
    ASSERT_TRUE(QDir().mkpath(program) && QDir().mkpath(elsewhere));
    const QString before = QDir::currentPath();
    struct {
        const QString& startedIn;
        bool installed;
        const QString& endsIn;
    } const cases[] = {
        {program, true, documents},
        {program, false, program},  // a build folder: its Tabulon.ini and files stay beside it
        {elsewhere, true, elsewhere},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(QDir::setCurrent(c.startedIn));
        EXPECT_TRUE(leaveProgramFolder(program, c.installed, documents));
        EXPECT_EQ(QDir(QDir::currentPath()), QDir(c.endsIn)) << c.startedIn.toStdString();
    }
    // No documents folder to go to: it stays, and says so.
    ASSERT_TRUE(QDir::setCurrent(program));
    EXPECT_FALSE(leaveProgramFolder(program, true, {}));
    EXPECT_EQ(QDir(QDir::currentPath()), QDir(program));
    QDir::setCurrent(before);
}

}  // namespace
