#include "acquisition/AcquisitionThreadProc.h"
#include "ports/ComPortOpener.h"

// Kept apart from the rest of the worker so that programs and tests that script the line
// never need the system's serial layer.
unsigned AcquisitionThreadProc(void* pParam) {
    auto* rc = static_cast<ReceiveControl*>(pParam);
    if (!rc) return 0;
    SteadyClock clock;
    return AcquisitionThreadProc(*rc, openComPort, clock);
}
