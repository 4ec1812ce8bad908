#include "index/IndexWriter.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "index/IndexDatabase.h"

// What the writer's thread shares with the writer: it outlives the writer until the work
// posted is done.
struct IndexWriter::Queue {
    explicit Queue(QString file) : file(std::move(file)) {}

    void run() {
        IndexDatabase db;
        for (;;) {
            Work work;
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [this] { return quit || !posted.empty(); });
                if (posted.empty()) {
                    ended = true;
                    break;
                }
                work = std::move(posted.front());
                posted.pop_front();
            }
            work(db);
        }
    }

    const QString file;
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<Work> posted;
    bool quit = false;   // no writer holds it any more
    bool ended = false;  // its thread is past its last work
};

namespace {

// Every writer's thread of the program: joined once it has ended (at once, by then), and at the
// program's end, when the work under way has been told to stop by its owners.
class Writers {
public:
    ~Writers() {
        std::lock_guard lock(m_mutex);
        for (Thread& t : m_threads) {
            {
                std::lock_guard queueLock(t.queue->mutex);
                t.queue->quit = true;
            }
            t.queue->wake.notify_all();
            t.thread.join();
        }
    }

    // The thread of `file`'s writer, still going, or a new one.
    std::shared_ptr<IndexWriter::Queue> queueOf(const QString& file) {
        std::lock_guard lock(m_mutex);
        reapEnded();
        for (Thread& t : m_threads) {
            if (t.queue->file != file) continue;
            std::lock_guard queueLock(t.queue->mutex);
            if (t.queue->ended) continue;
            t.queue->quit = false;  // a writer let go of while its last work was under way
            return t.queue;
        }
        auto queue = std::make_shared<IndexWriter::Queue>(file);
        m_threads.push_back({queue, std::thread([queue] { queue->run(); })});
        return queue;
    }

    std::mutex& mutex() { return m_mutex; }
    std::map<QString, std::weak_ptr<IndexWriter>>& live() { return m_live; }

private:
    struct Thread {
        std::shared_ptr<IndexWriter::Queue> queue;
        std::thread thread;
    };

    void reapEnded() {
        for (auto it = m_threads.begin(); it != m_threads.end();) {
            bool ended = false;
            {
                std::lock_guard queueLock(it->queue->mutex);
                ended = it->queue->ended;
            }
            if (!ended) {
                ++it;
                continue;
            }
            it->thread.join();
            it = m_threads.erase(it);
        }
    }

    std::mutex m_mutex;
    std::vector<Thread> m_threads;
    std::map<QString, std::weak_ptr<IndexWriter>> m_live;
};

Writers& writers() {
    static Writers all;
    return all;
}

}  // namespace

std::shared_ptr<IndexWriter> IndexWriter::of(const QString& indexFile) {
    static std::mutex making;  // one writer per file even when two threads ask at once
    std::lock_guard lock(making);
    Writers& all = writers();
    std::shared_ptr<IndexWriter> writer;
    {
        std::lock_guard liveLock(all.mutex());
        writer = all.live()[indexFile].lock();
    }
    if (writer) return writer;
    writer.reset(new IndexWriter(all.queueOf(indexFile)));
    std::lock_guard liveLock(all.mutex());
    all.live()[indexFile] = writer;
    return writer;
}

IndexWriter::IndexWriter(std::shared_ptr<Queue> queue) : m_queue(std::move(queue)) {}

IndexWriter::~IndexWriter() {
    {
        std::lock_guard lock(m_queue->mutex);
        m_queue->quit = true;
    }
    m_queue->wake.notify_all();
}

void IndexWriter::post(Work work) {
    {
        std::lock_guard lock(m_queue->mutex);
        m_queue->posted.push_back(std::move(work));
    }
    m_queue->wake.notify_all();
}
