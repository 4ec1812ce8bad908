// The worker at a network serial server against a bare client through the same ser2net on
// 127.0.0.1: echo turnaround (type 0) and throughput without echo (type 4), in raw TCP and
// RFC 2217 mode. Prints rows of a Markdown table.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "acquisition/AcquisitionHost.h"
#include "acquisition/AcquisitionThreadProc.h"
#include "bench/BenchTable.h"
#include "bench/StreamRun.h"
#include "res/MessageStyle.h"
#include "tools/CalculatorSimulator.h"
#include "tools/Ser2netServer.h"

using namespace bench;

namespace {

using namespace std::chrono_literals;
using Mode = Ser2netServer::Mode;

// The bare client: a TCP socket with TCP_NODELAY, poll and read and write, and for RFC 2217 the
// least of Telnet: the server's option commands skipped, 0xFF doubled on the way out.
class BareClient {
public:
    BareClient(int port, bool telnet) : m_telnet(telnet) {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const int one = 1;
        ::setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        if (::connect(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) die("bare connect");
    }
    ~BareClient() { ::close(m_fd); }

    // The next data byte; false when the server hung up.
    bool readByte(unsigned char& b) {
        while (m_head == m_tail) {
            const ssize_t n = ::read(m_fd, m_buffer, sizeof m_buffer);
            if (n <= 0) return false;
            m_head = 0;
            m_tail = static_cast<std::size_t>(n);
        }
        const unsigned char c = m_buffer[m_head++];
        if (!m_telnet || !skip(c)) return b = c, true;
        return readByte(b);
    }
    void writeByte(unsigned char b) {
        const unsigned char twice[2] = {b, b};
        (void)!::write(m_fd, twice, m_telnet && b == 0xFF ? 2 : 1);
    }

private:
    // Telnet commands from the server: IAC cmd opt, IAC SB ... IAC SE; IAC IAC is data.
    bool skip(unsigned char c) {
        switch (m_state) {
            case 0:
                if (c != 0xFF) return false;
                m_state = 1;
                return true;
            case 1:
                m_state = c == 0xFF ? 0 : c == 250 ? 3 : c >= 251 ? 2 : 0;
                return c != 0xFF;
            case 2:
                m_state = 0;
                return true;
            case 3:
                if (c == 0xFF) m_state = 4;
                return true;
            default:
                m_state = c == 240 ? 0 : 3;
                return true;
        }
    }

    int m_fd = -1;
    bool m_telnet;
    int m_state = 0;
    unsigned char m_buffer[4096];
    std::size_t m_head = 0, m_tail = 0;
};

using Clock = std::chrono::steady_clock;

// Throughput as the client sees it: the bytes between its first and its last form end, over
// the time between them. Buffers along the way then count for neither side.
struct FormEnds {
    void note() {
        const Clock::time_point now = Clock::now();
        if (count++ == 0) first = now;
        last = now;
    }
    double bytesPerSecond() const {
        const double s = std::chrono::duration<double>(last - first).count();
        return count > 1 && s > 0 ? (count - 1) * 2048.0 / s : 0;
    }
    long count = 0;
    Clock::time_point first, last;
};

// Windows that only count forms and their times: yes to the start question, no to continuing.
class Host final : public AcquisitionHost {
public:
    void setProgressPos(int) override {}
    void stepProgress() override {}
    void setByteCounterText(const QString&) override {}
    bool setViewText(const QByteArray&) override { return true; }
    void setViewModified() override {}
    void newForm() override { ends.note(); }
    bool askToStart() override { return ++boxes, questions++ == 0; }
    bool askToContinue(std::int64_t) override { return ++boxes, questions++ == 0; }
    void reportFailure(ExchangeOutcome, const QString&) override { ++boxes; }
    SettingsStrings settingsStrings() override { return {"COM1", "КСМ-Р", "9600"}; }
    bool writeSettingsFile(const SettingsStrings&) override { return true; }

    FormEnds ends;
    std::atomic<int> boxes{0}, questions{0};
};

// One simulated calculator behind one ser2net for all runs of a measure: each run is one
// exchange, worker and bare client in turn.
struct Rig {
    Rig(CalculatorSimulatorOptions o, Mode mode) : sim(std::move(o)), mode(mode) {
        if (!sim.start()) die(sim.error());
        server = std::make_unique<Ser2netServer>(sim.slavePath(), mode);
        if (!server->start()) die(server->error());
    }
    // Waits until the simulator has sent its stream once more, with every echo back.
    void awaitStream(int done) {
        while (sim.report().streamsCompleted < done) std::this_thread::sleep_for(2ms);
    }

