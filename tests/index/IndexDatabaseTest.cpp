#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>
#include <atomic>
#include <thread>

#include "index/IndexDatabase.h"
#include "tests/index/IndexFixture.h"

namespace {

// Two programs opening the index of one archive for the first time at the same moment (two
// windows, a window and the archive's feed): both get the whole index, and neither takes the
// other's half-made one for damage.
TEST(IndexDatabaseOpen, TwoMakersAtOnceBothGetTheWholeIndex) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    int failed = 0;
    QString firstError;
    for (int round = 0; round < 100; ++round) {
        const QString file = dir.filePath(QStringLiteral("%1/index.sqlite").arg(round));
        std::atomic<int> ready{0};
        QString errors[2];
        bool rebuilt[2] = {false, false};
        const auto make = [&](int i) {
            IndexDatabase db;
            ++ready;
            while (ready.load() < 2) {
            }
            if (!db.open(file)) errors[i] = db.error();
            rebuilt[i] = db.rebuilt();
            FormRecord r;
            r.path = QStringLiteral("2026-12/%1.txt").arg(i);
            if (errors[i].isEmpty() && !(db.begin() && db.put(r, "форма") && db.commit()))
                errors[i] = db.error();
        };
        std::thread a(make, 0), b(make, 1);
        a.join();
        b.join();
        for (int i = 0; i < 2; ++i) {
            if (errors[i].isEmpty() && !rebuilt[i]) continue;
            ++failed;
            if (firstError.isEmpty())
                firstError = errors[i].isEmpty() ? QStringLiteral("rebuilt") : errors[i];
        }
        IndexDatabase after;
        ASSERT_TRUE(after.open(file)) << after.error().toStdString();
        EXPECT_EQ(after.formCount(), 2) << round;
    }
    EXPECT_EQ(failed, 0) << firstError.toStdString();
}

}  // namespace
