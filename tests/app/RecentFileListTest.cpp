#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include "app/RecentFileList.h"

namespace {

TEST(RecentFileList, NewestFirstNoDuplicatesAtMostFour) {
    RecentFileList list(4);
    for (const char* p : {"/f/1", "/f/2", "/f/3", "/f/4", "/f/2", "/f/5"}) list.add(p);
    EXPECT_EQ(list.entries(), QStringList({"/f/5", "/f/2", "/f/4", "/f/3"}));
    list.add("");
    EXPECT_EQ(list.entries().size(), 4);
}

TEST(RecentFileList, SurvivesTheProfile) {
    QTemporaryDir dir;
    const QString path = dir.filePath("profile.ini");
    {
        QSettings profile(path, QSettings::IniFormat);
        RecentFileList list(4);
        list.add("/forms/январь.txt");
        list.add("/forms/февраль.txt");
        list.writeList(profile);
    }
    QSettings profile(path, QSettings::IniFormat);
    EXPECT_EQ(profile.value("Recent File List/File1").toString(), "/forms/февраль.txt");
    RecentFileList again(4);
    again.readList(profile);
    EXPECT_EQ(again.entries(), QStringList({"/forms/февраль.txt", "/forms/январь.txt"}));

    // A shorter list written later leaves no stale entries behind.
    RecentFileList shorter(4);
    shorter.add("/forms/март.txt");
    shorter.writeList(profile);
    again.readList(profile);
    EXPECT_EQ(again.entries(), QStringList({"/forms/март.txt"}));
}

}  // namespace
