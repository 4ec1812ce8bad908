#pragma once

#include "acquisition/ExchangeOutcome.h"
#include "acquisition/LinkSetup.h"
#include "acquisition/ReceiveControl.h"
#include "platform/Clock.h"

// One whole exchange with the calculator, on the worker thread: opening the port, the
// handshake, the reading passes, and the end. `rc.m_pMainFrame` is the AcquisitionHost.
// Returns how the exchange ended; m_bReceiving is 0 and the port closed when it returns.
ExchangeOutcome runExchange(ReceiveControl& rc, const SerialOpener& opener, Clock& clock);

// The thread's entry point: the exchange on the machine's ports, `pParam` the ReceiveControl
// block. Returns 0, or 0xFFFFFFFF when the settings could not be written at the end.
unsigned AcquisitionThreadProc(void* pParam);

// The same with the port opener and the clock given, so that tests can script the line.
unsigned AcquisitionThreadProc(ReceiveControl& rc, const SerialOpener& opener, Clock& clock);
