#pragma once

#include <QString>
#include <mutex>

// Standard error of tabulon-collect: whole lines for the journal, and on a terminal one
// progress line that the other lines push up. Any thread.
//
// A round over several lines logs each site's lines through a console of its own that puts
// the site's name before them and passes them on, so that interleaved lines still tell whose
// they are.
class Console {
public:
    explicit Console(bool terminal) : m_terminal(terminal) {}
    Console(Console& parent, const QString& site)
        : m_terminal(parent.terminal()), m_parent(&parent), m_prefix(QStringLiteral("[%1] ").arg(site)) {}

    void line(const QString& text);
    // Drawn only on a terminal, in place of the last progress line.
    void progress(const QString& text);
    void endProgress();
    bool terminal() const { return m_terminal; }

private:
    void clearProgress();

    const bool m_terminal;
    Console* const m_parent = nullptr;
    const QString m_prefix;
    std::mutex m_mutex;
    bool m_progressShown = false;
};
