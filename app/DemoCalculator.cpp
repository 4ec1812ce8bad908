#include "app/DemoCalculator.h"

#include <QByteArray>
#include <QtGlobal>

#include "tools/CalculatorSimulator.h"
#include "tools/SampleForms.h"
#include "tools/Ser2netServer.h"

DemoCalculator::DemoCalculator(Route route) : m_route(route) {}

DemoCalculator::~DemoCalculator() {
    m_server.reset();
    if (m_sim) m_sim->stop();
}

bool DemoCalculator::start(int deviceType, int rate) {
    CalculatorSimulatorOptions options;
    options.deviceType = m_deviceType = deviceType;
    options.rate = m_rate = rate;
    for (const SampleForm& form : sampleForms()) options.stream.forms.emplace_back(form.text);
    options.paceAtLineRate = true;  // the forms arrive as fast as a real line brings them
    options.echoTimeout = std::chrono::milliseconds(0);  // the operator may read the question
    options.exchanges = 1;
    m_server.reset();
    if (m_sim) m_sim->stop();
    m_sim = std::make_unique<CalculatorSimulator>(options);
    if (!m_sim->start()) {
        m_error = m_sim->error();
        m_sim.reset();
        return false;
    }
    if (m_route != Route::Direct) return serve();
    qputenv("TABULON_COM1", QByteArray::fromStdString(m_sim->slavePath()));
    return true;
}

bool DemoCalculator::serve() {
    const auto mode =
        m_route == Route::Tcp ? Ser2netServer::Mode::Raw : Ser2netServer::Mode::Rfc2217;
    m_server = std::make_unique<Ser2netServer>(m_sim->slavePath(), mode, m_rate);
    if (!m_server->start()) {
        m_error = m_server->error();
        m_server.reset();
        return false;
    }
    qputenv("TABULON_COM1", QByteArray::fromStdString(m_server->address()));
    return true;
}

bool DemoCalculator::prepareExchange(int deviceType, int rate) {
    const bool unused = m_sim && m_sim->report().exchanges == 0;
    if (unused && deviceType == m_deviceType && rate == m_rate) return true;
    return start(deviceType, rate);
}

std::string DemoCalculator::error() const {
    return m_error;
}

std::string DemoCalculator::linePath() const {
    if (m_server) return m_server->address();
    return m_sim ? m_sim->slavePath() : std::string();
}
