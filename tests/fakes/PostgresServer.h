#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A real PostgreSQL 15 of the test's own: a cluster made by initdb (a copy of the one it made
// first on this machine) in a temporary folder, served by pg_ctl on a Unix socket there and on a
// free port of 127.0.0.1 (passwords checked by SCRAM on that one), stopped and removed at the end.
// PostgreSQL refuses to run as root, so under root (CI) the server runs as "nobody" and the folder
// is given to it.
class PostgresServer {
public:
    PostgresServer();
    // A cluster kept in `folder` between runs (a benchmark's large store): made there the first
    // time, started again after; stopped at the end and left in place.
    explicit PostgresServer(const QString& folder);
    ~PostgresServer();

    bool ok() const { return m_error.isEmpty(); }
    QString error() const { return m_error; }

    bool start();
    // `immediate`: as a crash would, without a checkpoint.
    bool stop(bool immediate = true);

    int port() const { return m_port; }
    // `user` over the socket, without a password.
    QString localAddress(const QString& user, const QString& database) const;
    QString superAddress(const QString& database = QStringLiteral("postgres")) const {
        return localAddress(QStringLiteral("postgres"), database);
    }
    // `user` over TCP, whose password libpq has to find.
    QString tcpAddress(const QString& user, const QString& database) const;
    // Runs `sql` as the superuser; its output, unaligned, tuples only. Sets error() on failure.
    QString psql(const QString& sql, const QString& database = QStringLiteral("postgres"));

    static int freePort();

private:
    bool makeCluster();
    bool run(const QString& program, const QStringList& args, QString* output = nullptr,
             bool asServer = true);

    QTemporaryDir m_dir;
    QDir m_folder;  // m_dir's, or the kept one
    bool m_kept = false;
    int m_port = 0;
    bool m_running = false;
    QString m_error;
};
