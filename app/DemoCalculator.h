#pragma once

#include <memory>
#include <string>

class CalculatorSimulator;

// `Tabulon --demo`: a simulated КСМ-Р calculator inside the program, on a pseudo-terminal that
// COM1 is pointed at, printing the sample forms in every exchange. Connecting with the default
// settings (COM1, КСМ-Р, 9600) then receives real forms without any hardware.
class DemoCalculator {
public:
    DemoCalculator();
    ~DemoCalculator();  // stops the simulator

    // Starts the simulator and sets TABULON_COM1 to its line. False, with Error(), if the
    // pseudo-terminal cannot be had.
    bool Start();
    // Call before each exchange's worker starts. A pseudo-terminal keeps what was written to it
    // while nobody had it open, so bytes of an exchange that was cut short would greet the next
    // one as its handshake reply: every exchange after the first gets a fresh line.
    bool PrepareExchange();

    std::string Error() const;
    std::string LinePath() const;

private:
    std::unique_ptr<CalculatorSimulator> m_sim;
    std::string m_error;
};
