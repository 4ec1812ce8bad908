// tabulon-collect, the whole program, against bare peers on the same kind of pseudo-terminal:
// type 4 throughput against cat, echo turnaround against one bare echoing thread, and the
// resident size after 100 and after 10,000 forms, and the processor time while a line of 19,200
// bit/s runs. Prints rows of a Markdown table.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "bench/BenchTable.h"
#include "bench/StreamRun.h"
#include "bench/acquisition/BarePeers.h"
#include "tools/CalculatorSimulator.h"

using namespace bench;

namespace {

using namespace std::chrono_literals;

std::string g_out;  // the archive folder of the running tabulon-collect

// The words of TABULON_BENCH_WRAP, run in front of tabulon-collect: a counter such as
// "strace -c -f -o /tmp/calls" or "valgrind --tool=callgrind". The figures of the measure then
// are the wrapper's, and only what it writes counts.
std::vector<std::string> wrapper() {
    std::vector<std::string> words;
    std::istringstream in(std::getenv("TABULON_BENCH_WRAP") ? std::getenv("TABULON_BENCH_WRAP") : "");
    for (std::string word; in >> word;) words.push_back(word);
    return words;
}

// tabulon-collect on COM1 = `path`, archiving into a folder of its own that goes afterwards.
// With `passes` 2 it stays, after the stream, in a second pass that waits `wait` seconds.
pid_t startCollect(const std::string& path, int type, const char* passes = "1",
                   const char* wait = "2") {
    static int run = 0;
    const std::string out =
        "/tmp/collect_bench." + std::to_string(::getpid()) + "." + std::to_string(++run);
    g_out = out;
    ::setenv("TABULON_COM1", path.c_str(), 1);
    ::setenv("TABULON_INI", (out + ".ini").c_str(), 1);
    const std::string device = std::to_string(type);
    const std::vector<std::string> wrap = wrapper();
    std::vector<const char*> argv;
    for (const std::string& word : wrap) argv.push_back(word.c_str());
    for (const char* arg : {TABULON_COLLECT, "--port", "COM1", "--device", device.c_str(),
                            "--speed", "19200", "--passes", passes, "--wait", wait, "--out",
                            out.c_str()})
        argv.push_back(arg);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, argv[0], &quiet, nullptr, const_cast<char**>(argv.data()),
                       environ) != 0)
        die("cannot start tabulon-collect");
    posix_spawn_file_actions_destroy(&quiet);
    return pid;
}

void endCollect(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    // The archive folders of this run, each named after this process.
    const std::string prefix = "collect_bench." + std::to_string(::getpid()) + ".";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/tmp", error))
        if (entry.path().filename().string().starts_with(prefix))
            std::filesystem::remove_all(entry.path(), error);
}

double collectStream(std::size_t megabytes) {
    auto sim = startSimulator(streamOptions(megabytes));
    const pid_t pid = startCollect(sim->slavePath(), 4);
    waitForStream(*sim);
    const double mbps = megabytesPerSecond(*sim);
    endCollect(pid);
    return mbps;
}

// A hundred times the fastest serial line, 1,920 bytes a second, in MB/s.
constexpr double kHundredLines = 0.192;

// The type 4 stream as fast as the pseudo-terminal takes it, the archive on; cat's figure
// beside it tells how fast the machine is.
void measureStream(std::size_t megabytes, int rounds) {
    std::vector<double> ours, cat;
    for (int i = 0; i < rounds; ++i) {
        if (i % 2 == 0) {
            ours.push_back(collectStream(megabytes));
            cat.push_back(catStream(megabytes));
        } else {
            cat.push_back(catStream(megabytes));
            ours.push_back(collectStream(megabytes));
        }
        std::printf("<!-- round %d: %.1f / %.1f MB/s -->\n", i + 1, ours.back(), cat.back());
    }
    const double w = median(ours), c = median(cat);
    row("tabulon-collect throughput, type 4, " + std::to_string(megabytes) + " MB of 2 KB forms",
        format("%.1f MB/s", w), format("%.1f MB/s (cat)", c), w / c,
        ">= 0.2 MB/s (100 x the fastest line)", w >= kHundredLines);
}

