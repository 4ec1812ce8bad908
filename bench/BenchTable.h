#pragma once

#include <errno.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
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

inline std::string format(const char* f, double v) {
    char text[64];
    std::snprintf(text, sizeof text, f, v);
    return text;
}

[[noreturn]] inline void die(const std::string& why) {
    std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, why.c_str());
    std::exit(1);
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
