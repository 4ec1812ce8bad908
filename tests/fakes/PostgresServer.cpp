#include "tests/fakes/PostgresServer.h"

#include <netinet/in.h>
#include <pwd.h>
#include <stdio.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

namespace {

const QString kBin = QStringLiteral("/usr/lib/postgresql/15/bin/");
const char* const kUser = "nobody";

bool root() {
    return ::geteuid() == 0;
}

}  // namespace

int PostgresServer::freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    int port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) == 0)
        port = ntohs(a.sin_port);
    ::close(fd);
    return port;
}

// As the server's user (root runs it through runuser), or as the test itself: a client.
bool PostgresServer::run(const QString& program, const QStringList& args, QString* output,
                         bool asServer) {
    QProcess p;
    if (root() && asServer)
        p.start(QStringLiteral("runuser"), QStringList{"-u", kUser, "--", kBin + program} + args);
    else
        p.start(kBin + program, args);
    p.setProcessChannelMode(QProcess::MergedChannels);
    const bool done = p.waitForFinished(120000);
    const QString out = QString::fromUtf8(p.readAll());
    if (output) *output = out.trimmed();
    if (done && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0) return true;
    m_error = program + QStringLiteral(": ") + out;
    return false;
}

// initdb takes ten seconds and more on a busy machine, a copy of what it made about one: it runs
// once per machine into a template beside the temporary folders (named after its options, so
// that other options make another), and each server starts on a copy. The template is moved into
// place whole, so a test that reads it never meets one half made, and two that make it at once
// keep one.
bool PostgresServer::makeCluster() {
    const QString options = QStringLiteral(
        "-U postgres -E UTF8 --locale=C.UTF-8 --auth-local=trust --auth-host=scram-sha-256");
    const QByteArray key =
        QCryptographicHash::hash(options.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
    const QString made = QDir::temp().filePath(
        QStringLiteral("tabulon-postgres15-%1-%2").arg(::geteuid()).arg(QString::fromLatin1(key)));
    if (!QFileInfo::exists(made)) {
        const QString staged = m_folder.filePath("template");
        if (!run(QStringLiteral("initdb"), QStringList{"-D", staged} + options.split(u' ')))
            return false;
        const int moved =
            ::rename(QFile::encodeName(staged).constData(), QFile::encodeName(made).constData());
        if (moved != 0 && !QFileInfo::exists(made)) {
            m_error = QStringLiteral("cannot move the template cluster to ") + made;
            return false;
        }
    }
    QProcess copy;
    copy.start(QStringLiteral("cp"), {"-a", made, m_folder.filePath("data")});
    if (copy.waitForFinished(120000) && copy.exitStatus() == QProcess::NormalExit &&
        copy.exitCode() == 0)
        return true;
    m_error = QStringLiteral("cp: ") + QString::fromUtf8(copy.readAllStandardError());
    return false;
}

PostgresServer::PostgresServer() : PostgresServer(QString()) {}

PostgresServer::PostgresServer(const QString& folder)
    : m_folder(folder.isEmpty() ? m_dir.path() : QFileInfo(folder).absoluteFilePath()),
      m_kept(!folder.isEmpty()),
      m_port(freePort()) {
    if (m_kept) m_dir.remove();
    if (!m_folder.mkpath(QStringLiteral(".")) || (folder.isEmpty() && !m_dir.isValid())) {
        m_error = QStringLiteral("no folder for the cluster");
        return;
    }
    if (root()) {
        const passwd* user = ::getpwnam(kUser);
        if (!user ||
            ::chown(m_folder.path().toLocal8Bit().constData(), user->pw_uid, user->pw_gid) != 0)
            m_error = QStringLiteral("cannot give the folder to nobody");
    }
    // A kept folder (a benchmark's) already holds its cluster from the run before.
    if (ok() && !m_folder.exists(QStringLiteral("data/PG_VERSION"))) makeCluster();
    if (ok()) start();
}

PostgresServer::~PostgresServer() {
    // A kept cluster is shut down cleanly, so that it starts again without recovering.
    if (m_running) stop(!m_kept);
}

bool PostgresServer::start() {
    const QString options = QStringLiteral("-p %1 -k %2 -c listen_addresses=127.0.0.1 -c fsync=off")
                                .arg(m_port)
                                .arg(m_folder.path());
    m_running = run(QStringLiteral("pg_ctl"), {"-D", m_folder.filePath("data"), "-o", options, "-l",
                                               m_folder.filePath("log"), "-w", "start"});
    return m_running;
}

bool PostgresServer::stop(bool immediate) {
    m_running = false;
    return run(QStringLiteral("pg_ctl"), {"-D", m_folder.filePath("data"), "-m",
                                          immediate ? "immediate" : "fast", "-w", "stop"});
}

QString PostgresServer::localAddress(const QString& user, const QString& database) const {
    return QStringLiteral("host=%1 port=%2 user=%3 dbname=%4")
        .arg(m_folder.path())
        .arg(m_port)
        .arg(user, database);
}

QString PostgresServer::tcpAddress(const QString& user, const QString& database) const {
    return QStringLiteral("postgresql://%1@127.0.0.1:%2/%3").arg(user).arg(m_port).arg(database);
}

QString PostgresServer::psql(const QString& sql, const QString& database) {
    QString out;
    run(QStringLiteral("psql"),
        {"-X", "-q", "-tA", "-v", "ON_ERROR_STOP=1", "-d", superAddress(database), "-c", sql},
        &out, false);
    return out;
}
