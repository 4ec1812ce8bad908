#include "acquisition/ReceptionLoop.h"

#include "res/Texts.h"

ExchangeOutcome ReceptionLoop::run() {
    bool another = m_host.askToStart();
    while (another) {
        const PassEnd end = readPass();
        // Closing the receiving window wins over everything else that ended the pass.
        if (m_rc.m_bAbort.load()) {
            endAborted();
            return ExchangeOutcome::StoppedByOperator;
        }
        if (end != PassEnd::Ordinary) return endLinkBroken(end);
        another = askToContinue();
    }
    return finish();
}

ReceptionLoop::PassEnd ReceptionLoop::readPass() {
    m_forms.startPass();
    m_rc.m_bStop.store(0);
    m_host.setByteCounterText(texts::byteCounterText(0));
    m_host.setProgressPos(0);
    for (;;) {
        // A close that came before the flag was cleared still ends the pass.
        if (m_rc.m_bStop.load() || m_rc.m_bAbort.load()) return PassEnd::Ordinary;
        // An echo left unsent by a stop goes out before anything more is read, so the
        // calculator never gets two bytes ahead of its echoes.
        if (m_pendingEcho) {
            const LineWaiter::Outcome sent = echo(*m_pendingEcho);
            if (sent == LineWaiter::Outcome::Stopped) return PassEnd::Ordinary;
            if (sent != LineWaiter::Outcome::Done) return echoFailure(sent);
        }
        // A pass waits for its own first character however long that takes; text carried in
        // from an earlier pass does not start the silence limit.
        const bool silenceCounts = m_forms.storedThisPass() > 0;
        switch (m_line.awaitByte(m_type.inactivityLimitS, silenceCounts, m_rc.m_bStop)) {
            case LineWaiter::Outcome::Done:
                break;
            case LineWaiter::Outcome::LimitReached:
                m_rc.m_bStop.store(1);
                return PassEnd::Ordinary;
            case LineWaiter::Outcome::Stopped:
                return PassEnd::Ordinary;
            case LineWaiter::Outcome::Vanished:
                return PassEnd::LineBroken;
        }
        if (const PassEnd end = takeArrived(); end != PassEnd::Ordinary) return end;
    }
}

// All that the read brought, as long as no stop comes; how the link broke if it did.
ReceptionLoop::PassEnd ReceptionLoop::takeArrived() {
    // Without echo the calculator never waits for us, and the bytes are taken a run at a time.
    if (!m_type.echo) {
        m_line.takeBytes(m_forms.handleBytes(m_line.bytesAtHand(), m_rc.m_bStop));
        return PassEnd::Ordinary;
    }
    do {
        const std::uint8_t byte = m_line.takeByte();
        const LineWaiter::Outcome sent = echo(byte);
        // The byte arrived whole; it is kept even when its echo cannot be sent.
        m_forms.handleByte(byte);
        if (sent == LineWaiter::Outcome::LimitReached || sent == LineWaiter::Outcome::Vanished)
            return echoFailure(sent);
    } while (m_line.hasByte() && !m_rc.m_bStop.load());
    return PassEnd::Ordinary;
}

ReceptionLoop::PassEnd ReceptionLoop::echoFailure(LineWaiter::Outcome sent) {
    return sent == LineWaiter::Outcome::LimitReached ? PassEnd::EchoTooLate : PassEnd::LineBroken;
}

LineWaiter::Outcome ReceptionLoop::echo(std::uint8_t byte) {
    const LineWaiter::Outcome sent = m_line.writeByte(byte, m_type.echoLimitS, &m_rc.m_bStop);
    if (sent == LineWaiter::Outcome::Stopped)
        m_pendingEcho = byte;
    else
        m_pendingEcho.reset();
    return sent;
}

bool ReceptionLoop::askToContinue() {
    m_forms.deliverAtPassEnd();
    const std::int64_t stored = m_forms.storedThisPass();
    m_received = m_received || stored > 0 || m_forms.formCompletedThisPass();
    m_host.setByteCounterText(texts::byteCounterText(stored));
    return m_host.askToContinue(stored);
}

void ReceptionLoop::endAborted() {
    // The receiving window is going away: nothing more is shown or written.
    m_rc.m_bReceiving.store(0);
}

ExchangeOutcome ReceptionLoop::endLinkBroken(PassEnd end) {
    m_forms.deliverRemainder();
    const ExchangeOutcome outcome =
        end == PassEnd::EchoTooLate ? ExchangeOutcome::EchoTooLate : ExchangeOutcome::LineBroken;
    m_host.reportFailure(outcome, {});
    m_rc.m_bStop.store(1);
    m_rc.m_bReceiving.store(0);
    return outcome;
}

ExchangeOutcome ReceptionLoop::finish() {
    m_rc.m_bReceiving.store(0);
    // A question refused because the operator was leaving is no "no": nothing is written.
    if (m_rc.m_bAbort.load()) return ExchangeOutcome::StoppedByOperator;
    if (!m_host.writeSettingsFile(m_host.settingsStrings())) {
        m_rc.m_bStop.store(1);
        return ExchangeOutcome::SettingsNotWritten;
    }
    return m_received ? ExchangeOutcome::FormsReceived : ExchangeOutcome::NothingReceived;
}
