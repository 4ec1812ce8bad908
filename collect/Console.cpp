#include "collect/Console.h"

#include <cstdio>

void Console::clearProgress() {
    if (!m_progressShown) return;
    std::fputs("\r\033[K", stderr);
    m_progressShown = false;
}

void Console::line(const QString& text) {
    if (m_parent) return m_parent->line(m_prefix + text);
    std::lock_guard lock(m_mutex);
    clearProgress();
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
    std::fflush(stderr);
}

void Console::progress(const QString& text) {
    if (m_parent) return m_parent->progress(m_prefix + text);
    if (!m_terminal) return;
    std::lock_guard lock(m_mutex);
    std::fprintf(stderr, "\r\033[K%s", text.toUtf8().constData());
    std::fflush(stderr);
    m_progressShown = true;
}

void Console::endProgress() {
    if (m_parent) return m_parent->endProgress();
    std::lock_guard lock(m_mutex);
    clearProgress();
    std::fflush(stderr);
}
