#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "app/RecentFileList.h"

namespace {

TEST(RecentFileList, NewestFirstNoDuplicatesAtMostFour) {
    RecentFileList list(4);
    for (const char* p : {"/f/1", "/f/2", "/f/3", "/f/4", "/f/2", "/f/5"}) list.Add(p);
    EXPECT_EQ(list.Entries(), QStringList({"/f/5", "/f/2", "/f/4", "/f/3"}));
    list.Add("");
    EXPECT_EQ(list.Entries().size(), 4);
}

TEST(RecentFileList, SurvivesTheProfile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("profile.ini");
    {
        QSettings profile(path, QSettings::IniFormat);
        RecentFileList list(4);
        list.Add("/forms/январь.txt");
        list.Add("/forms/февраль.txt");
        list.WriteList(profile);
    }
    QSettings profile(path, QSettings::IniFormat);
    EXPECT_EQ(profile.value("Recent File List/File1").toString(), "/forms/февраль.txt");
    RecentFileList again(4);
    again.ReadList(profile);
    EXPECT_EQ(again.Entries(), QStringList({"/forms/февраль.txt", "/forms/январь.txt"}));

    // A shorter list written later leaves no stale entries behind.
    RecentFileList shorter(4);
    shorter.Add("/forms/март.txt");
    shorter.WriteList(profile);
    again.ReadList(profile);
    EXPECT_EQ(again.Entries(), QStringList({"/forms/март.txt"}));
}

}  // namespace
