#pragma once

#include <errno.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tools/CalculatorSimulator.h"

// What every benchmark program prints and how it gives up: one Markdown row per measure, the
// median of interleaved rounds, and the simulator that plays the calculator.
namespace bench {

inline void row(const std::string& measure, const std::string& ours, const std::string& bare,
                double ratio, const char* target, bool met) {
    std::printf("| %s | %s | %s | %.2f | %s | %s |\n", measure.c_str(), ours.c_str(), bare.c_str(),
                ratio, target, met ? "met" : "MISSED");
    std::fflush(stdout);
}

// The table's head; `ours` and `peer` name the two columns that are measured.
inline void header(const char* ours, const char* peer) {
    std::printf("| measure | %s | %s | ratio | target | verdict |\n", ours, peer);
    std::printf("|---|---|---|---|---|---|\n");
}

// The command line every benchmark program takes: MEASURE [AMOUNT [ROUNDS]].
struct Arguments {
    std::string what;
    long amount = 0;  // 0: the measure's own default
    int rounds = 3;
};

inline Arguments arguments(int argc, char** argv) {
    Arguments a;
    if (argc > 1) a.what = argv[1];
    if (argc > 2) a.amount = std::atol(argv[2]);
    if (argc > 3) a.rounds = std::max(1, std::atoi(argv[3]));
    return a;
}

inline std::string format(const char* f, double v) {
    char text[64];
    std::snprintf(text, sizeof text, f, v);
    return text;
}

[[noreturn]] inline void die(const std::string& why) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, why.c_str());
    std::exit(1);
}

// The 1-minute load average; -1 where the system does not tell.
inline double loadAverage() {
    double load = -1;
    if (FILE* f = std::fopen("/proc/loadavg", "r")) {
        if (std::fscanf(f, "%lf", &load) != 1) load = -1;
        std::fclose(f);
    }
    return load;
}

// After a set-up that kept both cores busy (sending a hundred thousand forms, indexing them), a
// pause until the 1-minute load average is back under 0.7, at most five minutes, so that what
// is measured next is measured on the machine as quiet as it was before. The load then is told
// on the error output: the table's reading after also counts the bench's own clearing up
// (removing the forms, stopping the server).
inline void settle() {
    for (int waited = 0; waited < 300 && loadAverage() >= 0.7; waited += 5)
        std::this_thread::sleep_for(std::chrono::seconds(5));
    std::fprintf(stderr, "1-minute load average when measured: %.2f\n", loadAverage());
}

// The machine is shared, and one round may be unlucky.
inline double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

inline std::unique_ptr<CalculatorSimulator> startSimulator(CalculatorSimulatorOptions o) {
    auto sim = std::make_unique<CalculatorSimulator>(std::move(o));
    if (!sim->start()) die(sim->error());
    return sim;
}

}  // namespace bench
