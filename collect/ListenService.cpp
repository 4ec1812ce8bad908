#include "collect/ListenService.h"

#include <QDateTime>
#include <algorithm>
#include <cstring>

#include "archive/ArchiveSettings.h"
#include "archive/UnknownCallers.h"
#include "collect/Collector.h"
#include "collect/Console.h"
#include "collect/HeartbeatLine.h"
#include "collect/SiteOptions.h"
#include "platform/TcpListener.h"
#include "res/Texts.h"
#include "sites/SiteBook.h"
#include "sites/SiteHistory.h"
#include "sites/SiteListenKeys.h"

namespace {

// How long the accepting thread sleeps between looks at the connections that ended.
constexpr std::chrono::milliseconds kAcceptTurn{1000};

// The caller as the record and the log name it: the address it came from, as a network
// server's address is written.
QString peerLine(const std::string& peer, int port) {
    const QString host = QString::fromStdString(peer);
    return QStringLiteral("tcp://%1:%2").arg(host.contains(u':') ? u'[' + host + u']' : host).arg(port);
}

}  // namespace

ListenService::ListenService(const CollectOptions& options, Console& console,
                             const std::atomic<int>& stopSignal, WakeSignal& events, Clock& clock)
    : m_options(options),
      m_console(console),
      m_stopSignal(stopSignal),
      m_events(events),
      m_schedule(clock),
      m_desk{console, clock, m_schedule, std::int64_t{options.idleSeconds} * 1000, kHelloWaitMs,
             {}, {}, {}, {}, {}},
      m_bookPath(options.sitesFile.value_or(SiteBook::userPath())) {
    m_desk.sites = [this] { return sites(); };
    m_desk.claim = [this](const QString& site, const std::shared_ptr<CallerSession>& s) {
        return claim(site, s);
    };
    m_desk.release = [this](const QString& site, const CallerSession* s) { release(site, s); };
    m_desk.unknown = [this](const std::string& peer, const QByteArray& sent) {
        unknown(peer, sent);
    };
    m_desk.exchange = [this](const Site& site, CallerSession& s) { return exchange(site, s); };
    ArchiveSettings settings = ArchiveSettings::load();
    m_archiveRoot = options.folder.value_or(settings.folder);
}

ListenService::~ListenService() {
    reap(true);
}

// The book as it stands; one that cannot be read now leaves the last good one in force.
QList<Site> ListenService::sites() {
    const SiteBook::Loaded book = SiteBook::load(m_bookPath);
    std::lock_guard lock(m_mutex);
    if (book.problem.isEmpty())
        m_book = book.sites;
    else
        m_console.line(book.problem);
    remember(m_book);
    return m_book;
}

// What the archive tells of the sites' last exchanges, once for each site, so that a restarted
// service does not read again a site read an hour ago.
void ListenService::remember(const QList<Site>& sites) {
    QSet<QString> wanted;
    for (const Site& site : sites)
        if (site.callsIn() && !m_remembered.contains(site.name)) wanted.insert(site.name);
    if (wanted.isEmpty()) return;
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const SiteLastExchanges last =
        SiteHistory(m_archiveRoot).lastExchanges(now.toLocalTime().date(), wanted);
    const auto ago = [&now](const QDateTime& t) -> std::optional<std::int64_t> {
        if (!t.isValid()) return std::nullopt;
        return std::max<std::int64_t>(0, t.msecsTo(now));
    };
    for (const QString& site : wanted) {
        const SiteLastExchange found = last.value(site);
        m_schedule.remember(site, ago(found.lastSuccess), ago(found.lastStart));
        m_remembered.insert(site);
    }
}

bool ListenService::exchange(const Site& site, CallerSession& session) {
    CollectOptions options = optionsForSite(m_options, site);
    options.port = peerLine(session.peer(), session.peerPort());
    Collector collector(options, m_console, session.stopFlag(), session.events());
    collector.setLine([&session, &site](const std::string&, int) {
        SerialOpenResult r;
        r.port = std::make_unique<HeartbeatLine>(session.line(), site.heartbeat, &session.events());
        return r;
    });
    Collector::Report report = collector.run();
    Collector::keepRecord(report, m_console);
    m_console.line(texts::collectSiteEnded(site.name, Collector::summary(report)));
    return report.outcome == CollectOutcome::FormsReceived ||
           report.outcome == CollectOutcome::NothingReceived;
}

void ListenService::unknown(const std::string& peer, const QByteArray& sent) {
    m_console.line(texts::callerUnknown(QString::fromStdString(peer),
                                        SiteListenKeys::shownBytes(sent)));
    QString error;
    std::lock_guard lock(m_mutex);
    if (!UnknownCallers::append(
            m_archiveRoot, {QDateTime::currentDateTimeUtc(), QString::fromStdString(peer), sent},
            &error))
        m_console.line(texts::callerNotKept(error.replace(u'\n', u' ')));
}

std::shared_ptr<CallerSession> ListenService::claim(const QString& site,
                                                    const std::shared_ptr<CallerSession>& session) {
    std::lock_guard lock(m_mutex);
    std::shared_ptr<CallerSession> old = m_siteSessions.value(site);
    m_siteSessions.insert(site, session);
    return old;
}

void ListenService::release(const QString& site, const CallerSession* session) {
    std::lock_guard lock(m_mutex);
    if (m_siteSessions.value(site).get() == session) m_siteSessions.remove(site);
}

void ListenService::start(std::unique_ptr<SerialPort> line, const std::string& peer,
                          int peerPort) {
    if (m_running.size() >= std::size_t(kMaxConnections)) {
        m_console.line(texts::callerRefused(QString::fromStdString(peer), int(m_running.size())));
        return;  // the line closes as it goes
    }
    auto session = std::make_shared<CallerSession>(std::move(line), peer, peerPort, m_desk);
    m_running.push_back({session, std::thread([session] { session->run(); })});
}

// Joins the sessions that ended; all of them, stopped first, when `all`.
void ListenService::reap(bool all) {
    for (auto it = m_running.begin(); it != m_running.end();) {
        if (all) it->session->stop();
        if (!all && !it->session->hasEnded()) {
            ++it;
            continue;
        }
        it->thread.join();
        it = m_running.erase(it);
    }
}

int ListenService::run() {
    QString host;
    int port = 0;
    if (!splitListenAddress(m_options.listen.value_or(QString()), &host, &port)) {
        m_console.line(texts::kCollectBadListen);
        return int(CollectOutcome::Usage);
    }
    TcpListener listener;
    if (const int error = listener.listen(host.toStdString(), port); error != 0) {
        m_console.line(texts::listenFailed(*m_options.listen, QString::fromLocal8Bit(std::strerror(error))));
        return int(CollectOutcome::OpenFailed);
    }
    const QList<Site> book = sites();
    if (std::none_of(book.begin(), book.end(), [](const Site& s) { return s.callsIn(); }))
        m_console.line(texts::listenNoSites(m_bookPath));
    m_console.line(texts::listenStarted(*m_options.listen));
    while (m_stopSignal.load() == 0) {
        TcpListener::Accepted accepted = listener.accept(kAcceptTurn, &m_events);
        m_events.clear();
        if (accepted.line && m_stopSignal.load() == 0)
            start(std::move(accepted.line), accepted.peer, accepted.peerPort);
        reap(false);
    }
    reap(true);
    m_console.line(texts::kListenStopped);
    return 0;
}
