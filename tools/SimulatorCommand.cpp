// tabulon-sim: a calculator on a pseudo-terminal or serial device, for trying Tabulon by hand.
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "tools/CalculatorSimulator.h"
#include "tools/SampleForms.h"
#include "tools/SimulatorArguments.h"

namespace {

volatile std::sig_atomic_t g_interrupted = 0;
void onSignal(int) {
    g_interrupted = 1;
}

bool readFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

void printReport(const CalculatorSimulatorReport& r) {
    std::cout << "exchanges: " << r.exchanges << "\nhandshakes seen: " << r.handshakesSeen
              << "\nstreams completed: " << r.streamsCompleted << "\nbytes sent: " << r.bytesSent
              << "\nechoes checked: " << r.echoesChecked << "\necho errors: " << r.echoErrors
              << "\nechoes missing: " << r.echoesMissing
              << "\nunexpected bytes: " << r.unexpectedBytes
              << "\nvanished: " << (r.vanished ? "yes" : "no") << '\n';
    for (const std::string& p : r.problems) std::cout << "problem: " << p << '\n';
}

}  // namespace

int main(int argc, char** argv) {
    SimulatorArguments args = parseSimulatorArguments({argv + 1, argv + argc});
    if (args.help || !args.error.empty()) {
        if (!args.error.empty()) std::cerr << "tabulon-sim: " << args.error << '\n';
        std::cerr << kSimulatorUsage;
        return args.help ? 0 : 2;
    }
    for (const std::string& path : args.formFiles) {
        std::string text;
        if (!readFile(path, text)) {
            std::cerr << "tabulon-sim: cannot read " << path << '\n';
            return 1;
        }
        args.options.stream.forms.push_back(text);
    }
    if (args.samples)
        for (const SampleForm& f : sampleForms()) args.options.stream.forms.emplace_back(f.text);

    CalculatorSimulator sim(args.options);
    if (!sim.start()) {
        std::cerr << "tabulon-sim: " << sim.error() << '\n';
        return 1;
    }
    std::cout << sim.slavePath() << std::endl;

    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    while (!sim.waitFinished(std::chrono::milliseconds(100)))
        if (g_interrupted) sim.stop();
    const CalculatorSimulatorReport report = sim.report();
    printReport(report);
    return report.echoErrors || report.echoesMissing ? 3 : 0;
}
