#pragma once

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <set>

#include "index/FormQuery.h"
#include "index/IndexDatabase.h"
#include "index/Reconciler.h"
#include "tests/fakes/TestFiles.h"

// A small archive in a temporary folder with its index beside it.
class IndexFixture : public testing::Test {
protected:
    QString root() const { return m_dir.filePath(QStringLiteral("archive")); }
    QString indexFile() const { return m_dir.filePath(QStringLiteral("cache/index.sqlite")); }

    // Writes `text` in cp1251 with CR LF, as the archive does, at `relative` below the root.
    void write(const QString& relative, const QString& text) {
        const QString path = QDir(root()).filePath(relative);
        QDir().mkpath(QFileInfo(path).absolutePath());
        ASSERT_TRUE(writeAll(path, archivedForm(text)));
    }

    Reconciler::Summary reconcile() {
        Reconciler r(m_db, root());
        return r.run();
    }

    std::set<QString> found(const QString& search, FormQuery::Scope scope = {}) {
        FormQuery q(m_db, search, scope);
        std::set<QString> paths;
        for (const FormQuery::Row& row : q.fetch(1000)) paths.insert(row.form.path);
        EXPECT_FALSE(q.failed());
        return paths;
    }

    QTemporaryDir m_dir;
    IndexDatabase m_db;
};

inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
