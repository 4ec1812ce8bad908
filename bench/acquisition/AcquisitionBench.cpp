// The worker against bare peers on pseudo-terminals: processor time on a silent line, echo
// turnaround, and throughput with and without echo. Prints rows of a Markdown table.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "acquisition/AcquisitionThreadProc.h"
#include "bench/BenchTable.h"
#include "bench/StreamRun.h"
#include "bench/acquisition/BarePeers.h"
#include "bench/acquisition/BenchHost.h"
#include "platform/PseudoTerminal.h"
#include "tools/CalculatorSimulator.h"

using namespace bench;

namespace {

using namespace std::chrono_literals;

// Runs one exchange of the worker on COM1, pointed at `path`, on a thread of its own.
std::thread startWorker(ReceiveControl& rc, BenchHost& host, const std::string& path, int type) {
    ::setenv("TABULON_COM1", path.c_str(), 1);
    rc.m_strPort = "COM1";
    rc.m_nRate = 19200;
    rc.m_nDeviceType = static_cast<DeviceType>(type);
    rc.m_pMainFrame = &host;
    rc.m_bReceiving = 1;
    return std::thread([&rc] { AcquisitionThreadProc(&rc); });
}

void measureSilentCpu(std::chrono::seconds seconds) {
    CalculatorSimulatorOptions o;
    o.deviceType = 4;  // no handshake, no stream: the line stays silent
    auto sim = startSimulator(o);
    auto barePty = PseudoTerminal::create();
    if (!barePty) die("no pseudo-terminal");

    ReceiveControl rc;
    BenchHost host(rc);
    std::thread worker = startWorker(rc, host, sim->slavePath(), 4);
    while (host.questions == 0) std::this_thread::sleep_for(1ms);
    long long bareNs = 0;
    std::thread bare([&] { bareNs = bareSilentWaitCpuNs(barePty->slavePath(), seconds); });
    std::this_thread::sleep_for(seconds);
    const long long stopAtNs = std::chrono::steady_clock::now().time_since_epoch().count();
    rc.requestStop();
    worker.join();
    bare.join();
    const double w = (host.cpuAtReportNs - host.cpuAtStartNs) / 1e9, b = bareNs / 1e9;
    const double scale = 30.0 / seconds.count();
    const std::string what = "CPU time, " + std::to_string(seconds.count()) + " s silent pass";
    row(what.c_str(), format("%.3f s", w), format("%.3f s", b), b > 0 ? w / b : 0,
        "worker <= 0.01 s per 30 s", w * scale <= 0.01);
    // The bare peer wakes every 20 ms: one wakeup per slice.
    const double ww = double(host.wakeupsAtReport - host.wakeupsAtStart),
                 bw = seconds.count() * 50.0;
    row("Wakeups, silent pass", format("%.0f", ww), format("%.0f (20 ms slices)", bw), ww / bw,
        "worker <= 50 per 30 s", ww * scale <= 50);
    // Seen by a 20 ms slice, a stop waits 10 ms on average.
    const double latencyMs = (host.reportAtNs - stopAtNs) / 1e6;
    row("Stop seen, silent pass", format("%.2f ms", latencyMs), "10 ms (half a 20 ms slice)",
        latencyMs / 10.0, "worker <= 5 ms", latencyMs <= 5);
}

struct EchoRun {
    std::vector<std::int64_t> turnaround;
    double roundTripsPerSecond = 0;
};

CalculatorSimulatorOptions echoOptions(std::size_t bytes) {
    CalculatorSimulatorOptions o;
    o.deviceType = 0;
    o.recordEchoTimes = true;
    o.stream.crlf = false;
    const std::string form = lineForm(2048);
    o.stream.forms.assign(std::max<std::size_t>(1, bytes / 2048), form);
    return o;
}

EchoRun finishEchoRun(CalculatorSimulator& sim) {
    const CalculatorSimulatorReport r = sim.report();
    if (r.echoErrors || r.echoesMissing || r.streamsCompleted != 1) die("echo run went wrong");
    EchoRun run{r.echoTurnaroundNs, r.bytesSent / (r.lastStreamNs / 1e9)};
    std::sort(run.turnaround.begin(), run.turnaround.end());
    return run;
}

EchoRun runWorkerEcho(std::size_t bytes) {
    const CalculatorSimulatorOptions o = echoOptions(bytes);
    auto sim = startSimulator(o);
    ReceiveControl rc;
    BenchHost host(rc, static_cast<long>(o.stream.forms.size()));
    std::thread t = startWorker(rc, host, sim->slavePath(), 0);
    t.join();
    sim->waitFinished();
    return finishEchoRun(*sim);
}

EchoRun runBareEcho(std::size_t bytes) {
    const CalculatorSimulatorOptions o = echoOptions(bytes);
    const std::size_t count = buildSimulatorStream(o.stream).size();
    auto sim = startSimulator(o);
    // The peer stops by itself after the last echo: looking at the report meanwhile would
    // copy the growing list of turnaround times and slow the simulator down.
    std::atomic<bool> stop{false};
    std::thread t([&] { bareEchoPeer(sim->slavePath(), count, stop); });
    t.join();
    sim->waitFinished();
    return finishEchoRun(*sim);
}

double quantileUs(const std::vector<std::int64_t>& sorted, double q) {
    if (sorted.empty()) return 0;
    return sorted[std::min(sorted.size() - 1, std::size_t(q * sorted.size()))] / 1000.0;
}

void measureEcho(std::size_t bytes, int rounds) {
    std::vector<double> wm, bm, w99, b99, wr, br;
    for (int i = 0; i < rounds; ++i) {
        // Who goes first alternates, so that neither side always meets a warmer machine.
        EchoRun w, b;
        if (i % 2 == 0) {
            w = runWorkerEcho(bytes);
            b = runBareEcho(bytes);
        } else {
            b = runBareEcho(bytes);
            w = runWorkerEcho(bytes);
        }
        std::printf("<!-- round %d: median %.1f us / %.1f us -->\n", i + 1,
                    quantileUs(w.turnaround, 0.5), quantileUs(b.turnaround, 0.5));
        wm.push_back(quantileUs(w.turnaround, 0.5));
        bm.push_back(quantileUs(b.turnaround, 0.5));
        w99.push_back(quantileUs(w.turnaround, 0.99));
        b99.push_back(quantileUs(b.turnaround, 0.99));
        wr.push_back(w.roundTripsPerSecond);
        br.push_back(b.roundTripsPerSecond);
    }
    const double m = median(wm), bmed = median(bm), p = median(w99), bp = median(b99);
    row("Echo turnaround, median", format("%.1f us", m), format("%.1f us", bmed), m / bmed,
        "<= 1.25 x bare", m <= 1.25 * bmed);
    row("Echo turnaround, p99", format("%.1f us", p), format("%.1f us", bp), p / bp, "(reported)",
        true);
    const double w = median(wr), b = median(br);
    const std::string what =
        "Throughput with echo, type 0, " + std::to_string(bytes / 1000) + " KB";
    row(what.c_str(), format("%.0f round trips/s", w), format("%.0f round trips/s", b), w / b,
        ">= 0.8 x bare", w >= 0.8 * b);
}

double runWorkerStream(std::size_t megabytes, double& cpuShare) {
    const CalculatorSimulatorOptions o = streamOptions(megabytes);
    auto sim = startSimulator(o);
    ReceiveControl rc;
    BenchHost host(rc, static_cast<long>(o.stream.forms.size()));
    std::thread t = startWorker(rc, host, sim->slavePath(), 4);
    t.join();
    sim->waitFinished();
    if (host.forms != static_cast<long>(o.stream.forms.size())) die("forms lost");
    cpuShare = (host.cpuAtReportNs - host.cpuAtStartNs) / double(sim->report().lastStreamNs);
    return megabytesPerSecond(*sim);
}

double runDrainStream(std::size_t megabytes) {
    auto sim = startSimulator(streamOptions(megabytes));
    std::atomic<bool> stop{false};
    std::thread t([&] { bareDrain(sim->slavePath(), 4096, stop); });
    waitForStream(*sim);
    stop = true;
    t.join();
    sim->waitFinished();
    return megabytesPerSecond(*sim);
}

void measureStream(std::size_t megabytes, int rounds) {
    std::vector<double> worker, cat, drain, cpu;
    for (int i = 0; i < rounds; ++i) {
        double share = 0;
        worker.push_back(runWorkerStream(megabytes, share));
        cpu.push_back(share);
        cat.push_back(catStream(megabytes));
        drain.push_back(runDrainStream(megabytes));
    }
    const double w = median(worker), c = median(cat);
    // Where the time goes: how busy the worker's thread was, and what poll and read of 4 KB
    // alone reach on the same line.
    std::printf(
        "<!-- worker thread busy %.0f%% of the stream; poll+read(4096) alone: %.1f MB/s -->\n",
        100 * median(cpu), median(drain));
    const std::string what =
        "Throughput without echo, type 4, " + std::to_string(megabytes) + " MB of 2 KB forms";
    // A hundred times the fastest serial line, 1,920 bytes a second; cat tells how fast the
    // machine is.
    row(what.c_str(), format("%.1f MB/s", w), format("%.1f MB/s (cat)", c), w / c,
        ">= 0.2 MB/s (100 x the fastest line)", w >= 0.192);
}

}  // namespace

int main(int argc, char** argv) {
    const auto [what, amount, rounds] = arguments(argc, argv);
    if (what == "header") {
        header("worker", "bare peer");
    } else if (what == "cpu") {
        measureSilentCpu(std::chrono::seconds(amount > 0 ? amount : 30));
    } else if (what == "echo") {
        measureEcho(amount > 0 ? amount : 200000, rounds);
    } else if (what == "stream") {
        measureStream(amount > 0 ? amount : 20, rounds);
    } else {
        std::fprintf(
            stderr,
            "usage: acquisition_bench header | cpu [SECONDS=30] | echo [BYTES=200000 [ROUNDS=3]] "
            "| stream [MEGABYTES=20 [ROUNDS=3]]\n");
        return 2;
    }
    return 0;
}
