#include <fcntl.h>
#include <sys/stat.h>

#include <QFileInfo>
#include <functional>

#include "tests/index/IndexFixture.h"

namespace {

class Reconcile : public IndexFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        write(m_a, QStringLiteral("первая форма 1001\n"));
        write(m_b, QStringLiteral("вторая форма 2002\n"));
        write(m_c, QStringLiteral("третья форма 3003\n"));
        ASSERT_TRUE(m_db.open(indexFile()));
        ASSERT_FALSE(m_db.rebuilt());
        const Reconciler::Summary first = reconcile();
        EXPECT_EQ(first.added, 3);
        EXPECT_EQ(first.bytes, 3 * 19);  // "первая форма 1001" and CR LF
    }

    QString full(const QString& relative) const { return QDir(root()).filePath(relative); }

    const QString m_a = QStringLiteral("2026-12/a.txt");
    const QString m_b = QStringLiteral("2026-12/b.txt");
    const QString m_c = QStringLiteral("Объект/2026-12/c.txt");
};

TEST_F(Reconcile, FollowsFilesAddedChangedRemovedAndRenamedByOthers) {
    const QString d = QStringLiteral("2027-01/2027-01-05_10-00-00_COM3_КСМ-Р_01.txt");
    write(d, QStringLiteral("четвёртая форма 4004\n"));
    write(m_a, QStringLiteral("первая форма, исправленная 1111\n"));
    // The same size, another time: the name and size alone would not tell.
    write(m_b, QStringLiteral("вторая форма 2992\n"));
    QFile b(full(m_b));
    ASSERT_TRUE(b.open(QIODevice::ReadWrite));
    const QDateTime bTime = QDateTime::currentDateTime().addSecs(60);
    ASSERT_TRUE(b.setFileTime(bTime, QFileDevice::FileModificationTime));
    b.close();
    ASSERT_TRUE(QFile::rename(full(m_c), full(QStringLiteral("Объект/2026-12/c2.txt"))));

    const Reconciler::Summary s = reconcile();
    EXPECT_FALSE(s.failed);
    EXPECT_EQ(s.added, 2);  // d, and c under its new name
    EXPECT_EQ(s.changed, 2);
    EXPECT_EQ(s.removed, 1);
    EXPECT_EQ(found(QStringLiteral("4004")), std::set<QString>{d});
    EXPECT_EQ(found(QStringLiteral("1001")), std::set<QString>{});
    EXPECT_EQ(found(QStringLiteral("1111")), std::set<QString>{m_a});
    EXPECT_EQ(found(QStringLiteral("2992")), std::set<QString>{m_b});
    EXPECT_EQ(found(QStringLiteral("3003")),
              std::set<QString>{QStringLiteral("Объект/2026-12/c2.txt")});
    EXPECT_EQ(found(QStringLiteral("форма")).size(), 4u);
    // Dated by the name, else by the file; listed with the file's size.
    const struct {
        QString search, path;
        QDateTime received;
    } dated[] = {{QStringLiteral("4004"), d, QDateTime(QDate(2027, 1, 5), QTime(10, 0))},
                 {QStringLiteral("2992"), m_b, bTime}};
    for (const auto& c : dated) {
        const std::vector<FormQuery::Row> rows = FormQuery(m_db, c.search, {}).fetch(1);
        ASSERT_EQ(rows.size(), 1u) << c.search.toStdString();
        EXPECT_EQ(rows[0].form.received.toSecsSinceEpoch(), c.received.toSecsSinceEpoch());
        EXPECT_EQ(rows[0].form.size, QFileInfo(full(c.path)).size()) << c.search.toStdString();
    }
    // Nothing more to do the next time.
    const Reconciler::Summary again = reconcile();
    EXPECT_EQ(again.added + again.changed + again.removed, 0);
    EXPECT_EQ(again.bytes, 0);
}

