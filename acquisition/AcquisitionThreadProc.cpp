#include "acquisition/AcquisitionThreadProc.h"

#include "acquisition/AcquisitionTexts.h"
#include "acquisition/Handshake.h"
#include "acquisition/LineWaiter.h"
#include "acquisition/ReceptionLoop.h"
#include "res/MessageStyle.h"

namespace {

void endFailed(ReceiveControl& rc) {
    rc.m_bReceiving.store(0);
    rc.m_bStop.store(1);
}

unsigned runExchange(ReceiveControl& rc, AcquisitionHost& host, const SerialOpener& opener,
                     Clock& clock) {
    host.setProgressPos(0);
    if (rc.m_nDeviceType >= kDeviceTypeCount) {
        endFailed(rc);
        return ReceptionLoop::kExitOk;
    }
    const DeviceTypeInfo& type = deviceTypeInfo(rc.m_nDeviceType);

    LinkSetup::Result link = LinkSetup::open(opener, rc.m_strPort, rc.m_nRate);
    if (!link.port) {
        if (link.failureText) host.messageBox(*link.failureText, msg::MB_OK);
        endFailed(rc);
        return ReceptionLoop::kExitOk;
    }

    LineWaiter line(*link.port, clock);
    if (type.handshake) {
        const Handshake::Outcome outcome = Handshake::perform(line, type);
        if (outcome != Handshake::Outcome::Accepted) {
            host.messageBox(outcome == Handshake::Outcome::BadReply ? acqtext::kBadReply
                                                                    : acqtext::kLinkNotEstablished,
                            msg::MB_OK);
            endFailed(rc);
            return ReceptionLoop::kExitOk;  // the port closes on the way out
        }
    }
    return ReceptionLoop(rc, host, line, type).run();
}

}  // namespace

unsigned AcquisitionThreadProc(ReceiveControl& rc, const SerialOpener& opener, Clock& clock) {
    AcquisitionHost* host = rc.m_pMainFrame;
    if (!host) {
        endFailed(rc);
        return ReceptionLoop::kExitOk;
    }
    try {
        return runExchange(rc, *host, opener, clock);
    } catch (...) {
        // Nothing may escape a worker thread; the exchange just ends.
        endFailed(rc);
        return ReceptionLoop::kExitOk;
    }
}