    CalculatorSimulator sim;
    Mode mode;
    std::unique_ptr<Ser2netServer> server;
    int streams = 0;
};

CalculatorSimulatorOptions rigOptions(int type, std::size_t bytes) {
    CalculatorSimulatorOptions o;
    o.deviceType = type;
    o.exchanges = 0;
    o.recordEchoTimes = type != 4;
    o.stream.crlf = false;
    o.stream.forms.assign(std::max<std::size_t>(1, bytes / 2048), lineForm(2048));
    // The stream starts after the opening has settled on both sides alike.
    if (type == 4) o.startDelay = 1000ms;
    return o;
}

// The worker's exchange; the operator stops once the simulator has sent the whole stream (and
// had every echo back).
double runWorker(Rig& rig, int type, long forms) {
    ::setenv("TABULON_COM1", rig.server->address().c_str(), 1);
    ReceiveControl rc;
    Host host;
    rc.m_strPort = "COM1";
    rc.m_nRate = 9600;
    rc.m_nDeviceType = static_cast<DeviceType>(type);
    rc.m_pMainFrame = &host;
    rc.m_bReceiving = 1;
    std::thread worker([&rc] { AcquisitionThreadProc(&rc); });
    rig.awaitStream(++rig.streams);
    while (host.ends.count < forms && host.boxes < 2) std::this_thread::sleep_for(2ms);
    rc.requestStop();
    worker.join();
    if (host.boxes != 2 || host.ends.count != forms) die("the worker's exchange went wrong");
    return host.ends.bytesPerSecond();
}

double runBare(Rig& rig, int type, std::size_t bytes) {
    BareClient client(rig.server->port(), rig.mode == Mode::Rfc2217);
    unsigned char b = 0;
    if (type != 4) {
        client.writeByte(0x55);
        for (int i = 0; i < 2; ++i)
            if (!client.readByte(b)) die("bare handshake");
    }
    FormEnds ends;
    for (std::size_t i = 0; i < bytes; ++i) {
        if (!client.readByte(b)) die("bare client lost the line");
        if (type != 4) client.writeByte(b);
        if (b == 0x1A) ends.note();
    }
    rig.awaitStream(++rig.streams);
    return ends.bytesPerSecond();
}

std::string modeName(Mode mode) {
    return mode == Mode::Raw ? "tcp://" : "rfc2217://";
}

double quantileUs(std::vector<std::int64_t> v, double q) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::min(v.size() - 1, std::size_t(q * v.size()))] / 1000.0;
}

// Runs worker and bare client in turn, `rounds` times each; per run the echo times the
// simulator recorded for it and its stream's bytes per second.
struct Runs {
    std::vector<double> medianUs[2], p99Us[2], rate[2];
};

Runs alternate(Mode mode, int type, std::size_t bytes, int rounds) {
    Rig rig(rigOptions(type, bytes), mode);
    const std::size_t streamBytes = buildSimulatorStream(rigOptions(type, bytes).stream).size();
    const long forms = static_cast<long>(streamBytes / 2048);
    Runs runs;
    std::size_t echoes = 0;
    for (int i = 0; i < 2 * rounds; ++i) {
        const int who = (i + i / 2) % 2;  // worker, bare, bare, worker, ...
        // ser2net lets go of the line when the last client has gone; the simulator must see
        // that before the next client comes, or a type 4 calculator takes it for the old one.
        std::this_thread::sleep_for(300ms);
        const double rate =
            who == 0 ? runWorker(rig, type, forms) : runBare(rig, type, streamBytes);
        const CalculatorSimulatorReport r = rig.sim.report();
        if (r.echoErrors || r.echoesMissing) die("echo errors");
        std::vector<std::int64_t> mine(r.echoTurnaroundNs.begin() + echoes,
                                       r.echoTurnaroundNs.end());
        echoes = r.echoTurnaroundNs.size();
        runs.medianUs[who].push_back(quantileUs(mine, 0.5));
        runs.p99Us[who].push_back(quantileUs(mine, 0.99));
        runs.rate[who].push_back(rate);
    }
    return runs;
}

void measureEcho(Mode mode, std::size_t bytes, int rounds) {
    const Runs r = alternate(mode, 0, bytes, rounds);
    const double w = median(r.medianUs[0]), b = median(r.medianUs[1]);
    row("Echo turnaround through ser2net, " + modeName(mode) + ", median", format("%.1f us", w),
        format("%.1f us", b), w / b, "<= 1.2 x bare", w <= 1.2 * b);
    const double wp = median(r.p99Us[0]), bp = median(r.p99Us[1]);
    row("Echo turnaround through ser2net, " + modeName(mode) + ", p99", format("%.1f us", wp),
        format("%.1f us", bp), wp / bp, "(reported)", true);
}

void measureStream(Mode mode, std::size_t megabytes, int rounds) {
    const Runs r = alternate(mode, 4, megabytes * 1024 * 1024, rounds);
    const double w = median(r.rate[0]) / 1e6, b = median(r.rate[1]) / 1e6;
    row("Throughput through ser2net, type 4, " + modeName(mode) + ", " + std::to_string(megabytes) +
            " MB",
        format("%.2f MB/s", w), format("%.2f MB/s", b), w / b, ">= 0.8 x bare", w >= 0.8 * b);
}

}  // namespace

int main(int argc, char** argv) {
    const auto [what, amount, rounds] = arguments(argc, argv);
    if (what == "header") {
        header("worker", "bare client");
    } else if (what == "echo") {
        for (Mode mode : {Mode::Raw, Mode::Rfc2217})
            measureEcho(mode, amount > 0 ? amount : 20000, rounds);
    } else if (what == "stream") {
        for (Mode mode : {Mode::Raw, Mode::Rfc2217})
            measureStream(mode, amount > 0 ? amount : 4, rounds);
    } else {
        std::fprintf(stderr,
                     "usage: network_bench header | echo [BYTES=20000 [ROUNDS=3]] | stream "
                     "[MEGABYTES=4 [ROUNDS=3]]\n");
        return 2;
    }
    return 0;
}