// A folder that looks as the last look left it (its time and number of forms) is trusted for
// the times of the files it holds, never for their names.
TEST_F(Reconcile, SettledFoldersStillShowNamesAddedRemovedAndRenamed) {
    struct Step {
        const char* what;
        std::function<void()> change;
        int added, removed, changedQuick, changedThorough;
    };
    const auto settle = [&] {
        // An hour ago, so that the look trusts them; the same time after each change, as a
        // folder's coarse clock could leave it.
        const timespec old[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
        for (const char* folder : {"2026-12", "Объект/2026-12", "Объект", ""})
            ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(full(folder)).constData(), old, 0), 0);
    };
    const QString moved = QStringLiteral("2026-12/a2.txt");
    const Step steps[] = {
        {"renamed", [&] { QFile::rename(full(m_a), full(moved)); }, 1, 1, 0, 0},
        {"one gone, one come",
         [&] {
             QFile::remove(full(m_b));
             write(QStringLiteral("2026-12/b2.txt"), QStringLiteral("вторая заново 2112\n"));
         },
         1, 1, 0, 0},
        {"removed", [&] { QFile::remove(full(m_c)); }, 0, 1, 0, 0},
        // Rewritten in place, the folder untouched: only a look at every file's time sees it.
        {"rewritten", [&] { write(moved, QStringLiteral("первая, другая длина 1221\n")); }, 0, 0, 0,
         1},
    };
    settle();
    reconcile();
    for (const Step& step : steps) {
        step.change();
        settle();
        const Reconciler::Summary quick = reconcile();
        EXPECT_EQ(quick.added, step.added) << step.what;
        EXPECT_EQ(quick.removed, step.removed) << step.what;
        EXPECT_EQ(quick.changed, step.changedQuick) << step.what;
        Reconciler thorough(m_db, root());
        thorough.setThorough(true);
        EXPECT_EQ(thorough.run().changed, step.changedThorough) << step.what;
    }
    EXPECT_EQ(found(QStringLiteral("форма")), std::set<QString>{});
    EXPECT_EQ(found(QStringLiteral("1221")), std::set<QString>{moved});
    EXPECT_EQ(found(QStringLiteral("2112")), std::set<QString>{QStringLiteral("2026-12/b2.txt")});
}

TEST_F(Reconcile, ADamagedIndexIsMadeAnew) {
    for (const char* damage : {"garbage", "truncate"}) {
        m_db.close();
        QFile f(indexFile());
        if (QByteArray(damage) == "garbage") {
            ASSERT_TRUE(f.open(QIODevice::ReadWrite));
            f.seek(0);
            f.write(QByteArray(4096, 'x'));
        } else {
            ASSERT_TRUE(f.resize(f.size() / 3));
        }
        f.close();
        ASSERT_TRUE(m_db.open(indexFile())) << damage << m_db.error().toStdString();
        EXPECT_TRUE(m_db.rebuilt()) << damage;
        EXPECT_EQ(reconcile().added, 3) << damage;
        EXPECT_EQ(found(QStringLiteral("2002")), std::set<QString>{m_b}) << damage;
    }
}

TEST_F(Reconcile, AnUnreadableFileIsListedWithItsError) {
    // A pipe under a form's name: reading it would wait for a writer that never comes.
    const QString pipe = QStringLiteral("2026-12/pipe.txt");
    ASSERT_EQ(mkfifo(QFile::encodeName(full(pipe)).constData(), 0600), 0);
    const Reconciler::Summary s = reconcile();
    EXPECT_EQ(s.added, 1);
    EXPECT_EQ(s.unreadable, 1);
    FormQuery all(m_db, {}, {QString(""), QStringLiteral("2026-12")});
    const auto rows = all.fetch(10);
    ASSERT_EQ(rows.size(), 3u);
    const auto listed = std::find_if(rows.begin(), rows.end(),
                                     [&](const FormQuery::Row& r) { return r.form.path == pipe; });
    ASSERT_NE(listed, rows.end());
    EXPECT_FALSE(listed->form.error.isEmpty());
    // Read again each time, so that it shows once it can be read.
    ASSERT_TRUE(QFile::remove(full(pipe)));
    write(pipe, QStringLiteral("теперь читается 5005\n"));
    EXPECT_EQ(reconcile().unreadable, 0);
    EXPECT_EQ(found(QStringLiteral("5005")), std::set<QString>{pipe});
}

TEST_F(Reconcile, AFormTheArchiveWroteIsAddedAtOnce) {
    write(QStringLiteral("2026-12/new.txt"), QStringLiteral("свежая форма 6006\n"));
    Reconciler r(m_db, root());
    EXPECT_TRUE(r.addFile(full(QStringLiteral("2026-12/new.txt"))));
    EXPECT_FALSE(r.addFile(full(QStringLiteral(".exchanges/2026-12/x.txt"))));
    EXPECT_EQ(found(QStringLiteral("6006")), std::set<QString>{QStringLiteral("2026-12/new.txt")});
    EXPECT_EQ(reconcile().added, 0);  // known already
}

}  // namespace
