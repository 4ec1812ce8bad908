#pragma once

#include <memory>
#include <string>

class CalculatorSimulator;
class Ser2netServer;

// `Tabulon --demo`: a simulated calculator inside the program, on a pseudo-terminal that COM1 is
// pointed at, printing the sample forms in every exchange. It plays the type and speed the
// operator chose for the exchange, so connecting on COM1 receives real forms without hardware.
class DemoCalculator {
public:
    // Where COM1 reaches the simulator: its pseudo-terminal directly, or ser2net serving it on
    // 127.0.0.1 as a network serial server (raw TCP or RFC 2217).
    enum class Route { Direct, Tcp, Rfc2217 };

    explicit DemoCalculator(Route route = Route::Direct);
    ~DemoCalculator();  // stops the simulator

    // Starts the simulator as a calculator of `deviceType` (0..5) at `rate` bit/s and sets
    // TABULON_COM1 to its line. False, with error(), if the pseudo-terminal cannot be had.
    bool start(int deviceType = 0, int rate = 9600);
    // Call before each exchange's worker starts, with the type and speed it will use. Every
    // exchange after the first gets a fresh line, so nothing of an exchange cut short can
    // greet the next one, and a calculator of the type chosen.
    bool prepareExchange(int deviceType, int rate);

    std::string error() const;
    std::string linePath() const;

private:
    bool serve();

    Route m_route;
    std::unique_ptr<Ser2netServer> m_server;  // stopped before the simulator it serves
    std::unique_ptr<CalculatorSimulator> m_sim;
    std::string m_error;
    int m_deviceType = 0;
    int m_rate = 9600;
};
