#include "store/StoreConnection.h"

#include <libpq-fe.h>
#include <poll.h>

#include <chrono>

#include "platform/WakeSignal.h"
#include "res/Texts.h"

namespace {

std::int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// libpq's words, one line, for the admin who reads the log.
QString detailOf(const char* text) {
    return QString::fromUtf8(text).simplified();
}

// Classes of SQLSTATE that pass by themselves: a connection lost, no room, the server shutting
// down or starting, a deadlock or a serialization failure, a lock not had.
bool passing(const QString& state) {
    return state.startsWith(u"08") || state.startsWith(u"53") || state.startsWith(u"57P") ||
           state == u"40001" || state == u"40P01" || state == u"55P03";
}

}  // namespace

int StoreConnection::Rows::count() const {
    return PQntuples(m_result.get());
}

QString StoreConnection::Rows::text(int row, int column) const {
    return QString::fromUtf8(PQgetvalue(m_result.get(), row, column));
}

bool StoreConnection::Rows::isNull(int row, int column) const {
    return PQgetisnull(m_result.get(), row, column) != 0;
}

StoreConnection::StoreConnection(StoreAddress address, int timeoutMs)
    : m_address(std::move(address)), m_timeoutMs(timeoutMs) {}

StoreConnection::~StoreConnection() {
    close();
}

bool StoreConnection::isOpen() const {
    return m_conn && PQstatus(m_conn) == CONNECTION_OK;
}

void StoreConnection::close() {
    if (m_conn) PQfinish(m_conn);
    m_conn = nullptr;
    m_tables.clear();
}

QString StoreConnection::role() const {
    const QString named = m_address.role();
    if (!named.isEmpty()) return named;
    return m_conn ? QString::fromUtf8(PQuser(m_conn)) : QString();
}

bool StoreConnection::transient() const {
    return m_failure == Failure::Unreachable || m_failure == Failure::NoAnswer ||
           m_failure == Failure::Busy;
}

bool StoreConnection::ready() {
    if (isOpen()) return true;
    fail(Failure::Unreachable,
         texts::kStoreUnreachable.arg(m_address.shown(), QStringLiteral("нет соединения")));
    return false;
}

void StoreConnection::fail(Failure failure, const QString& message) {
    m_failure = failure;
    m_message = message;
}

// Waits until the socket may be read (or written) or the deadline passes.
bool StoreConnection::waitSocket(bool forWrite, std::int64_t deadline) {
    pollfd p{PQsocket(m_conn), short(forWrite ? POLLOUT : POLLIN), 0};
    for (;;) {
        const std::int64_t left = deadline - nowMs();
        if (left <= 0) return false;
        const int ready = ::poll(&p, 1, int(std::min<std::int64_t>(left, 1000)));
        if (ready > 0) return true;
        if (ready < 0 && errno != EINTR) return false;
    }
}

// The connection made without ever waiting past the limit: libpq's own connect_timeout counts
// whole seconds per host, and a server that accepts and never answers would hold it that long
// for every address the host name has.
bool StoreConnection::open() {
    close();
    m_failure = Failure::None;
    m_sqlState.clear();
    m_message.clear();
    const QByteArray conninfo = m_address.conninfo.toUtf8();
    const char* keys[] = {"dbname", "fallback_application_name", "client_encoding", nullptr};
    const char* values[] = {conninfo.constData(), "tabulon", "UTF8", nullptr};
    m_conn = PQconnectStartParams(keys, values, 1);
    if (!m_conn || PQstatus(m_conn) == CONNECTION_BAD) {
        failConnect();
        return false;
    }
    const std::int64_t deadline = nowMs() + m_timeoutMs;
    PostgresPollingStatusType state = PGRES_POLLING_WRITING;
    while (state != PGRES_POLLING_OK && state != PGRES_POLLING_FAILED) {
        if (!waitSocket(state == PGRES_POLLING_WRITING, deadline)) {
            fail(Failure::NoAnswer, texts::kStoreNoAnswer.arg(m_address.shown()));
            close();
            return false;
        }
        state = PQconnectPoll(m_conn);
    }
    if (state == PGRES_POLLING_FAILED) {
        failConnect();
        return false;
    }
    return true;
}

void StoreConnection::failConnect() {
    const QString detail = m_conn ? detailOf(PQerrorMessage(m_conn)) : QStringLiteral("libpq");
    const QString shown = m_address.shown();
    // A server in another language says "password" otherwise; libpq tells whether it asked.
    const bool password = detail.contains(u"password", Qt::CaseInsensitive) ||
                          detail.contains(u"парол", Qt::CaseInsensitive);
    if (m_conn && PQconnectionNeedsPassword(m_conn))
        fail(Failure::WrongPassword, texts::kStoreNoPassword.arg(shown, role()));
    else if (m_conn && PQconnectionUsedPassword(m_conn) && password)
        fail(Failure::WrongPassword, texts::kStoreWrongPassword.arg(shown, role()));
    else
        fail(Failure::Unreachable, texts::kStoreUnreachable.arg(shown, detail));
    close();
}

