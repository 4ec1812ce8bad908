#pragma once

#include <QString>
#include <functional>
#include <memory>

class IndexDatabase;

// The one connection of this program that writes an archive's index, and the one thread that
// uses it: the window's looks at the files and the forms this program archives (IndexFeed) are
// work posted to it, done in turn, so that neither waits on the other's lock. Whoever holds a
// writer may let go of it at any time, from any thread, without waiting: its thread ends by
// itself once the work posted is done (work that may take long is given a stop of its own).
class IndexWriter {
public:
    // Given the writer's connection, kept from one work to the next: work that finds it closed
    // opens it (IndexDatabase::open) and may close it again when the file has to be replaced.
    using Work = std::function<void(IndexDatabase& db)>;

    // The writer of `indexFile`, shared by everyone in this program who writes that index.
    static std::shared_ptr<IndexWriter> of(const QString& indexFile);
    ~IndexWriter();  // its thread ends after the work posted; not waited for
    IndexWriter(const IndexWriter&) = delete;
    IndexWriter& operator=(const IndexWriter&) = delete;

    // Done on the writer's thread after all work posted before.
    void post(Work work);

    struct Queue;

private:
    explicit IndexWriter(std::shared_ptr<Queue> queue);

    std::shared_ptr<Queue> m_queue;
};
