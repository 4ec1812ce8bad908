// A round over many sites behind several lines: tabulon-collect --all with one exchange per
// line at once, against the same round one site at a time (--jobs 1) and against the slowest
// line's sites alone. Each line is a calculator simulator (type 0, paced at 9600 bit/s) behind
// a ser2net of its own in raw TCP mode. Prints rows of a Markdown table; see bench/README.md.
//
//   round_bench [SITES_PER_LINE=8 [LINES=8]]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "bench/BenchTable.h"
#include "tools/CalculatorSimulator.h"
#include "tools/Ser2netServer.h"

using namespace bench;

namespace {

// A daily report's size: about two seconds of a 9600 bit/s line with every byte echoed.
std::string dailyReport(int site) {
    std::string form = "СУТОЧНАЯ ВЕДОМОСТЬ, объект " + std::to_string(site) + "\n";
    for (int hour = 0; hour < 24; ++hour)
        form += std::to_string(hour) + ":00  94,21  61,08  12,446  0,873\n";
    return form;
}

struct Line {
    std::unique_ptr<CalculatorSimulator> calculator;
    std::unique_ptr<Ser2netServer> server;
};

Line startLine(int index) {
    CalculatorSimulatorOptions o;
    o.deviceType = 0;
    o.rate = 9600;
    o.paceAtLineRate = true;
    o.exchanges = 0;  // every site's exchange, every round
    o.stream.forms = {dailyReport(index)};
    Line line;
    line.calculator = std::make_unique<CalculatorSimulator>(o);
    if (!line.calculator->start()) die(line.calculator->error());
    line.server = std::make_unique<Ser2netServer>(line.calculator->slavePath(),
                                                  Ser2netServer::Mode::Raw, 9600);
    if (!line.server->start()) die(line.server->error());
    return line;
}

// The book: `perLine` sites on each of `lines`, the lines taking turns down the book as a
// district's sites do.
std::string writeBook(const std::string& path, const std::vector<Line>& lines, int perLine,
                      int onlyLine = -1) {
    std::ofstream book(path);
    for (int site = 0; site < perLine; ++site)
        for (int l = 0; l < int(lines.size()); ++l) {
            if (onlyLine >= 0 && l != onlyLine) continue;
            book << "[\"Линия " << l << ", объект " << site << "\"]\nport = \""
                 << lines[std::size_t(l)].server->address() << "\"\ndevice = 0\nspeed = 9600\n";
        }
    return path;
}

struct Round {
    double seconds = 0;
    double cpuSeconds = 0;  // the collector's, user and system, all threads
    int forms = 0;
    int exitCode = -1;
};

int formsIn(const std::string& json) {
    const std::string key = "\"formsReceived\": ";
    const std::size_t at = json.rfind(key);
    return at == std::string::npos ? 0 : std::atoi(json.c_str() + at + key.size());
}

Round runRound(const std::string& dir, const std::string& book, const char* jobs) {
    static int run = 0;
    const std::string out = dir + "/archive" + std::to_string(++run);
    const std::string json = out + ".json";
    std::vector<const char*> argv = {TABULON_COLLECT, "--all",    "--sites", book.c_str(),
                                     "--out",         out.c_str(), "--passes", "1",
                                     "--wait",        "10",        "--json"};
    if (jobs) {
        argv.push_back("--jobs");
        argv.push_back(jobs);
    }
    argv.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 1, json.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&files, 2, (out + ".log").c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const auto started = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[0], &files, nullptr, const_cast<char**>(argv.data()), environ))
        die("cannot start tabulon-collect");
    posix_spawn_file_actions_destroy(&files);
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    Round r;
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    r.cpuSeconds = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::ifstream in(json);
    std::stringstream text;
    text << in.rdbuf();
    r.forms = formsIn(text.str());
    return r;
}

std::string loadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one;
    in >> one;
    return one;
}

void printRound(const char* name, const Round& r, int sites) {
    std::printf("| %s | %.1f s | %d / %d | %d | %.3f s | %.1f ms |\n", name, r.seconds, r.forms,
                sites, r.exitCode, r.cpuSeconds,
                r.forms ? 1000 * r.cpuSeconds / r.forms : 0.0);
    std::fflush(stdout);
}

// The three targets: within 1.25 x the slowest line alone, 6 x faster than one at a time, no
// more processor time a form.
void printVerdicts(const Round& parallel, const Round& alone, const Round& serial) {
    header("parallel round", "peer");
    row("Round time against the slowest line alone", format("%.1f s", parallel.seconds),
        format("%.1f s", alone.seconds), parallel.seconds / alone.seconds, "at most 1.25",
        parallel.seconds <= 1.25 * alone.seconds);
    row("Round time against one at a time", format("%.1f s", parallel.seconds),
        format("%.1f s", serial.seconds), serial.seconds / parallel.seconds, "at least 6",
        serial.seconds >= 6 * parallel.seconds);
    const double cpuParallel = parallel.forms ? parallel.cpuSeconds / parallel.forms : 0;
    const double cpuSerial = serial.forms ? serial.cpuSeconds / serial.forms : 0;
    row("Collector CPU a form against one at a time", format("%.1f ms", 1000 * cpuParallel),
        format("%.1f ms", 1000 * cpuSerial), cpuSerial > 0 ? cpuParallel / cpuSerial : 0,
        "at most 1.0 (within the noise)", cpuParallel <= 1.1 * cpuSerial);
}

}  // namespace

int main(int argc, char** argv) {
    const int perLine = argc > 1 ? std::max(1, std::atoi(argv[1])) : 8;
    const int lineCount = argc > 2 ? std::max(1, std::atoi(argv[2])) : 8;
    char dirTemplate[] = "/tmp/round_bench.XXXXXX";
    if (!::mkdtemp(dirTemplate)) die("no temporary folder");
    const std::string dir = dirTemplate;
    ::setenv("HOME", dir.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (dir + "/config").c_str(), 1);
    ::setenv("TABULON_INI", (dir + "/Tabulon.ini").c_str(), 1);
    ::setenv("TABULON_LOCK_DIR", dir.c_str(), 1);

    std::vector<Line> lines;
    for (int l = 0; l < lineCount; ++l) lines.push_back(startLine(l));
    const std::string all = writeBook(dir + "/all.toml", lines, perLine);
    // Every line carries the same sites, so the first stands for the slowest.
    const std::string one = writeBook(dir + "/one.toml", lines, perLine, 0);
    const int sites = perLine * lineCount;

    std::printf("<!-- load average before: %s -->\n", loadAverage().c_str());
    std::printf("| round (%d sites, %d lines) | time | forms | exit | collector CPU | CPU a form |\n",
                sites, lineCount);
    std::printf("|---|---|---|---|---|---|\n");
    const Round parallel = runRound(dir, all, nullptr);
    printRound("every line at once", parallel, sites);
    const Round alone = runRound(dir, one, nullptr);
    printRound("the slowest line alone", alone, perLine);
    const Round serial = runRound(dir, all, "1");
    printRound("one at a time (--jobs 1)", serial, sites);
    std::printf("<!-- load average after: %s -->\n\n", loadAverage().c_str());

    printVerdicts(parallel, alone, serial);
    lines.clear();
    std::error_code error;
    std::filesystem::remove_all(dir, error);
    return 0;
}
