#include "index/IndexFeed.h"

#include "index/IndexLocation.h"
#include "index/IndexWriter.h"
#include "index/Reconciler.h"

IndexFeed::IndexFeed(QString root)
    : m_root(std::move(root)), m_writer(IndexWriter::of(IndexLocation::fileFor(m_root))) {}

IndexFeed::~IndexFeed() = default;

void IndexFeed::add(const QString& path) {
    m_writer->post([root = m_root, path](IndexDatabase& db) {
        if (!db.isOpen() && !db.open(IndexLocation::fileFor(root))) return;
        Reconciler(db, root).addFile(path);
    });
}
