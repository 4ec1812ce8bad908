#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/Clock.h"
#include "platform/SerialPort.h"
#include "platform/WakeSignal.h"
#include "sites/Site.h"

class Console;
class ListenSchedule;

// One modem's connection, on a thread of its own: which site it is (CallerMatcher), then, for
// as long as it stays, the exchange whenever the site is due; between exchanges whatever the
// modem sends (heartbeats) only keeps the connection alive, and a connection that says nothing
// for the idle time is closed. A caller no site owns is told to the desk and closed.
class CallerSession : public std::enable_shared_from_this<CallerSession> {
public:
    // What the service gives every connection.
    struct Desk {
        Console& console;
        Clock& clock;
        ListenSchedule& schedule;
        std::int64_t idleMs = 600000;
        std::int64_t helloWaitMs = 30000;
        std::function<QList<Site>()> sites;  // the book as it stands now
        // The connection now serving `site`; returns the one it replaces.
        std::function<std::shared_ptr<CallerSession>(const QString&,
                                                     const std::shared_ptr<CallerSession>&)>
            claim;
        std::function<void(const QString&, const CallerSession*)> release;
        std::function<void(const std::string& peer, const QByteArray& sent)> unknown;
        // The exchange with the site's calculator over the connection; true when it succeeded.
        std::function<bool(const Site&, CallerSession&)> exchange;
    };

    CallerSession(std::unique_ptr<SerialPort> line, std::string peer, int peerPort, Desk& desk)
        : m_line(std::move(line)), m_peer(std::move(peer)), m_peerPort(peerPort), m_desk(desk) {}

    // Until the modem goes, idles out, is replaced or the session is stopped; the connection
    // is closed when it returns.
    void run();
    // From any thread: ends the wait or the exchange under way.
    void stop();
    // Until run() has returned.
    void waitEnded();

    SerialPort& line() { return *m_line; }
    WakeSignal& events() { return m_events; }
    const std::atomic<int>& stopFlag() const { return m_stop; }
    const std::string& peer() const { return m_peer; }
    int peerPort() const { return m_peerPort; }
    bool hasEnded();

private:
    std::optional<Site> identify();
    QByteArray readHello(const std::string& peer, int* site, const QList<Site>& sites);
    void serve(const Site& site);
    void drain();
    bool stopped() const { return m_stop.load() != 0; }
    void ended();

    std::unique_ptr<SerialPort> m_line;
    const std::string m_peer;
    const int m_peerPort;
    Desk& m_desk;
    WakeSignal m_events;
    std::atomic<int> m_stop{0};
    std::mutex m_mutex;
    std::condition_variable m_endedChanged;
    bool m_ended = false;
};
