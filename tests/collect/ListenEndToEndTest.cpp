// tabulon-collect --listen as systemd runs it: the program itself, modems played by the test
// over TCP, the simulated calculator behind one of them on a pseudo-terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <QDate>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>

#include "archive/ArchiveName.h"
#include "archive/ExchangeRecord.h"
#include "archive/UnknownCallers.h"
#include "tests/fakes/TestFiles.h"
#include "tools/CalculatorSimulator.h"
#include "tools/Ser2netServer.h"

namespace {

bool within(const std::function<bool()>& done, int ms = 20000) {
    for (int waited = 0; waited < ms; waited += 20) {
        if (done()) return true;
        QThread::msleep(20);
    }
    return done();
}

// A GPRS modem's side of a connection to the office.
class PlayedModem {
public:
    explicit PlayedModem(int port) {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(std::uint16_t(port));
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        EXPECT_EQ(::connect(m_fd, reinterpret_cast<sockaddr*>(&to), sizeof to), 0);
    }
    ~PlayedModem() {
        m_stop = true;
        if (m_bridge.joinable()) m_bridge.join();
        ::close(m_fd);
        if (m_pty >= 0) ::close(m_pty);
    }
    void send(const QByteArray& bytes) {
        EXPECT_EQ(::send(m_fd, bytes.constData(), std::size_t(bytes.size()), MSG_NOSIGNAL),
                  bytes.size());
    }
    // What the office sent within `ms`; `closed` set when it closed the connection.
    QByteArray receive(int ms, bool* closed = nullptr) {
        pollfd p{m_fd, POLLIN, 0};
        char buffer[256];
        if (::poll(&p, 1, ms) <= 0) return {};
        const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
        if (closed) *closed = n == 0;
        return n > 0 ? QByteArray(buffer, n) : QByteArray();
    }
    bool closedByOffice(int ms = 20000) {
        bool closed = false;
        return within([&] { return receive(50, &closed), closed; }, ms);
    }
    // From now on the connection carries the calculator on `pty`; once `after` of its bytes
    // went to the office, `heartbeat` goes too, in the middle of its form.
    void bridge(const std::string& pty, const QByteArray& heartbeat, std::size_t after) {
        m_pty = ::open(pty.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(m_pty, 0);
        termios raw{};
        ::tcgetattr(m_pty, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(m_pty, TCSANOW, &raw);
        m_bridge = std::thread([this, heartbeat, after] { carry(heartbeat, after); });
    }

private:
    void carry(const QByteArray& heartbeat, std::size_t after) {
        std::size_t fromCalculator = 0;
        char buffer[256];
        while (!m_stop) {
            pollfd p[2] = {{m_fd, POLLIN, 0}, {m_pty, POLLIN, 0}};
            if (::poll(p, 2, 20) <= 0) continue;
            if (p[0].revents) {
                const ssize_t n = ::recv(m_fd, buffer, sizeof buffer, 0);
                if (n <= 0) return;
                (void)!::write(m_pty, buffer, std::size_t(n));
            }
            if (p[1].revents) {
                const ssize_t n = ::read(m_pty, buffer, sizeof buffer);
                if (n <= 0) return;
                const bool crossing = fromCalculator < after && fromCalculator + n >= after;
                fromCalculator += std::size_t(n);
                ::send(m_fd, buffer, std::size_t(n), MSG_NOSIGNAL);
                if (crossing) send(heartbeat);
            }
        }
    }

    int m_fd = -1;
    int m_pty = -1;
    std::atomic<bool> m_stop{false};
    std::thread m_bridge;
};

const std::vector<std::string> kForms = {"СУТОЧНАЯ ВЕДОМОСТЬ N1\nТемпература подачи 94,21\n",
                                         "Итого: 12,446 т"};
const QString kSite = QStringLiteral("Котельная 3");

class Listen : public ::testing::Test {
protected:
    void SetUp() override {
        QFile book(dir.filePath("sites.toml"));
        ASSERT_TRUE(book.open(QIODevice::WriteOnly));
        book.write("[\"Котельная 3\"]\nhello = \"ID:0042\"\nheartbeat = \"0x00FF00\"\n"
                   "device = 0\nspeed = 9600\n");
        book.close();
        port = unusedLoopbackPort();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("TABULON_INI", dir.filePath("Tabulon.ini"));
        env.insert("HOME", dir.path());
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        service.setProcessEnvironment(env);
        service.setStandardErrorFile(dir.filePath("log"));
        service.start(TABULON_COLLECT,
                      {"--listen", QStringLiteral("127.0.0.1:%1").arg(port), "--sites",
                       dir.filePath("sites.toml"), "--out", archive(), "--wait", "3"});
        ASSERT_TRUE(within([&] { return loopbackPortListens(port); }))
            << journal().toStdString();
    }
    QString journal() const {
        QFile file(dir.filePath("log"));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    // SIGTERM, as systemd stops it: the exit status.
    int stop() {
        service.terminate();
        EXPECT_TRUE(service.waitForFinished(20000));
        log = journal();
        return service.exitStatus() == QProcess::NormalExit ? service.exitCode() : -1;
    }
    QString archive() const { return dir.filePath("archive"); }
    QList<ExchangeRecord> records() const {
        return ExchangeRecords::readMonth(archive(), QDate::currentDate());
    }

    QTemporaryDir dir;
    QProcess service;
    int port = 0;
    QString log;
};

TEST_F(Listen, knownModemIsReadAndItsHeartbeatNeverReachesTheForms) {
    CalculatorSimulatorOptions o;
    o.deviceType = 0;
    o.stream.forms = kForms;
    CalculatorSimulator calculator(o);
    ASSERT_TRUE(calculator.start()) << calculator.error();
    PlayedModem modem(port);
    modem.send("ID:0042\r\n");
    modem.bridge(calculator.slavePath(), QByteArray("\x00\xff\x00", 3), 10);
    ASSERT_TRUE(within([&] { return !records().isEmpty(); }, 60000))
        << journal().toStdString();
    EXPECT_EQ(stop(), 0);

    const QList<ExchangeRecord> kept = records();
    ASSERT_EQ(kept.size(), 1) << log.toStdString();
    EXPECT_EQ(kept[0].site, kSite);
    EXPECT_EQ(kept[0].outcome, RecordOutcome::FormsReceived) << log.toStdString();
    ASSERT_EQ(kept[0].forms.size(), 2);
    for (int i = 0; i < 2; ++i) {
        const QString path = QDir(archive()).filePath(kept[0].forms[i].file);
        EXPECT_TRUE(path.contains(ArchiveName::siteFolder(kSite))) << path.toStdString();
        QFile form(path);
        ASSERT_TRUE(form.open(QIODevice::ReadOnly));
        EXPECT_EQ(form.readAll(), archivedForm(QString::fromStdString(kForms[i])));
    }
    EXPECT_EQ(calculator.report().echoErrors, 0u);
}

TEST_F(Listen, unknownCallerIsClosedAndKeptForTheMonth) {
    PlayedModem stranger(port);
    stranger.send("GET / HTTP/1.0\r\n");
    EXPECT_TRUE(stranger.closedByOffice());
    ASSERT_TRUE(within([&] {
        return !UnknownCallers::readMonth(archive(), QDate::currentDate()).isEmpty();
    }));
    EXPECT_EQ(stop(), 0);
    const QList<UnknownCaller> callers = UnknownCallers::readMonth(archive(), QDate::currentDate());
    ASSERT_EQ(callers.size(), 1);
    EXPECT_EQ(callers[0].address, "127.0.0.1");
    EXPECT_EQ(callers[0].sent, "GET / HTTP/1.0\r\n");
    EXPECT_TRUE(log.contains("47 45 54")) << log.toStdString();  // the hex of what it sent
    EXPECT_TRUE(records().isEmpty());
}

TEST_F(Listen, secondConnectionReplacesTheFirstAndStopEndsBoth) {
    PlayedModem first(port);
    first.send("ID:0042");
    // The office speaks first: its handshake byte says the exchange began.
    EXPECT_FALSE(first.receive(20000).isEmpty());
    PlayedModem second(port);
    second.send("ID:0042");
    EXPECT_TRUE(first.closedByOffice());
    EXPECT_FALSE(second.receive(20000).isEmpty());
    EXPECT_EQ(stop(), 0);
    EXPECT_TRUE(second.closedByOffice(1000));
    // Both exchanges ended as stopped ones, each with its record.
    EXPECT_EQ(records().size(), 2) << log.toStdString();
}

}  // namespace
