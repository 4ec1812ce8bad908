#include "acquisition/AcquisitionThreadProc.h"
#include "ports/ComPortOpener.h"

// Kept apart from the rest of the worker so that programs and tests that script the line
// never need the system's serial layer.
unsigned AcquisitionThreadProc(void* pParam) {
    auto* rc = static_cast<ReceiveControl*>(pParam);
    if (!rc) return 0;
    SteadyClock clock;
    // Closing the window ends the wait for a line that another program holds.
    const SerialOpener opener = [rc](const std::string& name, int rate) {
        return openComPortWith(name, rate, {&rc->m_wake, &rc->m_bAbort});
    };
    return AcquisitionThreadProc(*rc, opener, clock);
}
