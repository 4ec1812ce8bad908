#pragma once

#include <string>
#include <vector>

#include "tools/CalculatorSimulator.h"

// The command line of tabulon-sim, read into simulator options. Form files are only named
// here; the command reads them.
struct SimulatorArguments {
    CalculatorSimulatorOptions options;
    std::vector<std::string> formFiles;
    bool samples = false;  // send the built-in sample forms
    bool help = false;
    std::string error;  // set when the arguments make no sense
};

SimulatorArguments parseSimulatorArguments(const std::vector<std::string>& args);

extern const char* const kSimulatorUsage;
