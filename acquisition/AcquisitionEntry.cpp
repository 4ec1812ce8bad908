#include "acquisition/AcquisitionHost.h"
#include "acquisition/AcquisitionThreadProc.h"
#include "ports/ComPortOpener.h"
#include "res/LineTexts.h"

// Kept apart from the rest of the worker so that programs and tests that script the line
// never need the system's serial layer.
unsigned AcquisitionThreadProc(void* pParam) {
    auto* rc = static_cast<ReceiveControl*>(pParam);
    if (!rc) return 0;
    SteadyClock clock;
    // Closing the window ends the wait for a line that another program holds; the strip says
    // what the wait is for.
    const SerialOpener opener = [rc](const std::string& name, int rate) {
        const auto shown = [rc](bool waiting) {
            const int seconds = int(kLineBusyWait / std::chrono::seconds(1));
            if (rc->m_pMainFrame)
                rc->m_pMainFrame->showCallState(waiting ? texts::lineWaiting(seconds) : QString());
        };
        return openComPortWith(name, rate, {&rc->m_wake, &rc->m_bAbort, shown});
    };
    return AcquisitionThreadProc(*rc, opener, clock);
}
