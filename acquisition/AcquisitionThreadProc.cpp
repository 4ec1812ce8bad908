#include "acquisition/AcquisitionThreadProc.h"

#include "acquisition/Handshake.h"
#include "acquisition/LineWaiter.h"
#include "acquisition/ReceptionLoop.h"
#include "modem/HayesDialer.h"
#include "res/ModemTexts.h"

namespace {

// The operator closed the receiving window or left the program: nothing more is asked or shown.
bool endedIfAborted(ReceiveControl& rc) {
    if (!rc.m_bAbort.load()) return false;
    rc.m_bReceiving.store(0);
    return true;
}

// Tells the operator why the exchange could not begin, unless the operator is leaving. Some
// steps fail without a word (`shown` false); the outcome says it all the same.
ExchangeOutcome endFailed(ReceiveControl& rc, AcquisitionHost& host, ExchangeOutcome kind,
                          bool shown = true, const QString& detail = {}) {
    if (endedIfAborted(rc)) return ExchangeOutcome::StoppedByOperator;
    if (shown) host.reportFailure(kind, detail);
    rc.m_bReceiving.store(0);
    rc.m_bStop.store(1);
    return kind;
}

ExchangeOutcome handshakeFailure(Handshake::Outcome outcome) {
    return outcome == Handshake::Outcome::BadReply ? ExchangeOutcome::BadReply
                                                   : ExchangeOutcome::NoHandshake;
}

// Tells what the line brought however the exchange leaves it, an exception included.
struct BytesOnExit {
    const LineWaiter& line;
    std::uint64_t& bytes;
    ~BytesOnExit() { bytes = line.bytesRead(); }
};

// Calls a dial-up site's calculator through its modem; the exchange's end when no call came
// about (the modem is on-hook again then), none when the call is up.
std::optional<ExchangeOutcome> placeCall(ReceiveControl& rc, AcquisitionHost& host,
                                         HayesDialer& dialer) {
    host.showCallState(modemTexts::kDialling);
    const DialOutcome dial = dialer.dial(rc.m_bStop, &rc.m_wake);
    if (dial == DialOutcome::Connected) {
        host.showCallState(modemTexts::connected(QString::fromStdString(dialer.connectText())));
        return std::nullopt;
    }
    host.showCallState({});
    if (dial == DialOutcome::Stopped)
        return endFailed(rc, host, ExchangeOutcome::StoppedByOperator, false);
    const int timeoutS = int(std::chrono::seconds(rc.m_dial->dialTimeout).count());
    return endFailed(rc, host, *exchangeOutcomeOf(dial), true, dialOutcomeText(dial, timeoutS));
}

ExchangeOutcome exchangeOnLine(ReceiveControl& rc, AcquisitionHost& host,
                               const SerialOpener& opener, Clock& clock, std::uint64_t& bytes) {
    host.setProgressPos(0);
    if (rc.m_nDeviceType >= kDeviceTypeCount)
        return endFailed(rc, host, ExchangeOutcome::OpenFailed, false);
    const DeviceTypeInfo& type = deviceTypeInfo(rc.m_nDeviceType);

    LinkSetup::Result link = LinkSetup::open(opener, rc.m_strPort, rc.m_nRate);
    if (!link.port)
        return endFailed(rc, host, ExchangeOutcome::OpenFailed, link.failureText.has_value(),
                         link.failureText.value_or(QString()));

    // A dial-up site's call comes up before the exchange and is hung up on every way out
    // after it: the dialer outlives the line's waiter, and its end hangs up.
    std::optional<HayesDialer> dialer;
    if (rc.m_dial) {
        dialer.emplace(*link.port, clock, *rc.m_dial);
        if (const std::optional<ExchangeOutcome> failed = placeCall(rc, host, *dialer))
            return *failed;
    }

    // The port closes on every way out, after the flags are final.
    LineWaiter line(*link.port, clock, &rc.m_wake);
    const BytesOnExit counted{line, bytes};
    if (dialer) {
        const std::string first = dialer->takeCallBytes();
        line.putBack({reinterpret_cast<const std::uint8_t*>(first.data()), first.size()});
    }
    if (type.handshake) {
        const Handshake::Outcome shake = Handshake::perform(line, type, rc.m_bAbort);
        if (shake != Handshake::Outcome::Accepted)
            return endFailed(rc, host, handshakeFailure(shake));
    }
    if (endedIfAborted(rc)) return ExchangeOutcome::StoppedByOperator;
    return ReceptionLoop(rc, host, line, type).run();
}

}  // namespace

ExchangeOutcome runExchange(ReceiveControl& rc, const SerialOpener& opener, Clock& clock) {
    AcquisitionHost* host = rc.m_pMainFrame;
    if (!host) {
        rc.m_bReceiving.store(0);
        rc.m_bStop.store(1);
        return ExchangeOutcome::OpenFailed;
    }
    std::uint64_t bytes = 0;
    ExchangeOutcome outcome = ExchangeOutcome::LineBroken;
    try {
        outcome = exchangeOnLine(rc, *host, opener, clock, bytes);
    } catch (...) {
        // Nothing may escape a worker thread; the exchange just ends, as a broken line does.
        rc.m_bReceiving.store(0);
        rc.m_bStop.store(1);
    }
    if (rc.m_dial) host->showCallState({});  // hung up by now
    host->exchangeEnded(outcome, bytes);
    return outcome;
}

unsigned AcquisitionThreadProc(ReceiveControl& rc, const SerialOpener& opener, Clock& clock) {
    return threadExitCode(runExchange(rc, opener, clock));
}
