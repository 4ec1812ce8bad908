#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "archive/ArchiveScan.h"
#include "index/FormRecord.h"

// Forms read from the disk and cut into the index's tokens on threads of their own, handed out
// in the order given, so that the one thread that writes the index never waits for the disk
// nor for the tokens while there is work ahead. At most a window of forms waits in memory.
class FormPipeline {
public:
    struct Form {
        FormRecord record;
        QByteArray text;    // cp1251, as read
        QByteArray tokens;  // SearchText::indexTokens of its folded text
    };

    FormPipeline(QString root, std::vector<ArchiveScan::File> files, int threads);
    ~FormPipeline();  // stops the threads and waits for them
    FormPipeline(const FormPipeline&) = delete;
    FormPipeline& operator=(const FormPipeline&) = delete;

    // The next form in order; false after the last.
    bool next(Form& form);

private:
    struct Slot {
        Form form;
        bool ready = false;
    };
    void work();

    const QString m_root;
    const std::vector<ArchiveScan::File> m_files;
    std::vector<Slot> m_slots;
    std::atomic<std::size_t> m_claimed{0};
    std::size_t m_taken = 0;  // guarded by m_mutex
    bool m_stop = false;      // guarded by m_mutex
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::thread> m_threads;
};