void StoreConnection::failResult(pg_result* result, const char* table) {
    m_sqlState = QString::fromLatin1(PQresultErrorField(result, PG_DIAG_SQLSTATE));
    const QString detail = detailOf(PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY));
    if (m_sqlState == u"42501")
        fail(Failure::NoRight,
             texts::kStoreNoRight.arg(m_address.shown(), role(), QString::fromUtf8(table)));
    else
        fail(passing(m_sqlState) ? Failure::Busy : Failure::Other,
             texts::kStoreFailed.arg(m_address.shown(), detail));
}

bool StoreConnection::flush(std::int64_t deadline) {
    for (;;) {
        const int left = PQflush(m_conn);
        if (left == 0) return true;
        if (left < 0 || !waitSocket(true, deadline)) return false;
    }
}

// The statement's result, every wait bounded; a connection that timed out is closed, as
// nobody knows what it is in the middle of.
std::optional<StoreConnection::Rows> StoreConnection::finish(const char* table) {
    const std::int64_t deadline = nowMs() + m_timeoutMs;
    std::shared_ptr<pg_result> last;
    bool answered = flush(deadline);
    while (answered) {
        while (answered && PQisBusy(m_conn))
            answered = waitSocket(false, deadline) && PQconsumeInput(m_conn);
        if (!answered) break;
        pg_result* next = PQgetResult(m_conn);
        if (!next) break;
        // The first failure is the one to tell.
        if (!last || PQresultStatus(last.get()) != PGRES_FATAL_ERROR)
            last.reset(next, &PQclear);
        else
            PQclear(next);
    }
    if (!answered || !last) {
        const bool broken = PQstatus(m_conn) == CONNECTION_BAD;
        fail(broken ? Failure::Unreachable : Failure::NoAnswer,
             broken
                 ? texts::kStoreUnreachable.arg(m_address.shown(), detailOf(PQerrorMessage(m_conn)))
                 : texts::kStoreNoAnswer.arg(m_address.shown()));
        close();
        return std::nullopt;
    }
    const ExecStatusType status = PQresultStatus(last.get());
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK) {
        failResult(last.get(), table);
        if (PQstatus(m_conn) == CONNECTION_BAD) close();
        return std::nullopt;
    }
    Rows rows;
    rows.m_result = std::move(last);
    return rows;
}

namespace {

struct Params {
    std::vector<const char*> values;
    explicit Params(const StoreConnection::Values& given) {
        for (const auto& v : given) values.push_back(v ? v->constData() : nullptr);
    }
};

}  // namespace

std::optional<StoreConnection::Rows> StoreConnection::run(const char* sql, const Values& values,
                                                          const char* table) {
    if (!ready()) return std::nullopt;
    const Params p(values);
    // A statement that could not be sent has no result: finish tells libpq's reason.
    PQsendQueryParams(m_conn, sql, int(p.values.size()), nullptr, p.values.data(), nullptr, nullptr,
                      0);
    return finish(table);
}

bool StoreConnection::prepare(const char* name, const char* sql, const char* table) {
    if (!ready()) return false;
    PQsendPrepare(m_conn, name, sql, 0, nullptr);
    if (!finish(table)) return false;
    m_tables.emplace_back(name, table);
    return true;
}

std::optional<StoreConnection::Rows> StoreConnection::execute(const char* name,
                                                              const Values& values) {
    if (!ready()) return std::nullopt;
    QByteArray table;
    for (const auto& [statement, on] : m_tables)
        if (statement == name) table = on;
    const Params p(values);
    PQsendQueryPrepared(m_conn, name, int(p.values.size()), p.values.data(), nullptr, nullptr, 0);
    return finish(table.constData());
}

// A notification may have come with the last statement's answer, already read: those are taken
// before any wait.
bool StoreConnection::waitNotification(const WakeSignal& wake, int timeoutMs) {
    if (!ready()) return false;
    if (takeNotifications()) return true;
    pollfd p[2] = {{PQsocket(m_conn), POLLIN, 0}, {wake.handle(), POLLIN, 0}};
    // Without a wake descriptor the caller's stop is looked at between short waits.
    const int ms = wake.handle() < 0 && timeoutMs < 0 ? 200 : timeoutMs;
    const int ready = ::poll(p, wake.handle() < 0 ? 1 : 2, ms);
    if (ready < 0 || !(p[0].revents & (POLLIN | POLLHUP | POLLERR))) return false;
    if (!PQconsumeInput(m_conn) || PQstatus(m_conn) == CONNECTION_BAD) {
        fail(Failure::Unreachable,
             texts::kStoreUnreachable.arg(m_address.shown(), detailOf(PQerrorMessage(m_conn))));
        close();
        return false;
    }
    return takeNotifications();
}

bool StoreConnection::takeNotifications() {
    bool came = false;
    while (PGnotify* n = PQnotifies(m_conn)) {
        came = true;
        PQfreemem(n);
    }
    return came;
}
