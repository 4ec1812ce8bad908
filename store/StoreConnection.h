#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "store/StoreAddress.h"

class WakeSignal;

struct pg_conn;
struct pg_result;

// One connection to the common archive through libpq. Every wait on the server has a limit, so
// that a server that accepted and never answers costs at most that long; every statement goes
// with its values apart from its text (named prepared statements, or the extended protocol for
// the schema's own). A failure is told in Russian, never with a password.
class StoreConnection {
public:
    enum class Failure {
        None,
        Unreachable,    // no connection, or it broke
        NoAnswer,       // the server took too long
        WrongPassword,  // or no password where one is needed
        NoRight,        // the role lacks a right (SQLSTATE 42501)
        Busy,           // full, shutting down, a deadlock: worth another try later
        Other,
    };
    class Rows {
    public:
        int count() const;
        QString text(int row, int column) const;
        bool isNull(int row, int column) const;

    private:
        friend class StoreConnection;
        std::shared_ptr<pg_result> m_result;
    };
    // A value for a statement's parameter; nothing stands for NULL.
    using Values = std::vector<std::optional<QByteArray>>;

    StoreConnection(StoreAddress address, int timeoutMs);
    ~StoreConnection();
    StoreConnection(const StoreConnection&) = delete;
    StoreConnection& operator=(const StoreConnection&) = delete;

    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    int timeoutMs() const { return m_timeoutMs; }
    bool open();
    bool isOpen() const;
    void close();

    // One statement of the program's own text; `table` names what a missing right is on.
    std::optional<Rows> run(const char* sql, const Values& values = {}, const char* table = "");
    bool prepare(const char* name, const char* sql, const char* table);
    std::optional<Rows> execute(const char* name, const Values& values);

    // Waits for a notification on a channel this connection LISTENs to, until `wake` is raised
    // or `timeoutMs` has passed (-1: no limit, but a turn of 200 ms where the system gave the
    // wake signal no descriptor); every notification waiting is taken. False when none came or
    // the connection broke (then isOpen() is false and the failure is told).
    bool waitNotification(const WakeSignal& wake, int timeoutMs);

    Failure failure() const { return m_failure; }
    QString sqlState() const { return m_sqlState; }
    QString message() const { return m_message; }
    // Whether the same work may succeed later without anybody's help.
    bool transient() const;
    const StoreAddress& address() const { return m_address; }
    QString role() const;
    // Sets what failed, for a caller that found it out itself.
    void fail(Failure failure, const QString& message);

private:
    bool ready();
    bool takeNotifications();
    std::optional<Rows> finish(const char* table);
    bool waitSocket(bool forWrite, std::int64_t deadline);
    bool flush(std::int64_t deadline);
    void failConnect();
    void failResult(pg_result* result, const char* table);

    StoreAddress m_address;
    int m_timeoutMs;
    pg_conn* m_conn = nullptr;
    std::vector<std::pair<QByteArray, QByteArray>> m_tables;  // statement name, its table
    Failure m_failure = Failure::None;
    QString m_sqlState;
    QString m_message;
};