CalculatorSimulatorOptions echoOptions(std::size_t bytes) {
    CalculatorSimulatorOptions o;
    o.deviceType = 0;
    o.recordEchoTimes = true;
    o.stream.crlf = false;
    o.stream.forms.assign(std::max<std::size_t>(1, bytes / 2048), lineForm(2048));
    return o;
}

double medianTurnaroundUs(const CalculatorSimulator& sim) {
    CalculatorSimulatorReport r = sim.report();
    if (r.echoErrors || r.echoesMissing || r.streamsCompleted != 1) die("echo run went wrong");
    std::sort(r.echoTurnaroundNs.begin(), r.echoTurnaroundNs.end());
    return r.echoTurnaroundNs[r.echoTurnaroundNs.size() / 2] / 1000.0;
}

double collectEcho(std::size_t bytes) {
    auto sim = startSimulator(echoOptions(bytes));
    const pid_t pid = startCollect(sim->slavePath(), 0);
    waitForStream(*sim);
    const double us = medianTurnaroundUs(*sim);
    endCollect(pid);
    return us;
}

double bareEcho(std::size_t bytes) {
    const CalculatorSimulatorOptions o = echoOptions(bytes);
    const std::size_t count = buildSimulatorStream(o.stream).size();
    auto sim = startSimulator(o);
    std::atomic<bool> stop{false};
    std::thread t([&] { bareEchoPeer(sim->slavePath(), count, stop); });
    t.join();
    sim->waitFinished();
    return medianTurnaroundUs(*sim);
}

void measureEcho(std::size_t bytes, int rounds) {
    std::vector<double> ours, bare;
    for (int i = 0; i < rounds; ++i) {
        if (i % 2 == 0) {
            ours.push_back(collectEcho(bytes));
            bare.push_back(bareEcho(bytes));
        } else {
            bare.push_back(bareEcho(bytes));
            ours.push_back(collectEcho(bytes));
        }
        std::printf("<!-- round %d: %.1f / %.1f us -->\n", i + 1, ours.back(), bare.back());
    }
    const double w = median(ours), b = median(bare);
    row("tabulon-collect echo turnaround, median, type 0", format("%.1f us", w),
        format("%.1f us", b), w / b, "<= 1.1 x bare", w <= 1.1 * b);
}

// Processor time (ns) of all threads of `pid` so far, as the scheduler counts it.
long long processCpuNs(pid_t pid) {
    long long total = 0;
    std::error_code e;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, e)) {
        std::ifstream f(task.path() / "schedstat");
        long long ns = 0;
        if (f >> ns) total += ns;
    }
    return total;
}

// Context switches, voluntary and not, of all threads of `pid` so far: each is a thread put to
// sleep or taken off a core. Unlike the processor time, the voluntary ones hardly depend on
// what else the machine runs.
long long processSwitches(pid_t pid) {
    long long total = 0;
    std::error_code e;
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks, e)) {
        std::ifstream f(task.path() / "status");
        for (std::string line; std::getline(f, line);)
            if (line.find("ctxt_switches:") != std::string::npos)
                total += std::atoll(line.c_str() + line.find(':') + 1);
    }
    return total;
}

long long threadCpuNs() {
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1000000000LL + t.tv_nsec;
}

