#pragma once

#include <QString>

#include "index/IndexDatabase.h"

// Tells an archive's index of each form this program writes as soon as it is written, so that
// the archive window finds it without looking for it. Used from one thread at a time (the
// archive's); a form it could not add is found by the window's next look at the files.
class IndexFeed {
public:
    explicit IndexFeed(QString root) : m_root(std::move(root)) {}
    void add(const QString& path);

private:
    QString m_root;
    IndexDatabase m_db;
    bool m_opened = false;
};
