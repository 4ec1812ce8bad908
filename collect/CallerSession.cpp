#include "collect/CallerSession.h"

#include <algorithm>
#include <chrono>

#include "collect/CallerMatcher.h"
#include "collect/Console.h"
#include "collect/ListenSchedule.h"
#include "res/Texts.h"

namespace {

using std::chrono::milliseconds;

bool lost(SerialPort::Status status) {
    return status == SerialPort::Status::Hangup || status == SerialPort::Status::Error;
}

}  // namespace

void CallerSession::run() {
    m_line->setWake(&m_events);
    if (const std::optional<Site> site = identify()) {
        m_desk.console.line(texts::callerKnown(site->name, QString::fromStdString(m_peer)));
        if (const std::shared_ptr<CallerSession> old = m_desk.claim(site->name, shared_from_this())) {
            old->stop();
            old->waitEnded();
            m_desk.console.line(texts::callerReplaced(site->name));
        }
        serve(*site);
        m_desk.release(site->name, this);
    }
    m_line->setWake(nullptr);
    m_line.reset();
    ended();
}

// Reads what the caller sends first until it names a site, cannot, or the wait is over.
QByteArray CallerSession::readHello(const std::string& peer, int* site, const QList<Site>& sites) {
    const CallerMatcher matcher(sites);
    const std::int64_t deadline = m_desk.clock.nowMs() + m_desk.helloWaitMs;
    QByteArray received;
    for (;;) {
        const std::int64_t left = deadline - m_desk.clock.nowMs();
        const CallerMatcher::Verdict verdict = matcher.match(received, peer, left <= 0);
        if (verdict.kind != CallerMatcher::Kind::Wait) {
            if (verdict.kind == CallerMatcher::Kind::Known) *site = verdict.site;
            return received;
        }
        std::uint8_t chunk[CallerMatcher::kMaxHelloBytes];
        const SerialPort::Result r = m_line->read(chunk, milliseconds(left));
        if (stopped()) return received;
        if (r.status == SerialPort::Status::Ok)
            received.append(reinterpret_cast<const char*>(chunk), qsizetype(r.count));
        else if (lost(r.status))
            return received;  // gone before it said who it is
    }
}

std::optional<Site> CallerSession::identify() {
    const QList<Site> sites = m_desk.sites();
    int site = -1;
    const QByteArray sent = readHello(m_peer, &site, sites);
    if (stopped()) return std::nullopt;
    if (site >= 0) return CallerMatcher(sites).sites()[site];
    m_desk.unknown(m_peer, sent);
    return std::nullopt;
}

// What the modem sent after its hello (a line end, a heartbeat) is no answer of the
// calculator's: the office speaks first, so anything waiting before it does is dropped.
void CallerSession::drain() {
    std::uint8_t chunk[512];
    while (m_line->read(chunk, milliseconds(0)).status == SerialPort::Status::Ok) {
    }
}

// The exchange whenever the site is due; between them the connection is only kept.
void CallerSession::serve(const Site& site) {
    std::int64_t lastHeard = m_desk.clock.nowMs();
    while (!stopped()) {
        if (m_desk.schedule.due(site)) {
            m_desk.console.line(texts::callerExchangeBegins(site.name));
            drain();
            const bool succeeded = m_desk.exchange(site, *this);
            if (!stopped()) m_desk.schedule.tried(site.name, succeeded);
            m_events.clear();
            lastHeard = m_desk.clock.nowMs();
            continue;
        }
        const std::int64_t idleAt = lastHeard + m_desk.idleMs;
        const std::int64_t wakeAt = std::min(idleAt, m_desk.schedule.dueAtMs(site));
        std::uint8_t chunk[512];
        const SerialPort::Result r =
            m_line->read(chunk, milliseconds(std::max<std::int64_t>(0, wakeAt - m_desk.clock.nowMs())));
        if (r.status == SerialPort::Status::Ok) {
            lastHeard = m_desk.clock.nowMs();  // a heartbeat, or a word nobody asked for
        } else if (lost(r.status)) {
            m_desk.console.line(texts::callerGone(site.name));
            return;
        } else if (!stopped() && m_desk.clock.nowMs() >= idleAt) {
            m_desk.console.line(texts::callerIdle(site.name, int(m_desk.idleMs / 1000)));
            return;
        }
    }
}

void CallerSession::stop() {
    m_stop.store(1);
    m_events.raise();
}

void CallerSession::ended() {
    std::lock_guard lock(m_mutex);
    m_ended = true;
    m_endedChanged.notify_all();
}

void CallerSession::waitEnded() {
    std::unique_lock lock(m_mutex);
    m_endedChanged.wait(lock, [this] { return m_ended; });
}

bool CallerSession::hasEnded() {
    std::lock_guard lock(m_mutex);
    return m_ended;
}