long long steadyNs() {
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

// `seconds` of 2 KB forms paced as a line of 19,200 bit/s brings them.
CalculatorSimulatorOptions pacedOptions(int type, long seconds) {
    CalculatorSimulatorOptions o;
    o.deviceType = type;
    o.rate = 19200;
    o.paceAtLineRate = true;
    o.stream.crlf = false;
    o.stream.forms.assign(std::max<long>(2, seconds * 1920 / 2048), lineForm(2048));
    return o;
}

// A process's share of a core and its context switches per byte while the paced stream of
// `sim` runs, from its first form on (start-up is not the line's cost).
std::pair<double, double> pacedShare(CalculatorSimulator& sim, pid_t pid) {
    while (sim.report().bytesSent < 2048 && !sim.finished()) std::this_thread::sleep_for(5ms);
    const long long cpu0 = processCpuNs(pid), t0 = steadyNs(), s0 = processSwitches(pid);
    const std::size_t bytes0 = sim.report().bytesSent;
    waitForStream(sim);
    const long long cpu1 = processCpuNs(pid), t1 = steadyNs(), s1 = processSwitches(pid);
    const std::size_t bytes = sim.report().bytesSent - bytes0;
    return {double(cpu1 - cpu0) / double(t1 - t0), double(s1 - s0) / double(bytes)};
}

// tabulon-collect on the paced stream, with the archive on.
std::pair<double, double> collectPacedShare(int type, long seconds) {
    auto sim = startSimulator(pacedOptions(type, seconds));
    const pid_t pid = startCollect(sim->slavePath(), type);
    const auto share = pacedShare(*sim, pid);
    endCollect(pid);
    return share;
}

// One bare thread echoing the paced stream, in a process of its own as tabulon-collect is:
// a thread inside the simulator's process shares its address space, and on a core that both
// take turns on, each byte's two switches then cost it half of what they cost any other
// program (7.8 against 16 us a byte in a ping-pong pinned to one core of the development
// machine).
std::pair<double, double> bareEchoPacedShare(long seconds) {
    const CalculatorSimulatorOptions o = pacedOptions(0, seconds);
    const std::string count = std::to_string(buildSimulatorStream(o.stream).size());
    auto sim = startSimulator(o);
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const char* argv[] = {self.c_str(), "bare-echo", sim->slavePath().c_str(), count.c_str(),
                          nullptr};
    pid_t pid = 0;
    if (::posix_spawn(&pid, self.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ) !=
        0)
        die("cannot start the bare echoing process");
    const auto share = pacedShare(*sim, pid);
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    sim->waitFinished();
    return share;
}

// The same bare thread inside this process, as the figure was taken before: shown, not judged.
double bareEchoThreadShare(long seconds) {
    const CalculatorSimulatorOptions o = pacedOptions(0, seconds);
    const std::size_t count = buildSimulatorStream(o.stream).size();
    auto sim = startSimulator(o);
    std::atomic<bool> stop{false};
    double share = 0;
    std::thread t([&] {
        const long long cpu0 = threadCpuNs(), t0 = steadyNs();
        bareEchoPeer(sim->slavePath(), count, stop);
        share = double(threadCpuNs() - cpu0) / double(steadyNs() - t0);
    });
    t.join();
    sim->waitFinished();
    return share;
}

// Interleaved rounds of the three on the type 0 line, the median of each: one 20 s round moves
// with whatever else the machine did meanwhile. The bare process against the bare thread says
// what a process of its own costs before any of our code runs.
void measurePaced(long seconds, int rounds) {
    std::vector<double> ours, bare, bareThread, ourSwitches, bareSwitches;
    for (int i = 0; i < rounds; ++i) {
        const auto [o, os] = collectPacedShare(0, seconds);
        const auto [b, bs] = bareEchoPacedShare(seconds);
        ours.push_back(o), ourSwitches.push_back(os);
        bare.push_back(b), bareSwitches.push_back(bs);
        bareThread.push_back(bareEchoThreadShare(seconds));
        std::printf("<!-- round %d: %.2f / %.2f (process) / %.2f (thread) %% of a core -->\n",
                    i + 1, 100 * o, 100 * b, 100 * bareThread.back());
    }
    std::printf("<!-- context switches per byte, type 0: %.3f / %.3f (echoing process) -->\n",
                median(ourSwitches), median(bareSwitches));
    const double w = median(ours), b = median(bare), t = median(bareThread);
    const std::string what =
        "tabulon-collect processor time at 19,200 bit/s, type 0, " + std::to_string(seconds) + " s";
    row(what, format("%.2f %% of a core", 100 * w), format("%.2f %% (echoing process)", 100 * b),
        w / b, "<= 1.2 x bare", w <= 1.2 * b);
    row(what + ", against a thread in the simulator's process", format("%.2f %% of a core", 100 * w),
        format("%.2f %% (echoing thread)", 100 * t), w / t, "<= 1.2 x bare", w <= 1.2 * t);
    std::printf("| the bare echoing process against the bare echoing thread | %.2f %% | %.2f %% | "
                "%.2f | - (what a process of its own costs) | - |\n",
                100 * b, 100 * t, b / t);
    const auto [quiet, quietSwitches] = collectPacedShare(4, seconds);
    std::printf("<!-- context switches per byte, type 4: %.3f -->\n", quietSwitches);
    row("tabulon-collect processor time at 19,200 bit/s, type 4, " + std::to_string(seconds) +
            " s",
        format("%.2f %% of a core", 100 * quiet), "-", quiet / 0.01, "< 1 % of a core",
        quiet < 0.01);
}

long statusKb(pid_t pid, const std::string& field) {
    std::ifstream f("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(f, line);)
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + field.size());
    return -1;
}

std::size_t filesIn(const std::string& folder) {
    std::size_t count = 0;
    std::error_code e;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, e);
         it != std::filesystem::recursive_directory_iterator(); it.increment(e))
        if (it->is_regular_file() && it->path().filename().string()[0] != '.') ++count;
    return count;
}

