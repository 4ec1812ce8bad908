#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <atomic>
#include <list>
#include <memory>
#include <mutex>
#include <thread>

#include "collect/CallerSession.h"
#include "collect/CollectOptions.h"
#include "collect/ListenSchedule.h"
#include "platform/Clock.h"
#include "platform/WakeSignal.h"
#include "sites/Site.h"

class Console;

// tabulon-collect --listen: waits for the modems of the book's sites to connect, each
// connection a CallerSession on a thread of its own, the exchange the collector's own over the
// connection. The book is read again for every connection, so a site added to it is known
// without a restart. A stop signal closes every connection (an exchange under way ends as an
// interrupted one, with its record) and ends the service.
class ListenService {
public:
    ListenService(const CollectOptions& options, Console& console,
                  const std::atomic<int>& stopSignal, WakeSignal& events, Clock& clock);
    ~ListenService();

    // Until a stop signal: 0; 2 when the options or the book make no sense at the start, or
    // the exit status of a port that cannot be opened when the address cannot be listened on.
    int run();

    // Connections at once; a caller past them is closed at once.
    static constexpr int kMaxConnections = 256;
    // How long a caller has to send its hello.
    static constexpr std::int64_t kHelloWaitMs = 30000;

private:
    struct Running {
        std::shared_ptr<CallerSession> session;
        std::thread thread;
    };

    QList<Site> sites();
    void remember(const QList<Site>& sites);
    bool exchange(const Site& site, CallerSession& session);
    void unknown(const std::string& peer, const QByteArray& sent);
    std::shared_ptr<CallerSession> claim(const QString& site,
                                         const std::shared_ptr<CallerSession>& session);
    void release(const QString& site, const CallerSession* session);
    void start(std::unique_ptr<SerialPort> line, const std::string& peer, int peerPort);
    void reap(bool all);

    const CollectOptions& m_options;
    Console& m_console;
    const std::atomic<int>& m_stopSignal;
    WakeSignal& m_events;
    ListenSchedule m_schedule;
    CallerSession::Desk m_desk;
    QString m_bookPath;
    QString m_archiveRoot;

    std::mutex m_mutex;  // the book, the sites' connections, the unknown callers' file
    QList<Site> m_book;  // the last one read that made sense
    QSet<QString> m_remembered;
    QHash<QString, std::shared_ptr<CallerSession>> m_siteSessions;
    std::list<Running> m_running;  // the accepting thread's only
};
