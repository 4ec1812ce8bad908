#include "acquisition/AcquisitionThreadProc.h"

#include "acquisition/Handshake.h"
#include "acquisition/LineWaiter.h"
#include "acquisition/ReceptionLoop.h"
#include "res/MessageStyle.h"
#include "res/Texts.h"

namespace {

void endFailed(ReceiveControl& rc) {
    rc.m_bReceiving.store(0);
    rc.m_bStop.store(1);
}

// The operator closed the receiving window or left the program: nothing more is asked or shown.
bool endedIfAborted(ReceiveControl& rc) {
    if (!rc.m_bAbort.load()) return false;
    rc.m_bReceiving.store(0);
    return true;
}

// Tells the operator why the exchange could not begin, unless the operator is leaving.
unsigned endWithMessage(ReceiveControl& rc, AcquisitionHost& host, const QString* text) {
    if (!endedIfAborted(rc)) {
        if (text) host.messageBox(*text, msg::MB_OK);
        endFailed(rc);
    }
    return ReceptionLoop::kExitOk;
}

unsigned runExchange(ReceiveControl& rc, AcquisitionHost& host, const SerialOpener& opener,
                     Clock& clock) {
    host.setProgressPos(0);
    if (rc.m_nDeviceType >= kDeviceTypeCount) return endWithMessage(rc, host, nullptr);
    const DeviceTypeInfo& type = deviceTypeInfo(rc.m_nDeviceType);

    LinkSetup::Result link = LinkSetup::open(opener, rc.m_strPort, rc.m_nRate);
    if (!link.port)
        return endWithMessage(rc, host, link.failureText ? &*link.failureText : nullptr);

    // The port closes on every way out, after the flags are final.
    LineWaiter line(*link.port, clock, &rc.m_wake);
    if (type.handshake) {
        switch (Handshake::perform(line, type, rc.m_bAbort)) {
            case Handshake::Outcome::Accepted:
                break;
            case Handshake::Outcome::BadReply:
                return endWithMessage(rc, host, &texts::kBadReply);
            case Handshake::Outcome::NotEstablished:
            case Handshake::Outcome::Aborted:
                return endWithMessage(rc, host, &texts::kLinkNotEstablished);
        }
    }
    if (endedIfAborted(rc)) return ReceptionLoop::kExitOk;
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
