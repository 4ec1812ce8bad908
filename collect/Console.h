#pragma once

#include <QString>
#include <mutex>

// Standard error of tabulon-collect: whole lines for the journal, and on a terminal one
// progress line that the other lines push up. Any thread.
class Console {
public:
    explicit Console(bool terminal) : m_terminal(terminal) {}

    void line(const QString& text);
    // Drawn only on a terminal, in place of the last progress line.
    void progress(const QString& text);
    void endProgress();
    bool terminal() const { return m_terminal; }

private:
    void clearProgress();

    const bool m_terminal;
    std::mutex m_mutex;
    bool m_progressShown = false;
};
