#pragma once

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <thread>

#include "bench/BenchTable.h"
#include "tools/CalculatorSimulator.h"
#include "tools/Cp866Encoder.h"

extern char** environ;

// The type-4 stream that the throughput measures share, and `cat` as its bare reader.
namespace bench {

// A form of exactly `size` bytes on the line, its form end included.
inline std::string lineForm(std::size_t size) {
    const std::string line = "14.01 12:00  t1= 94.21 C  t2= 61.08 C  M1=12.446 т  Q=0.413 Гкал\n";
    std::string form;
    while (utf8ToCp866(form + line).size() < size - 1) form += line;
    form.append(size - 1 - utf8ToCp866(form).size(), '.');
    return form;
}

// `megabytes` of 2 KB forms from a type-4 calculator, which neither waits for nor wants echoes.
inline CalculatorSimulatorOptions streamOptions(std::size_t megabytes) {
    CalculatorSimulatorOptions o;
    o.deviceType = 4;
    o.stream.crlf = false;
    o.stream.forms.assign(megabytes * 1024 * 1024 / 2048, lineForm(2048));
    return o;
}

inline void waitForStream(CalculatorSimulator& sim) {
    while (sim.report().streamsCompleted == 0 && !sim.finished())
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

// As the simulator timed it, from the first byte written to the last.
inline double megabytesPerSecond(const CalculatorSimulator& sim) {
    const CalculatorSimulatorReport r = sim.report();
    if (r.streamsCompleted != 1) die("stream run went wrong");
    return r.bytesSent / 1e6 / (r.lastStreamNs / 1e9);
}

// The bare peer: `cat` reading the same kind of pseudo-terminal into /dev/null.
inline double catStream(std::size_t megabytes) {
    auto sim = startSimulator(streamOptions(megabytes));
    const std::string path = sim->slavePath();
    const char* argv[] = {"sh", "-c", "exec cat \"$0\" > /dev/null 2>&1", path.c_str(), nullptr};
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        die("cannot start cat");
    waitForStream(*sim);
    sim->stop();
    sim->waitFinished();
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    return megabytesPerSecond(*sim);
}

}  // namespace bench
