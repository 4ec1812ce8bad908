#pragma once

#include <atomic>
#include <optional>
#include <string>

#include "acquisition/DeviceType.h"
#include "modem/DialPlan.h"
#include "platform/WakeSignal.h"

class AcquisitionHost;
class QObject;

// The state the user-interface thread and the worker share. The flags are atomics; the rest
// is written by the connect command before the worker starts, or only on the UI thread.
struct ReceiveControl {
    std::atomic<int> m_bStop{0};       // leave the current reading pass
    std::atomic<int> m_bAbort{0};      // the receiving window is closing: end without questions
    std::atomic<int> m_bReceiving{0};  // an exchange runs
    std::string m_strPort = "COM1";
    int m_nRate = 9600;
    DeviceType m_nDeviceType = 0;
    // A dial-up site: the port is its modem's, and the calculator is called at this plan's
    // number before the exchange; none for a calculator on the port itself.
    std::optional<DialPlan> m_dial;
    // The receiving view and window belong to the user interface: the worker never touches them,
    // so they are held here as plain objects. UI thread only; cleared when they die.
    QObject* m_pView = nullptr;
    AcquisitionHost* m_pMainFrame = nullptr;  // the main frame, as the worker sees it
    QObject* m_pReceivingFrame = nullptr;

    // Ends the worker's current wait at once; the flag says what the wake means.
    WakeSignal m_wake;

    // The stop command: leave the current reading pass.
    void requestStop() {
        m_bStop.store(1);
        m_wake.raise();
    }
    // A confirmed close of the receiving window, or the end of the program: the worker ends
    // wherever it is, asks nothing more and writes nothing.
    void requestAbort() {
        m_bAbort.store(1);
        m_bStop.store(1);
        m_wake.raise();
    }
};