// The resident size of tabulon-collect after `forms` small forms, all of them in the archive,
// read while it waits in a second pass; and its peak meanwhile.
std::pair<long, long> residentKbAfter(int forms) {
    CalculatorSimulatorOptions o;
    o.deviceType = 4;
    // At the throughput target, 100 times the fastest line: a flood beyond it leaves a backlog
    // whose freed memory the allocator keeps, which no line brings about.
    o.bytesPerSecond = 100 * 1920;
    for (int i = 0; i < forms; ++i)
        o.stream.forms.push_back("Ведомость N" + std::to_string(i + 1) +
                                 "\nt1 = 94.21  t2 = 61.08  Q = 0.413 Гкал\n");
    auto sim = startSimulator(o);
    const pid_t pid = startCollect(sim->slavePath(), 4, "2", "120");
    waitForStream(*sim);
    while (filesIn(g_out) < std::size_t(forms)) std::this_thread::sleep_for(20ms);
    std::this_thread::sleep_for(1500ms);  // into the second pass
    const std::pair<long, long> kb{statusKb(pid, "VmRSS:"), statusKb(pid, "VmHWM:")};
    std::printf("<!-- %d forms: anonymous %ld KiB, file %ld KiB -->\n", forms,
                statusKb(pid, "RssAnon:"), statusKb(pid, "RssFile:"));
    ::kill(pid, SIGTERM);
    endCollect(pid);
    return kb;
}

void measureMemory() {
    const auto small = residentKbAfter(100), large = residentKbAfter(10000);
    std::printf("<!-- peak resident size: %ld KiB after 100 forms, %ld KiB after 10,000 -->\n",
                small.second, large.second);
    row("tabulon-collect resident size after 10,000 small forms against after 100",
        format("%.0f KiB", double(large.first)), format("%.0f KiB", double(small.first)),
        double(large.first) / double(small.first), "<= 1.1 x", large.first <= 1.1 * small.first);
}

}  // namespace

int main(int argc, char** argv) {
    const auto [what, amount, rounds] = arguments(argc, argv);
    if (what == "header") {
        header("tabulon-collect", "bare peer");
    } else if (what == "stream") {
        measureStream(amount > 0 ? amount : 20, rounds);
    } else if (what == "echo") {
        measureEcho(amount > 0 ? amount : 200000, rounds);
    } else if (what == "memory") {
        measureMemory();
    } else if (what == "paced") {
        measurePaced(amount > 0 ? amount : 10, rounds);
    } else if (what == "bare-echo" && argc == 4) {  // the peer of `paced`, run by it
        const std::atomic<bool> stop{false};
        bareEchoPeer(argv[2], std::strtoul(argv[3], nullptr, 10), stop);
        ::pause();  // until measured: the figures of an ended process are gone
    } else {
        std::fprintf(stderr,
                     "usage: collect_bench header | stream [MEGABYTES=20 [ROUNDS=3]] | echo "
                     "[BYTES=200000 [ROUNDS=3]] | memory | paced [SECONDS=10 [ROUNDS=3]]\n");
        return 2;
    }
    return 0;
}
