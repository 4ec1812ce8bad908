// tabulon-modem: a Hayes modem on a pseudo-terminal, for trying dial-up sites by hand.
#include <csignal>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tools/CalculatorSimulator.h"
#include "tools/ModemSimulator.h"
#include "tools/SampleForms.h"

namespace {

constexpr const char* kUsage =
    "usage: tabulon-modem [--guard MS] [--bearer VALUE]... [--deaf] [--other ANSWER]\n"
    "                     NUMBER=ANSWER[/DELAY_MS]...\n"
    "ANSWER: connect:DEVICE (bridge the call to DEVICE), sim (to a calculator simulator\n"
    "        with the sample forms), connect (to nothing), busy, no-answer, no-carrier,\n"
    "        no-dialtone, silent. --bearer: an AT+CBST value taken (default 7,0,1 and\n"
    "        71,0,1). --guard: the escape guard time (default 1000). Prints the line, then\n"
    "        the modem's log when interrupted.\n";

volatile std::sig_atomic_t g_interrupted = 0;
void onSignal(int) {
    g_interrupted = 1;
}

std::optional<ModemCallScript::Answer> answerNamed(const std::string& name) {
    using Answer = ModemCallScript::Answer;
    if (name == "connect" || name == "sim" || name.starts_with("connect:")) return Answer::Connect;
    if (name == "busy") return Answer::Busy;
    if (name == "no-answer") return Answer::NoAnswer;
    if (name == "no-carrier") return Answer::NoCarrier;
    if (name == "no-dialtone") return Answer::NoDialtone;
    if (name == "silent") return Answer::Silent;
    return std::nullopt;
}

// "busy/3000", "connect:/dev/pts/7", "sim"; `simPath` is the line of the simulator for "sim".
std::optional<ModemCallScript> scriptOf(std::string text, const std::string& simPath) {
    ModemCallScript script;
    const auto slash = text.find('/', text.starts_with("connect:") ? text.size() : 0);
    if (slash != std::string::npos) {
        script.delay = std::chrono::milliseconds(std::stoi(text.substr(slash + 1)));
        text.resize(slash);
    }
    const std::optional<ModemCallScript::Answer> answer = answerNamed(text);
    if (!answer) return std::nullopt;
    script.answer = *answer;
    if (text == "sim") script.peer = simPath;
    if (text.starts_with("connect:")) script.peer = text.substr(8);
    return script;
}

bool parse(const std::vector<std::string>& args, const std::string& simPath,
           ModemSimulatorOptions& options) {
    bool bearersGiven = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == "--deaf") {
            options.deaf = true;
        } else if (a == "--guard" && hasValue) {
            options.guardTime = std::chrono::milliseconds(std::stoi(args[++i]));
        } else if (a == "--bearer" && hasValue) {
            if (!std::exchange(bearersGiven, true)) options.bearers.clear();
            options.bearers.push_back(args[++i]);
        } else if (a == "--other" && hasValue) {
            const auto script = scriptOf(args[++i], simPath);
            if (!script) return false;
            options.otherNumbers = *script;
        } else if (const auto eq = a.find('='); eq != std::string::npos && eq > 0) {
            const auto script = scriptOf(a.substr(eq + 1), simPath);
            if (!script) return false;
            options.numbers[a.substr(0, eq)] = *script;
        } else {
            return false;
        }
    }
    return true;
}

std::unique_ptr<CalculatorSimulator> startSimulator() {
    CalculatorSimulatorOptions o;
    for (const SampleForm& f : sampleForms()) o.stream.forms.emplace_back(f.text);
    o.exchanges = 0;
    auto sim = std::make_unique<CalculatorSimulator>(o);
    if (!sim->start()) return nullptr;
    return sim;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::unique_ptr<CalculatorSimulator> sim = startSimulator();
    ModemSimulatorOptions options;
    bool parsed = false;
    try {
        parsed = sim && parse(args, sim->slavePath(), options);
    } catch (const std::exception&) {  // a delay or guard time that is no number
    }
    if (!parsed) {
        std::cerr << kUsage;
        return 2;
    }
    ModemSimulator modem(options);
    if (!modem.start()) {
        std::cerr << "tabulon-modem: " << modem.error() << '\n';
        return 1;
    }
    std::cout << modem.slavePath() << std::endl;
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    while (!g_interrupted) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    modem.stop();
    for (const ModemEvent& e : modem.events()) std::cout << e.ms << ' ' << e.text << '\n';
    return 0;
}
