#include "index/IndexFeed.h"

#include "index/IndexLocation.h"
#include "index/Reconciler.h"

void IndexFeed::add(const QString& path) {
    if (!m_opened) m_opened = m_db.open(IndexLocation::fileFor(m_root));
    if (!m_opened) return;
    Reconciler(m_db, m_root).addFile(path);
}
