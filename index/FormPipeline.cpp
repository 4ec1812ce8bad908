#include "index/FormPipeline.h"

#include "index/FormReader.h"
#include "index/SearchText.h"

namespace {

// Enough forms ahead to keep reads of a cold disk going while the index writes a batch, and
// little memory: some 3 MB of 3 KB forms with their tokens.
constexpr std::size_t kWindow = 256;

}  // namespace

FormPipeline::FormPipeline(QString root, std::vector<ArchiveScan::File> files, int threads)
    : m_root(std::move(root)), m_files(std::move(files)), m_slots(kWindow) {
    for (int i = 0; i < threads; ++i) m_threads.emplace_back([this] { work(); });
}

FormPipeline::~FormPipeline() {
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    for (std::thread& t : m_threads) t.join();
}

void FormPipeline::work() {
    for (;;) {
        const std::size_t i = m_claimed++;
        if (i >= m_files.size()) return;
        {
            // The slot is free once the form a window before it is taken.
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [&] { return m_stop || i < m_taken + kWindow; });
            if (m_stop) return;
        }
        Form form;
        form.record = readForm(m_root, m_files[i], form.text);
        form.tokens = SearchText::indexTokens(SearchText::fold(form.text));
        {
            std::lock_guard lock(m_mutex);
            m_slots[i % kWindow] = {std::move(form), true};
        }
        m_changed.notify_all();
    }
}

bool FormPipeline::next(Form& form) {
    if (m_taken >= m_files.size()) return false;
    std::unique_lock lock(m_mutex);
    Slot& slot = m_slots[m_taken % kWindow];
    m_changed.wait(lock, [&] { return slot.ready; });
    form = std::move(slot.form);
    slot.ready = false;
    ++m_taken;
    lock.unlock();
    m_changed.notify_all();
    return true;
}
